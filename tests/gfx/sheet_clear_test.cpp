// A page end clears only what was drawn; whatever drew it, nothing may stay.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "gfx/cairo/cairo_sheet.h"
#include "gfx/cairo/ink_rows.h"
#include "gfx/sheet_support.h"

namespace morvane {
namespace {

using test::courier;
using test::kBlack;
using test::kWhite;

std::vector<Color> pixels_of(CairoSheet& s) {
  std::vector<Color> p;
  for (std::int32_t y = 0; y < s.height(); ++y) {
    for (std::int32_t x = 0; x < s.width(); ++x) p.push_back(s.pixel(x, y));
  }
  return p;
}

TEST(InkRows, HandsBackSpansLonePixelsAndUnknownRows) {
  InkRows ink(4);
  std::vector<std::vector<std::int32_t>> seen;
  auto take = [&](std::int32_t top, std::int32_t bottom) {
    seen.clear();
    ink.take(top, bottom, 50, [&](std::int32_t y, std::int32_t x0, std::int32_t x1) {
      seen.push_back({y, x0, x1});
    });
    std::sort(seen.begin(), seen.end());  // the order is the sheet's business
  };
  take(0, 4);  // a new sheet is unknown everywhere
  EXPECT_EQ(seen, (std::vector<std::vector<std::int32_t>>{{0, 0, 50}, {1, 0, 50}, {2, 0, 50}, {3, 0, 50}}));
  take(0, 4);
  EXPECT_TRUE(seen.empty());
  ink.mark_span(1, 10, 20);
  ink.mark_span(1, 5, 8);  // the span grows over the gap
  ink.mark_pixel(1, 12);   // inside: nothing more
  ink.mark_pixel(2, 3);
  ink.mark_pixel(2, 40);
  ink.mark_pixel(2, 3);    // again: still two lone pixels
  ink.mark_pixel(2, 30);   // a third starts the span
  ink.mark_pixel(3, 7);
  take(1, 3);
  EXPECT_EQ(seen, (std::vector<std::vector<std::int32_t>>{
                      {1, 5, 20}, {2, 3, 4}, {2, 30, 31}, {2, 40, 41}}));
  take(0, 4);  // row 3 was outside the last range; rows 1 and 2 are forgotten
  EXPECT_EQ(seen, (std::vector<std::vector<std::int32_t>>{{3, 7, 8}}));
  ink.mark_all();
  take(2, 3);
  EXPECT_EQ(seen, (std::vector<std::vector<std::int32_t>>{{2, 0, 50}}));
}

TEST(InkRows, ClaimTellsWhetherTheSpanWasBlank) {
  InkRows ink(3);
  EXPECT_FALSE(ink.claim_span(0, 10, 20));  // unknown until cleared
  ink.take(0, 3, 50, [](std::int32_t, std::int32_t, std::int32_t) {});
  EXPECT_TRUE(ink.claim_span(0, 10, 20));
  EXPECT_TRUE(ink.claim_span(0, 20, 30));   // touching, not overlapping
  EXPECT_FALSE(ink.claim_span(0, 29, 31));
  EXPECT_TRUE(ink.claim_span(0, 0, 10));
  EXPECT_FALSE(ink.claim_span(0, 15, 16));  // inside what was claimed
  ink.mark_pixel(1, 25);
  EXPECT_TRUE(ink.claim_span(1, 10, 25));
  EXPECT_FALSE(ink.claim_span(1, 25, 26));  // over the lone pixel
  ink.mark_pixel(2, 5);
  EXPECT_TRUE(ink.claim_span(2, 6, 9));
  ink.mark_all();
  EXPECT_FALSE(ink.claim_span(2, 40, 45));
}

// Random drawing of every kind, cleared by whole rows now and then: cleared
// rows come back white, the others keep every pixel.
TEST(CairoSheetClear, RowsClearedWhateverDrewOnThem) {
  CairoSheet s(120, 90);
  std::mt19937 rng(7);
  auto any = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const Color colors[] = {kBlack, rgb(0, 0, 0x84), rgb(200, 30, 10), kWhite};
  for (int round = 0; round < 300; ++round) {
    const Color c = colors[any(0, 3)];
    switch (any(0, 6)) {
      case 0:
        s.fill_rect(any(-20, 130), any(-20, 100), any(-20, 130), any(-20, 100), c);
        break;
      case 1:
        s.set_pen(c, any(0, 3));
        s.move_to(any(-30, 150), any(-30, 120));
        s.line_to(any(-30, 150), any(-30, 120));
        break;
      case 2: {
        const std::uint8_t cols[] = {0xFF, 0x81, 0x3C};
        s.blit_columns(any(-5, 120), any(-8, 90), cols, 3);
        break;
      }
      case 3:
      case 4: {
        const char ch = static_cast<char>(any(0x21, 0x7E));
        FontDesc f = courier(-any(8, 30));
        if (any(0, 3) == 0) f.escapement = 900;  // drawn by cairo itself
        s.draw_text(any(-20, 125), any(-20, 95), &ch, 1, f, c);
        break;
      }
      default: {
        const std::vector<Color> before = pixels_of(s);
        const int top = any(-5, 95);
        const int bottom = any(top, 100);
        s.fill_rect(0, top, 120, bottom, kWhite);
        const std::vector<Color> after = pixels_of(s);
        for (int y = 0; y < 90; ++y) {
          const bool cleared = y >= top && y < bottom;
          for (int x = 0; x < 120; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * 120 + x;
            ASSERT_EQ(after[i], cleared ? kWhite : before[i])
                << "round " << round << " at " << x << "," << y;
          }
        }
      }
    }
  }
  s.fill_rect(0, 0, 120, 90, kWhite);
  for (Color p : pixels_of(s)) ASSERT_EQ(p, kWhite);
}

TEST(CairoSheetClear, WholeRowsOfWhiteClearOnlyThoseRows) {
  CairoSheet s(31, 20);  // an odd width: rows are not a power-of-two long
  s.fill_rect(0, 0, 31, 20, kBlack);
  s.fill_rect(0, 5, 31, 9, kWhite);
  s.fill_rect(-10, 15, 100, 1000, kWhite);  // clipped to whole rows too
  for (int y = 0; y < 20; ++y) {
    const bool white = (y >= 5 && y < 9) || y >= 15;
    for (int x = 0; x < 31; ++x) ASSERT_EQ(s.pixel(x, y), white ? kWhite : kBlack) << x << "," << y;
  }
}

}  // namespace
}  // namespace morvane
