// The head-position bar's arithmetic: marker place and limits, the grab
// zone, the dragged line and where a drop puts both pages.
#include "view/bar_math.h"
#include "layout/page_ops.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace morvane {
namespace {

PageState screen_page() {
  PageState p;
  p.paper_height = 1100;
  p.line_height = 17;
  p.margin_top = 25;
  p.margin_bottom = 40;
  p.margin_left = 30;
  return p;
}

TEST(BarMarker, SitsAtTheLineBelowTheTopMargin) {
  const PageState s = screen_page();
  EXPECT_EQ(marker_position(s, 17, 3), 86u);
  EXPECT_EQ(marker_position(s, 17, 0), 35u);
}

TEST(BarMarker, NeverGoesBelowTheLastLine) {
  PageState s = screen_page();
  const std::uint32_t limit = 1100 - 17 - 40;
  for (const std::uint32_t n : {60u, 61u, 1000u, 252645136u, UINT32_MAX})
    EXPECT_EQ(marker_position(s, 17, n), limit) << "line " << n;
  EXPECT_EQ(marker_position(s, 17, 59), 17u * 59 + 35);  // the last line still inside
  s.paper_height = 30;  // shorter than a line and the bottom margin
  EXPECT_EQ(marker_limit(s), 0u);
  EXPECT_EQ(marker_position(s, 17, 2), 0u);
}

TEST(BarMarker, OutlineIsABlockWithATipAtThePrintLine) {
  const auto p = marker_outline(86, 17);
  const BarPoint want[7] = {{0, 86}, {0, 78}, {8, 78}, {17, 86}, {8, 94}, {0, 94}, {0, 86}};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(p[i].x, want[i].x) << i;
    EXPECT_EQ(p[i].y, want[i].y) << i;
  }
}

TEST(BarTicks, OneLinePerTextLineAboveTheBottomMargin) {
  PageState s = screen_page();
  s.margin_bottom = 20;
  const std::vector<std::uint32_t> want{35, 52, 69, 86, 103, 120, 137, 154};
  EXPECT_EQ(tick_positions(s, 200, 17), want);  // ends below 200 - 17 - 20 = 163
  EXPECT_TRUE(tick_positions(s, 200, 0).empty());
  EXPECT_TRUE(tick_positions(s, 30, 17).empty());  // sheet shorter than the margins
}

constexpr ViewMode fit = ViewMode::fit_to_window, original = ViewMode::original_size;

struct PressCase {
  ViewMode view_mode;
  std::int32_t y;
  std::uint32_t shown;
  std::uint32_t scroll_y;
  bool grabs;
};

TEST(BarPress, GrabsWithinTenUnitsOfTheMarker) {
  const PageState s = screen_page();
  const std::uint32_t marker = marker_position(s, 17, 3);  // 86
  const PressCase cases[] = {
      {original, 76, 400, 0, true},   {original, 96, 400, 0, true},   {original, 86, 400, 0, true},
      {original, 75, 400, 0, false},  {original, 97, 400, 0, false},  {original, -5, 400, 0, false},
      {original, 46, 400, 40, true},  {original, 86, 400, 40, false},  // scrolled: tip at 46
      {fit, 43, 550, 0, true},   {fit, 38, 550, 0, true},   {fit, 48, 550, 0, true},
      {fit, 37, 550, 0, false},  {fit, 49, 550, 0, false},
      {fit, 43, 550, 300, true},  // the fitted view shows the sheet from the top
      {fit, 43, 0, 0, false},     // nothing shown yet
  };
  for (const PressCase& c : cases)
    EXPECT_EQ(press_grabs_marker(c.view_mode, c.y, s.paper_height, c.shown, marker, c.scroll_y),
              c.grabs)
        << "mode " << static_cast<int>(c.view_mode) << " y " << c.y << " scroll " << c.scroll_y;
}

TEST(BarDrag, PointerPositionInBarUnits) {
  EXPECT_EQ(drag_position(original, 50, 1100, 400, 100), 150u);
  EXPECT_EQ(drag_position(fit, 100, 1100, 550, 0), 200u);
  EXPECT_EQ(drag_position(fit, 100, 1100, 0, 0), 0u);
  EXPECT_EQ(drag_position(original, -30, 1100, 400, 10), 0u);  // above the bar's top
  EXPECT_EQ(drag_line(150, 17), 8u);
  EXPECT_EQ(drag_line(150, 0), 0u);
}

TEST(BarDrop, LineOfTheMarkerMovesBothPages) {
  PageState screen = screen_page();
  PageState printer;
  printer.line_height = 20;
  printer.margin_top = 50;
  printer.margin_left = 10;
  printer.cur_x = 777;
  const std::uint32_t n = release_line(86, screen);
  EXPECT_EQ(n, 3u);
  move_to_line(screen, n);
  move_to_line(printer, n);
  EXPECT_EQ(screen.line_count, 3u);
  EXPECT_EQ(screen.cur_y, 3u * 17 + 25);
  EXPECT_EQ(screen.cur_x, 30u);
  EXPECT_EQ(printer.line_count, 3u);
  EXPECT_EQ(printer.cur_y, 3u * 20 + 50);
  EXPECT_EQ(printer.cur_x, 10u);
}

TEST(BarDrop, MarkerAboveTheFirstLineGivesTheTopLine) {
  PageState s = screen_page();
  EXPECT_EQ(release_line(20, s), 0u);  // clamped above margin_top + 10
  EXPECT_EQ(release_line(35, s), 0u);
  s.line_height = 0;  // not measured yet
  EXPECT_EQ(release_line(86, s), 0u);
}

// Dragging the pointer to a line and dropping gives that line back, however
// the page is laid out, as long as the line is on the page.
TEST(BarDrop, DroppedLineIsTheLineTheMarkerWasDrawnAt) {
  for (const std::uint32_t lh : {8u, 12u, 17u, 33u}) {
    for (const std::uint32_t top : {0u, 25u, 60u}) {
      PageState s = screen_page();
      s.line_height = lh;
      s.margin_top = top;
      for (std::uint32_t pointer = 0; pointer < 900; pointer += 7) {
        const std::uint32_t n = drag_line(pointer, lh);
        const std::uint32_t f = marker_position(s, lh, n);
        if (f == marker_limit(s)) continue;  // held at the bottom
        EXPECT_EQ(release_line(f, s), n) << "lh " << lh << " top " << top << " y " << pointer;
      }
    }
  }
}

}  // namespace
}  // namespace morvane
