#include "view/view_damage.h"

#include <gtest/gtest.h>

#include "view/view_geometry.h"

namespace morvane {
namespace {

SheetLayout layout(int mode, std::uint32_t cw, std::uint32_t ch, std::uint32_t sx = 0, std::uint32_t sy = 0) {
  return layout_sheet(view_copy(view_mode_of_setting(mode), cw, ch, 850, 1100, sx, sy), cw, ch, 850, 1100);
}

void expect_rect(const ViewRect& got, ViewRect want, const char* what) {
  EXPECT_EQ(got.left, want.left) << what;
  EXPECT_EQ(got.top, want.top) << what;
  EXPECT_EQ(got.right, want.right) << what;
  EXPECT_EQ(got.bottom, want.bottom) << what;
}

TEST(ViewDamage, ShiftedScaledAndClippedToTheShownSheet) {
  struct Case {
    const char* what;
    SheetLayout l;
    SheetArea area;
    ViewRect want;
  } const cases[] = {
      {"original size: shifted by the scroll position", layout(1, 600, 400, 100, 200), {150, 250, 160, 270},
       {50, 50, 60, 70}},
      {"original size: cut at the window", layout(1, 600, 400, 100, 200), {50, 150, 800, 700}, {0, 0, 600, 400}},
      {"original size: above the view", layout(1, 600, 400, 0, 500), {0, 0, 850, 499}, {}},
      {"original size: beyond the sheet's end", layout(1, 600, 400, 500, 900), {0, 0, 850, 1100},
       {0, 0, 350, 200}},
      {"fitted at half size, grown by the rounding", layout(0, 600, 550), {100, 100, 110, 104},
       {49, 49, 56, 53}},
      {"fitted: held to the sheet", layout(0, 600, 550), {0, 0, 850, 1100}, {0, 0, 425, 550}},
      {"nothing changed", layout(0, 600, 550), {}, {}},
      {"no sheet in view", layout(0, 0, 0), {0, 0, 10, 10}, {}},
  };
  for (const Case& c : cases) expect_rect(view_damage(c.area, c.l), c.want, c.what);
}

TEST(TileGrid, TheTilesARectangleReaches) {
  const TileGrid g = tile_grid(300, 200, 128);  // 3 x 2 tiles, the last ones smaller
  EXPECT_EQ(g.columns, 3);
  EXPECT_EQ(g.rows, 2);
  expect_rect(tile_rect(g, 5), {256, 128, 300, 200}, "the last tile");
  expect_rect(tile_rect(g, 6), {}, "no such tile");
  struct Case {
    ViewRect r;
    std::vector<std::int32_t> tiles;
  } const cases[] = {
      {{0, 0, 1, 1}, {0}},
      {{127, 0, 129, 10}, {0, 1}},
      {{128, 128, 256, 200}, {4}},  // right and bottom are outside
      {{-50, -50, 400, 400}, {0, 1, 2, 3, 4, 5}},
      {{300, 0, 310, 10}, {}},
      {{10, 10, 10, 20}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(tiles_meeting(g, c.r), c.tiles) << c.r.left << "," << c.r.top;
}

}  // namespace
}  // namespace morvane
