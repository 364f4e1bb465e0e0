// The main window's saved place: kept while its caption can be reached,
// brought onto a work area otherwise.
#include <gtest/gtest.h>

#include <random>

#include "app/work_area.h"

namespace morvane {
namespace {

constexpr std::int32_t kCaption = 20;
const ScreenBox kPrimary{0, 0, 1280, 994};       // task bar below
const ScreenBox kRightOf{1280, 0, 3200, 1080};  // a second monitor to the right
const ScreenBox kLeftOf{-1024, 200, 0, 968};    // or to the left, lower

bool operator==(const ScreenBox& a, const ScreenBox& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

ScreenBox box(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
  return {left, top, left + width, top + height};
}

TEST(WorkArea, SavedPlacesAndWhereTheWindowOpens) {
  struct Case {
    const char* name;
    ScreenBox saved;
    std::vector<ScreenBox> areas;
    ScreenBox opens;
  };
  const Case cases[] = {
      {"on the primary monitor", box(100, 80, 616, 500), {kPrimary}, box(100, 80, 616, 500)},
      {"second monitor removed", box(2000, 300, 616, 500), {kPrimary}, box(664, 300, 616, 500)},
      {"left monitor removed", box(-900, 400, 616, 500), {kPrimary}, box(0, 400, 616, 500)},
      {"far below the screen", box(300, 5000, 616, 500), {kPrimary}, box(300, 494, 616, 500)},
      {"below both, nearer the taller", box(300, 5000, 616, 500), {kPrimary, kRightOf}, box(1280, 580, 616, 500)},
      {"caption just reachable at the right", box(1280 - 48, 100, 616, 500), {kPrimary},
       box(1280 - 48, 100, 616, 500)},
      {"caption one pixel short at the right", box(1280 - 47, 100, 616, 500), {kPrimary},
       box(664, 100, 616, 500)},
      {"half the caption above the top", box(300, -10, 616, 500), {kPrimary}, box(300, -10, 616, 500)},
      {"more than half above", box(300, -11, 616, 500), {kPrimary}, box(300, 0, 616, 500)},
      {"larger than the work area", box(-3000, -3000, 2048, 1100), {kPrimary}, box(0, 0, 2048, 1100)},
      {"on neither monitor, nearer the left one", box(-1100, 1500, 616, 400), {kPrimary, kLeftOf},
       box(-1024, 568, 616, 400)},
      {"the system's default position", box(INT32_MIN / 2, INT32_MIN / 2, 616, 500), {kPrimary},
       box(0, 0, 616, 500)},
      {"no work area known", box(9000, 9000, 616, 500), {}, box(9000, 9000, 616, 500)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ScreenBox got = kept_on_work_area(c.saved, kCaption, c.areas);
    EXPECT_TRUE(got == c.opens) << got.left << "," << got.top << " " << got.right - got.left << "x"
                                << got.bottom - got.top;
  }
}

// Whatever the saved place and the monitors: the size is kept, the caption
// ends up reachable on a work area that can hold it, a reachable place is
// never moved, and opening again at the place chosen moves nothing (the
// place saved at exit opens where it was shown).
TEST(WorkArea, AnyPlaceOpensReachableAndStaysThere) {
  std::mt19937 rng(7);
  auto any = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 20000; ++round) {
    std::vector<ScreenBox> areas;
    for (int n = any(1, 3); n > 0; --n)
      areas.push_back(box(any(-4000, 4000), any(-3000, 3000), any(200, 2560), any(200, 1600)));
    const ScreenBox saved = box(any(-9000, 9000), any(-9000, 9000), any(360, 2048), any(100, 1024));
    const ScreenBox got = kept_on_work_area(saved, kCaption, areas);
    ASSERT_EQ(got.right - got.left, saved.right - saved.left);
    ASSERT_EQ(got.bottom - got.top, saved.bottom - saved.top);
    bool reachable_before = false, reachable_after = false;
    for (const ScreenBox& a : areas) {
      reachable_before = reachable_before || caption_reachable(saved, kCaption, a);
      reachable_after = reachable_after || caption_reachable(got, kCaption, a);
    }
    if (reachable_before) {
      ASSERT_TRUE(got == saved) << "round " << round;
    }
    ASSERT_TRUE(reachable_after) << "round " << round;
    ASSERT_TRUE(kept_on_work_area(got, kCaption, areas) == got) << "round " << round;
  }
}

}  // namespace
}  // namespace morvane
