// Bit images on the real sheet: the dots, their place and what they cover.
#include <gtest/gtest.h>

#include "emul/dot_fixture.h"
#include "gfx/cairo/cairo_sheet.h"

namespace morvane::testing {
namespace {

constexpr Color kBlack = 0x000000;
constexpr Color kWhite = 0xFFFFFF;

class BitImagePixels : public ::testing::Test {
 protected:
  BitImagePixels() {
    run.shell.factory = [](std::uint32_t w, std::uint32_t h) {
      return std::make_unique<CairoSheet>(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h));
    };
    run.clear_request();
  }
  CairoSheet& sheet() { return static_cast<CairoSheet&>(*run.engine.page_bitmap); }
  // Dots of column x, rows y..y+7, as a byte with bit 7 the top dot.
  std::uint8_t column_at(std::int32_t x, std::int32_t y) {
    std::uint8_t bits = 0;
    for (int r = 0; r < 8; ++r) {
      const Color c = sheet().pixel(x, y + r);
      EXPECT_TRUE(c == kBlack || c == kWhite) << "x " << x << " row " << r << " colour " << c;
      if (c == kBlack) bits |= static_cast<std::uint8_t>(0x80 >> r);
    }
    return bits;
  }
  DotRun run;
};

TEST_F(BitImagePixels, DataBytesAreColumnsOfDots) {
  // Below the margin frame's top line, so every pixel of the strip is the image's.
  run.feed({10});
  const auto y = static_cast<std::int32_t>(run.engine.screen.cur_y);
  const Bytes data{128, 1, 255, 0, 0xA5};
  run.feed(Bytes{ESC, 'K', 5, 0} + data);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(column_at(25 + k, y), data[k]) << "column " << k;
  EXPECT_EQ(sheet().pixel(26, y - 1), kWhite);
  EXPECT_EQ(sheet().pixel(26, y + 8), kWhite);
}

TEST_F(BitImagePixels, FullStripCoversItsWidthExactly) {
  run.feed({10});
  const auto y = static_cast<std::int32_t>(run.engine.screen.cur_y);
  run.feed(Bytes{ESC, 'K', 224, 1} + repeat(255, 480));
  for (std::int32_t x : {25, 26, 300, 503, 504}) EXPECT_EQ(column_at(x, y), 0xFF) << x;
  EXPECT_EQ(column_at(505, y), 0x00);
  EXPECT_EQ(column_at(24, y), 0x00);
}

TEST_F(BitImagePixels, TextUnderTheImageTurnsWhiteWhereNoDot) {
  run.feed({'W', 'W', 'W', 'W', 13});
  const auto y = static_cast<std::int32_t>(run.engine.screen.cur_y);
  const std::int32_t right = 25 + 4 * static_cast<std::int32_t>(run.engine.screen.char_width);
  int inked = 0;
  for (std::int32_t x = 26; x < right; ++x) {
    for (std::int32_t r = 1; r < 8; ++r) inked += sheet().pixel(x, y + r) != kWhite;
  }
  ASSERT_GT(inked, 0) << "the letters reach into the strip";
  const auto n = static_cast<std::uint8_t>(right - 25);
  run.feed(Bytes{ESC, 'K', n, 0} + repeat(0x80, n));
  for (std::int32_t x = 25; x < right; ++x) {
    EXPECT_EQ(sheet().pixel(x, y), kBlack) << x;
    for (std::int32_t r = 1; r < 8; ++r) EXPECT_EQ(sheet().pixel(x, y + r), kWhite) << x << "," << r;
  }
}

TEST_F(BitImagePixels, TwoImagesSideBySide) {
  run.feed({10});
  const auto y = static_cast<std::int32_t>(run.engine.screen.cur_y);
  run.feed({ESC, 'K', 2, 0, 0xF0, 0xF0, ESC, 'Y', 2, 0, 0x0F, 0x0F});
  EXPECT_EQ(column_at(25, y), 0xF0);
  EXPECT_EQ(column_at(26, y), 0xF0);
  EXPECT_EQ(column_at(27, y), 0x0F);
  EXPECT_EQ(column_at(28, y), 0x0F);
  EXPECT_EQ(column_at(29, y), 0x00);
}

TEST_F(BitImagePixels, ImagePastTheLineEndIsDrawnWhole) {
  run.feed({10});
  const auto y = static_cast<std::int32_t>(run.engine.screen.cur_y);
  run.feed(Bytes{ESC, 'K', 224, 1} + repeat(0x18, 480) + Bytes{ESC, 'K', 224, 1} + repeat(0x18, 480));
  for (std::int32_t x : {505, 824, 825, 849}) EXPECT_EQ(column_at(x, y), 0x18) << x;
  EXPECT_EQ(run.engine.screen.cur_x, 25u);
  EXPECT_EQ(run.engine.screen.cur_y, static_cast<std::uint32_t>(y) + 8);
}

}  // namespace
}  // namespace morvane::testing
