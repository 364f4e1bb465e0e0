// The plotter's lines and labels as pixels on the portable sheet.
#include <gtest/gtest.h>

#include <string>

#include "gfx/cairo/cairo_sheet.h"
#include "support/engine_fixture.h"

namespace morvane {
namespace {

using test::EngineFixture;

constexpr Color kWhite = 0xFFFFFF;
constexpr Color kBlue = 0x840000;

struct PlotterPixels : ::testing::Test {
  PlotterPixels() {
    f.shell.factory = [](std::uint32_t w, std::uint32_t h) {
      return std::make_unique<CairoSheet>(static_cast<std::int32_t>(w),
                                          static_cast<std::int32_t>(h));
    };
    f.feed("");
    f.engine.interp.emulation = Emulation::plotter;
    f.engine.screen.cur_y = 125;
    f.feed("\x1b#");  // origin at page (25, 150)
  }
  CairoSheet& sheet() { return static_cast<CairoSheet&>(*f.engine.page_bitmap); }
  EngineFixture f;
};

TEST_F(PlotterPixels, SolidLineInThePenColourEndPointLeftOut) {
  f.feed("C1,D100,0\r");
  for (std::int32_t x = 25; x < 108; ++x) ASSERT_EQ(sheet().pixel(x, 150), kBlue) << x;
  EXPECT_EQ(sheet().pixel(108, 150), kWhite);
  EXPECT_EQ(sheet().pixel(60, 149), kWhite);
  EXPECT_EQ(sheet().pixel(60, 151), kWhite);
}

TEST_F(PlotterPixels, LineTypeThreeDrawsThreeOnThreeOff) {
  f.feed("L3,D100,0\r");
  for (std::int32_t x = 25; x < 108; ++x) {
    const bool lit = ((x - 25) / 3) % 2 == 0;
    ASSERT_EQ(sheet().pixel(x, 150), lit ? 0u : kWhite) << x;
  }
}

TEST_F(PlotterPixels, LabelLandsAboveAndRightOfThePen) {
  f.feed("C1,PHELLO\r");
  int inked = 0;
  int stray = 0;
  for (std::int32_t y = 100; y < 200; ++y) {
    for (std::int32_t x = 0; x < 300; ++x) {
      const Color c = sheet().pixel(x, y);
      if (c == kWhite || (x <= 25 && y >= 25)) continue;  // the margin frame
      const bool in_label = x >= 25 && y < 150;
      (in_label ? inked : stray) += 1;
      if (in_label) {
        EXPECT_GE(blue_of(c), red_of(c)) << x << "," << y;
      }
    }
  }
  EXPECT_GT(inked, 20);
  EXPECT_EQ(stray, 0);
}

}  // namespace
}  // namespace morvane
