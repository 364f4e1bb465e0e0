#include "view/scroll_math.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace morvane {
namespace {

constexpr int kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3, kThumbPos = 4,
              kThumbTrack = 5;

struct Step {
  int request;
  std::uint32_t pos, line;
  std::int32_t page;
  std::uint32_t limit;
  std::int32_t thumb;
  std::uint32_t expected;
};

TEST(ScrollPosition, EachRequest) {
  const std::vector<Step> steps = {
      // line steps stop at 0 and at the sheet's end, which they may reach
      {kLineUp, 10, 17, 500, 1100, 0, 0},
      {kLineUp, 17, 17, 500, 1100, 0, 0},
      {kLineUp, 18, 17, 500, 1100, 0, 1},
      {kLineDown, 0, 17, 500, 1100, 0, 17},
      {kLineDown, 1090, 17, 500, 1100, 0, 1100},
      {kLineDown, 1100, 17, 500, 1100, 0, 1100},
      // page steps use the client extent
      {kPageUp, 1100, 17, 500, 1100, 0, 600},
      {kPageUp, 500, 17, 500, 1100, 0, 0},
      {kPageUp, 501, 17, 500, 1100, 0, 1},
      {kPageDown, 600, 17, 500, 1100, 0, 1100},
      {kPageDown, 599, 17, 500, 1100, 0, 1099},
      // the thumb: position requests change nothing, tracking follows the thumb
      {kThumbPos, 300, 17, 500, 1100, 700, 300},
      {kThumbTrack, 300, 17, 500, 1100, 700, 700},
      {kThumbTrack, 300, 17, 500, 1100, -5, 0},
      {kThumbTrack, 300, 17, 500, 1100, 32767, 1100},
      // requests the window does not handle (SB_TOP, SB_BOTTOM, SB_ENDSCROLL)
      {6, 300, 17, 500, 1100, 0, 300},
      {7, 300, 17, 500, 1100, 0, 300},
      {8, 300, 17, 500, 1100, 0, 300},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(scroll_position(s.request, s.pos, s.line, s.page, s.limit, s.thumb), s.expected)
        << "request " << s.request << " from " << s.pos;
  }
}

TEST(ScrollPosition, ThreePagesDownThenOneUp) {
  std::uint32_t y = 0;
  std::vector<std::uint32_t> seen;
  for (int i = 0; i < 3; ++i) {
    y = scroll_position(kPageDown, y, 17, 500, 1100, 0);
    seen.push_back(y);
  }
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{500, 1000, 1100}));
  EXPECT_EQ(scroll_position(kPageUp, y, 17, 500, 1100, 0), 600u);
}

TEST(ScrollPosition, NoWrapAtTheTopOfTheRange) {
  // A huge sheet and step must not wrap past 32 bits back to a small position.
  EXPECT_EQ(scroll_position(kLineDown, 0xFFFFFFF0u, 0x20, 500, 0xFFFFFFFFu, 0), 0xFFFFFFFFu);
  EXPECT_EQ(scroll_position(kPageDown, 0xFFFFFFF0u, 17, 0x7FFFFFFF, 0xFFFFFFFFu, 0), 0xFFFFFFFFu);
}

// A bar scrolls only when the sheet is larger than the view, and then the
// platform's travel (max - page + 1) is exactly the part of the sheet that
// does not fit: none when the view is as large as the sheet or larger.
TEST(ScrollBarSetup, TravelIsWhatDoesNotFit) {
  struct Case {
    std::int32_t view;
    std::uint32_t extent;
    bool enabled;
  };
  for (const Case c : {Case{866, 850, false}, Case{850, 850, false}, Case{849, 850, true},
                       Case{500, 1100, true}, Case{0, 1100, true}, Case{-3, 1100, true},
                       Case{500, 0, false}, Case{0, 0, false}}) {
    SCOPED_TRACE(testing::Message() << c.view << " of " << c.extent);
    const ScrollBarSetup b = scroll_bar_setup(c.view, c.extent, 40);
    EXPECT_EQ(b.enabled, c.enabled);
    const std::int64_t hidden = std::int64_t{c.extent} - std::max(c.view, 0);
    if (b.enabled) EXPECT_EQ(std::int64_t{b.max} - b.page + 1, hidden);
    else EXPECT_LE(hidden, 0);
    EXPECT_EQ(b.pos, 40);
  }
  // Values beyond the platform's int range are held at its end.
  const ScrollBarSetup huge = scroll_bar_setup(500, 0xFFFFFFFFu, 0xFFFFFFF0u);
  EXPECT_EQ(huge.max, 0x7FFFFFFF);
  EXPECT_EQ(huge.pos, 0x7FFFFFFF);
}

}  // namespace
}  // namespace morvane
