#include <gtest/gtest.h>

#include <cairo.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "gfx/cairo/cairo_sheet.h"
#include "gfx/cairo/raster.h"
#include "gfx/cairo/text.h"
#include "gfx/sheet_support.h"

namespace morvane {
namespace {

using test::courier;
using test::kBlack;
using test::kWhite;

// The bounding box of every pixel that is not white.
struct Ink {
  std::int32_t left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
  int count = 0;
  bool any() const { return count > 0; }
};

Ink ink_of(CairoSheet& s) {
  Ink ink;
  for (std::int32_t y = 0; y < s.height(); ++y) {
    for (std::int32_t x = 0; x < s.width(); ++x) {
      if (s.pixel(x, y) == kWhite) continue;
      ++ink.count;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
    }
  }
  return ink;
}

using Points = std::vector<std::pair<std::int32_t, std::int32_t>>;

Points line_points(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                   std::int32_t dash = 0, std::int32_t w = 100, std::int32_t h = 100) {
  Points p;
  raster_line(x0, y0, x1, y1, dash, w, h,
              [&](std::int32_t x, std::int32_t y) { p.emplace_back(x, y); });
  return p;
}

TEST(RasterLine, PixelsOfSolidAndDashedLines) {
  struct Case {
    const char* what;
    std::int32_t x0, y0, x1, y1, dash;
    Points expected;
  };
  const Case cases[] = {
      {"horizontal, end excluded", 2, 5, 6, 5, 0, {{2, 5}, {3, 5}, {4, 5}, {5, 5}}},
      {"leftwards", 6, 5, 2, 5, 0, {{6, 5}, {5, 5}, {4, 5}, {3, 5}}},
      {"vertical upwards", 1, 4, 1, 1, 0, {{1, 4}, {1, 3}, {1, 2}}},
      {"diagonal", 0, 0, 3, 3, 0, {{0, 0}, {1, 1}, {2, 2}}},
      {"shallow slope", 0, 0, 4, 2, 0, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},
      {"single point", 3, 3, 3, 3, 0, {}},
      {"dash 2", 0, 0, 9, 0, 2, {{0, 0}, {1, 0}, {4, 0}, {5, 0}, {8, 0}}},
      {"clipped at the left edge", -3, 0, 2, 0, 0, {{0, 0}, {1, 0}}},
      {"dash phase from the start point", -3, 0, 4, 0, 2, {{1, 0}, {2, 0}}},
      {"outside below", 0, 200, 50, 200, 0, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(line_points(c.x0, c.y0, c.x1, c.y1, c.dash), c.expected) << c.what;
  }
}

// A line from one end of the coordinate range to the other is walked only
// where it crosses the sheet (a walk along all of it would take minutes).
TEST(RasterLine, HugeCoordinatesVisitOnlyTheSheet) {
  Points p = line_points(INT32_MIN, 50, INT32_MAX, 50);
  EXPECT_EQ(p.size(), 100u);
  p = line_points(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
  // The diagonal through the sheet passes (0, 0) and stays on it.
  ASSERT_FALSE(p.empty());
  for (auto [x, y] : p) EXPECT_EQ(x, y);
}

TEST(CairoSheet, StartsWhiteAndFillsHalfOpenRectangles) {
  CairoSheet s(40, 30);
  EXPECT_EQ(s.pixel(0, 0), kWhite);
  EXPECT_EQ(s.pixel(39, 29), kWhite);
  EXPECT_EQ(s.pixel(40, 0), CairoSheet::kOutside);
  EXPECT_EQ(s.pixel(-1, 0), CairoSheet::kOutside);
  const Color c = rgb(198, 195, 198);
  s.fill_rect(5, 6, 8, 9, c);
  for (std::int32_t y = 4; y < 11; ++y) {
    for (std::int32_t x = 3; x < 10; ++x) {
      bool inside = x >= 5 && x < 8 && y >= 6 && y < 9;
      EXPECT_EQ(s.pixel(x, y), inside ? c : kWhite) << x << "," << y;
    }
  }
  s.fill_rect(20, 20, 10, 25, kBlack);  // inverted: nothing
  s.fill_rect(-100, 28, 1000, 1000, kBlack);  // clipped
  Ink ink = ink_of(s);
  EXPECT_EQ(ink.count, 9 + 40 * 2);
}

TEST(CairoSheet, SolidAndDashedPenPixels) {
  CairoSheet s(60, 20);
  const Color blue = rgb(0, 0, 0x84);
  s.set_pen(blue, 0);
  s.move_to(10, 5);
  s.line_to(20, 5);
  EXPECT_EQ(s.pixel(9, 5), kWhite);
  EXPECT_EQ(s.pixel(10, 5), blue);
  EXPECT_EQ(s.pixel(19, 5), blue);
  EXPECT_EQ(s.pixel(20, 5), kWhite);  // LineTo leaves the end point
  EXPECT_EQ(s.pixel(15, 4), kWhite);
  EXPECT_EQ(s.pixel(15, 6), kWhite);
  s.set_pen(kBlack, 3);
  s.move_to(0, 10);
  s.line_to(12, 10);
  std::string seen;
  for (std::int32_t x = 0; x < 13; ++x) seen += s.pixel(x, 10) == kBlack ? '#' : '.';
  EXPECT_EQ(seen, "###...###....");
  // The line continues from the end point of the last one.
  s.line_to(12, 15);
  EXPECT_EQ(s.pixel(12, 10), kBlack);
  EXPECT_EQ(s.pixel(12, 14), kWhite);  // dash off after three
}

TEST(CairoSheet, BlitColumnsIsOpaqueBitSevenOnTop) {
  CairoSheet s(20, 20);
  s.fill_rect(0, 0, 20, 20, kBlack);
  const std::uint8_t cols[] = {128, 1, 255, 0};
  s.blit_columns(3, 4, cols, 4);
  for (int k = 0; k < 4; ++k) {
    for (int r = 0; r < 8; ++r) {
      bool dot = (cols[k] & (0x80 >> r)) != 0;
      EXPECT_EQ(s.pixel(3 + k, 4 + r), dot ? kBlack : kWhite) << k << "," << r;
    }
  }
  EXPECT_EQ(s.pixel(7, 4), kBlack);   // beyond the strip: untouched
  EXPECT_EQ(s.pixel(3, 12), kBlack);  // below the strip: untouched
  // Strips hanging over any edge draw their visible part only.
  s.blit_columns(-2, -3, cols, 4);
  EXPECT_EQ(s.pixel(0, 0), kBlack);   // column 2 (255), row 3
  EXPECT_EQ(s.pixel(1, 0), kWhite);   // column 3 (0)
  s.blit_columns(18, 15, cols, 4);
  EXPECT_EQ(s.pixel(19, 19), kWhite);  // column 1 (1) row 4: clear
  s.blit_columns(0, 0, nullptr, 5);
}

TEST(CairoSheet, EmptyForImpossibleSizes) {
  for (auto [w, h] : {std::pair{0, 10}, {10, -1}, {40000, 10}, {INT32_MIN, INT32_MAX}}) {
    CairoSheet s(w, h);
    EXPECT_EQ(s.width(), 0);
    s.fill_rect(0, 0, 5, 5, kBlack);
    s.line_to(5, 5);
    s.draw_text(0, 0, "A", 1, courier(-24), kBlack);
    const std::uint8_t col = 255;
    s.blit_columns(0, 0, &col, 1);
    EXPECT_EQ(s.pixel(0, 0), CairoSheet::kOutside);
    EXPECT_FALSE(s.save_png("/nonexistent/x.png"));
  }
}

TEST(CairoSheetText, CourierNewIsLiberationMonoWithGdiMetrics) {
  FontCache cache;
  EXPECT_EQ(cache.family_of(courier(-24)), "Liberation Mono");
  CairoSheet s(10, 10);
  TextMetrics m = s.text_metrics(courier(-24));
  EXPECT_EQ(m.height, 27);
  EXPECT_EQ(m.external_leading, 0);
  EXPECT_EQ(m.ave_char_width, 14);
  EXPECT_EQ(m.max_char_width, 14);
  // A positive height is the cell height itself.
  EXPECT_EQ(s.text_metrics(courier(40)).height, 40);
  // A width asks for that average width; the fixed pitch follows it.
  FontDesc narrow = courier(-24);
  narrow.width = 7;
  EXPECT_EQ(s.text_metrics(narrow).ave_char_width, 7);
  EXPECT_EQ(s.text_metrics(narrow).max_char_width, 7);
}

TEST(CairoSheetText, ExtremeDescriptionsStillMeasureAndDraw) {
  CairoSheet s(50, 50);
  FontDesc cases[10];
  cases[6] = courier(-2000);
  cases[6].width = 2000;
  cases[6].escapement = 450;
  cases[7] = courier(-1);
  cases[7].width = 1;
  cases[8] = courier(-3);
  cases[8].width = 2000;
  cases[8].italic = 1;
  cases[9] = courier(2000);
  cases[9].width = -1;
  cases[9].underline = cases[9].strike_out = 1;
  cases[0] = courier(INT32_MIN);
  cases[1] = courier(INT32_MAX);
  cases[2] = courier(0);
  cases[3] = courier(-24);
  cases[3].width = INT32_MIN;
  cases[3].weight = INT32_MAX;
  cases[4] = courier(-12);
  cases[4].set_face("No Such Face At All");
  cases[5] = courier(-12);
  std::memset(cases[5].face_name, 'x', sizeof cases[5].face_name);  // no terminator
  for (const auto& f : cases) {
    TextMetrics m = s.text_metrics(f);
    EXPECT_GT(m.height, 0);
    EXPECT_GT(m.ave_char_width, 0);
    EXPECT_GE(m.max_char_width, 1);
    s.draw_text(0, 0, "Wg", 2, f, kBlack);
  }
  // The sheet still draws after all that.
  s.fill_rect(0, 0, 50, 50, kWhite);
  s.draw_text(5, 5, "H", 1, courier(-24), kBlack);
  EXPECT_TRUE(ink_of(s).any());
}

TEST(CairoSheetText, CharacterLandsInItsCellAnchoredTopLeft) {
  CairoSheet s(200, 200);
  const FontDesc f = courier(-24);
  const TextMetrics m = s.text_metrics(f);
  s.draw_text(100, 100, "M", 1, f, kBlack);
  Ink ink = ink_of(s);
  ASSERT_TRUE(ink.any());
  EXPECT_GE(ink.left, 100);
  EXPECT_LT(ink.right, 100 + m.max_char_width);
  EXPECT_GE(ink.top, 100);
  // M sits on the baseline: 20 units below the cell top (the ascent).
  EXPECT_GE(ink.bottom, 100 + 18);
  EXPECT_LE(ink.bottom, 100 + 20);
  EXPECT_LE(ink.top, 100 + 8);  // capitals reach near the top of the cell
}

TEST(CairoSheetText, EscapementRotatesAboutTheTopLeftCorner) {
  struct Case {
    std::int32_t escapement;
    // Expected region relative to the anchor, as multiples of the cell
    // height h and the text advance a.
    int min_x_h, max_x_h, min_y_a, max_y_a;
  };
  const Case cases[] = {
      {900, 0, 1, -1, 0},   // runs up the page, cell to the right
      {2700, -1, 0, 0, 1},  // runs down the page, cell to the left
  };
  for (const auto& c : cases) {
    CairoSheet s(300, 300);
    FontDesc f = courier(-24);
    f.escapement = c.escapement;
    const TextMetrics m = s.text_metrics(f);
    s.draw_text(150, 150, "EEE", 3, f, kBlack);
    Ink ink = ink_of(s);
    ASSERT_TRUE(ink.any()) << c.escapement;
    const int a = 3 * m.max_char_width;
    EXPECT_GE(ink.left, 150 + c.min_x_h * m.height - 1) << c.escapement;
    EXPECT_LE(ink.right, 150 + c.max_x_h * m.height + 1) << c.escapement;
    EXPECT_GE(ink.top, 150 + c.min_y_a * a - 1) << c.escapement;
    EXPECT_LE(ink.bottom, 150 + c.max_y_a * a + 1) << c.escapement;
    // Three letters along y: the ink is much taller than wide.
    EXPECT_GT(ink.bottom - ink.top, 2 * (ink.right - ink.left)) << c.escapement;
  }
}

TEST(CairoSheetText, BoldAndUnderlineAddInk) {
  auto ink_for = [](FontDesc f) {
    CairoSheet s(100, 60);
    s.draw_text(10, 10, "IIII", 4, f, kBlack);
    return ink_of(s);
  };
  FontDesc plain = courier(-24);
  FontDesc bold = plain;
  bold.weight = 700;
  FontDesc under = plain;
  under.underline = 1;
  Ink p = ink_for(plain);
  Ink b = ink_for(bold);
  Ink u = ink_for(under);
  EXPECT_GT(b.count, p.count * 5 / 4);
  // The underline runs below the baseline (ascent 20) across the whole run.
  EXPECT_GT(u.bottom, p.bottom);
  EXPECT_LE(u.bottom, 10 + 27);
  EXPECT_LE(u.left, 11);
  EXPECT_GE(u.right, 10 + 4 * 14 - 2);
}

TEST(CairoSheetText, AnsiBytesBecomeUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"AZ", "AZ"},
      {std::string("a\0b", 3), "ab"},
      {"\x80", "\xE2\x82\xAC"},  // euro sign
      {"\x81", "\xEF\xBF\xBD"},  // undefined
      {"\xE9", "\xC3\xA9"},      // e acute
      {"\xFF", "\xC3\xBF"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(ansi_to_utf8(in.data(), in.size()), out);
  EXPECT_EQ(ansi_to_utf8(nullptr, 5), "");
}

TEST(CairoSheet, PngRoundTrip) {
  CairoSheet s(30, 20);
  s.fill_rect(2, 3, 5, 6, rgb(0, 0, 0x80));
  const std::uint8_t col = 0xAA;
  s.blit_columns(10, 2, &col, 1);
  const auto path = std::filesystem::temp_directory_path() /
                    ("morvane_sheet_" + std::to_string(::getpid()) + ".png");
  ASSERT_TRUE(s.save_png(path.string()));
  cairo_surface_t* back = cairo_image_surface_create_from_png(path.c_str());
  ASSERT_EQ(cairo_surface_status(back), CAIRO_STATUS_SUCCESS);
  ASSERT_EQ(cairo_image_surface_get_width(back), 30);
  ASSERT_EQ(cairo_image_surface_get_height(back), 20);
  const unsigned char* data = cairo_image_surface_get_data(back);
  const int stride = cairo_image_surface_get_stride(back);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 30; ++x) {
      std::uint32_t p = reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFF;
      Color c = rgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
      ASSERT_EQ(c, s.pixel(x, y)) << x << "," << y;
    }
  }
  cairo_surface_destroy(back);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace morvane
