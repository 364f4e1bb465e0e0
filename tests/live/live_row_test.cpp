// The live window's command row wraps as words do, and the window draws in
// software unless the user chose how GTK draws.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "live/live_window.h"
#include "live/row_wrap.h"

namespace morvane::live {
namespace {

// Checks every rule of a wrapped row; returns the number of lines.
int check_wrapped(const std::vector<RowItem>& items, const RowLayout& layout, int width, int gap_x, int gap_y) {
  EXPECT_EQ(layout.places.size(), items.size());
  int lines = 0, line_top = 0, line_bottom = 0, line_height = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const RowPlace& p = layout.places[i];
    EXPECT_LE(p.x + p.width, width) << "item " << i;  // an item wider than the line is narrowed
    EXPECT_EQ(p.width, std::min(items[i].width, width)) << "item " << i;
    EXPECT_EQ(p.height, items[i].height) << "item " << i;
    if (i == 0 || p.x == 0) {
      // A new line: below the last one, and its first item would not have
      // fitted at the end of that line.
      if (i > 0) {
        const RowPlace& before = layout.places[i - 1];
        EXPECT_GT(before.x + before.width + gap_x + items[i].width, width) << "item " << i << " fitted above";
        line_top = line_bottom + gap_y;
      }
      ++lines;
      line_height = 0;
      for (std::size_t j = i; j < items.size() && (j == i || layout.places[j].x != 0); ++j)
        line_height = std::max(line_height, items[j].height);
      line_bottom = line_top + line_height;
    } else {
      const RowPlace& before = layout.places[i - 1];
      EXPECT_EQ(p.x, before.x + before.width + gap_x) << "item " << i;
    }
    EXPECT_GE(p.y, line_top) << "item " << i;
    EXPECT_LE(p.y + p.height, line_bottom) << "item " << i;
  }
  EXPECT_EQ(layout.height, items.empty() ? 0 : line_bottom);
  return lines;
}

TEST(LiveRow, WrapsInOrderOntoAsFewLinesAsFit) {
  std::mt19937 random(29);
  for (int round = 0; round < 2000; ++round) {
    std::vector<RowItem> items(random() % 8);
    for (RowItem& item : items) item = {static_cast<int>(random() % 300) + 1, static_cast<int>(random() % 30) + 10};
    const int width = static_cast<int>(random() % 900);
    const int gap_x = static_cast<int>(random() % 16), gap_y = static_cast<int>(random() % 8);
    SCOPED_TRACE("round " + std::to_string(round) + ", width " + std::to_string(width));
    const RowLayout layout = wrap_row(items, width, gap_x, gap_y);
    const int lines = check_wrapped(items, layout, width, gap_x, gap_y);
    // As wide as all of them side by side: one line.
    const RowLayout one = wrap_row(items, row_width(items, gap_x), gap_x, gap_y);
    EXPECT_EQ(check_wrapped(items, one, row_width(items, gap_x), gap_x, gap_y), items.empty() ? 0 : 1);
    EXPECT_LE(one.height, layout.height);
    EXPECT_LE(lines, static_cast<int>(items.size()));
    if (::testing::Test::HasFailure()) return;
  }
}

TEST(LiveRow, RowWidthIsTheItemsAndTheGapsBetweenThem) {
  EXPECT_EQ(row_width({}, 12), 0);
  EXPECT_EQ(row_width({{100, 30}}, 12), 100);
  EXPECT_EQ(row_width({{100, 30}, {50, 30}, {7, 1}}, 12), 181);
}

TEST(LiveRenderer, SoftwareUnlessTheUserChoseARenderer) {
  struct Case {
    const char* gsk_renderer;
    const char* gdk_debug;
    bool change;
    const char* debug_after;
  };
  const Case cases[] = {
      {nullptr, nullptr, true, "gl-disable"},
      {"", nullptr, true, "gl-disable"},                     // set but empty: no choice
      {"gl", nullptr, false, ""},                           // the user's renderer stays
      {"cairo", "events", false, ""},                       // and so do the user's flags
      {nullptr, "", true, "gl-disable"},
      {nullptr, "events", true, "events,gl-disable"},       // the user's flags stay
      {nullptr, "events,gl-disable", true, "events,gl-disable"},
      {nullptr, "gl-disable:misc", true, "gl-disable:misc"},
      {nullptr, "no-gl-disable", true, "no-gl-disable,gl-disable"},  // only whole flags count
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.gsk_renderer ? c.gsk_renderer : "(unset)") + " / " +
                 (c.gdk_debug ? c.gdk_debug : "(unset)"));
    const RendererEnvironment env = software_drawing(c.gsk_renderer, c.gdk_debug);
    EXPECT_EQ(env.change, c.change);
    if (!c.change) continue;
    EXPECT_EQ(env.gsk_renderer, "cairo");
    EXPECT_EQ(env.gdk_debug, c.debug_after);
  }
}

}  // namespace
}  // namespace morvane::live
