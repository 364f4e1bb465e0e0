#include "gfx/placement.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

const ScreenBox kScreen{0, 0, 1280, 1024};

TEST(Placement, CentredOnTheWindowBelow) {
  // A 210 x 152 dialog over a 608 x 478 main window at (100, 120).
  const ScreenPoint p = centred_origin({100, 120, 708, 598}, 210, 152, kScreen);
  EXPECT_EQ(p.x, 100 + (608 - 210) / 2);
  EXPECT_EQ(p.y, 120 + (478 - 152) / 2);
}

// Whatever the window below, the new window lies on the work area when it
// fits there, and only moves as far as it must.
TEST(Placement, KeptOnTheWorkArea) {
  struct Case {
    ScreenBox over;
    std::int32_t w, h;
    ScreenPoint expected;
  } cases[] = {
      {{-400, -300, 100, 100}, 200, 100, {0, 0}},            // main window half off the top left
      {{1200, 900, 1800, 1400}, 200, 100, {1080, 924}},      // ... and off the bottom right
      {{100, 100, 300, 200}, 1500, 1200, {0, 0}},            // larger than the screen: corner shown
      {{0, 0, 1280, 1024}, 1280, 1024, {0, 0}},              // exactly the screen
      {{-2000000000, 0, 2000000000, 10}, 10, 10, {0, 0}},    // no overflow on huge boxes
  };
  for (const Case& c : cases) {
    const ScreenPoint p = centred_origin(c.over, c.w, c.h, kScreen);
    EXPECT_EQ(p.x, c.expected.x) << c.over.left;
    EXPECT_EQ(p.y, c.expected.y) << c.over.top;
  }
}

}  // namespace
}  // namespace morvane
