#include "gfx/placement.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

// Centred on the window below, and moved only as far as it must to stay on
// the work area; a window larger than the work area shows its top-left.
TEST(Placement, CentredAndKeptOnTheWorkArea) {
  const ScreenBox screen{0, 0, 1280, 1024};
  struct Case {
    ScreenBox over;
    std::int32_t w, h;
    ScreenPoint expected;
  } cases[] = {
      {{100, 120, 708, 598}, 210, 152, {299, 283}},          // dialog over the main window
      {{-400, -300, 100, 100}, 200, 100, {0, 0}},            // main window half off the top left
      {{1200, 900, 1800, 1400}, 200, 100, {1080, 924}},      // ... and off the bottom right
      {{100, 100, 300, 200}, 1500, 1200, {0, 0}},            // larger than the screen
      {{-2000000000, 0, 2000000000, 10}, 10, 10, {0, 0}},    // no overflow on huge boxes
  };
  for (const Case& c : cases) {
    const ScreenPoint p = centred_origin(c.over, c.w, c.h, screen);
    EXPECT_EQ(p.x, c.expected.x) << c.over.left;
    EXPECT_EQ(p.y, c.expected.y) << c.over.top;
  }
}

}  // namespace
}  // namespace morvane
