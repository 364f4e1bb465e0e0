// How the sheet is copied into the view in its two modes.
#include "view/view_geometry.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(ViewCopy, FitsPortraitToHeightAndLandscapeToWidth) {
  struct Case {
    std::int32_t mode;
    std::uint32_t w, h, dw, dh;
    bool stretch;
  };
  for (Case c : {Case{0, 850, 1100, 425, 550, true}, Case{0, 1100, 850, 600, 463, true},
                 Case{0, 800, 800, 550, 550, true}, Case{7, 850, 1100, 425, 550, true},
                 Case{1, 850, 1100, 600, 550, false}}) {
    SCOPED_TRACE(c.mode);
    ViewCopy v = view_copy(view_mode_of_setting(c.mode), 600, 550, c.w, c.h, 30, 40);
    EXPECT_EQ(v.dst_w, static_cast<std::int32_t>(c.dw));
    EXPECT_EQ(v.dst_h, static_cast<std::int32_t>(c.dh));
    EXPECT_EQ(v.shown_height, c.dh);
    EXPECT_EQ(v.stretch, c.stretch);
    if (c.stretch) {
      EXPECT_EQ(v.src_x, 0);
      EXPECT_EQ(v.src_w, static_cast<std::int32_t>(c.w));
    } else {
      EXPECT_EQ(v.src_x, 30);
      EXPECT_EQ(v.src_y, 40);
    }
  }
  EXPECT_EQ(view_copy(ViewMode::fit_to_window, 600, 550, 0, 0, 0, 0).dst_w, 0);  // no sheet yet: nothing
}

// Fit to window shows the whole sheet: inside the window, touching it on one
// side, at one scale for both directions, whatever the two shapes.
TEST(ViewCopy, FitShowsTheWholeSheetAtOneScale) {
  const std::uint32_t sheets[][2] = {{850, 1100}, {1100, 850}, {827, 1169}, {1169, 827}, {800, 800}};
  const std::uint32_t windows[][2] = {{600, 550}, {570, 300}, {300, 550}, {1500, 400}, {1, 700}};
  for (const auto& sheet : sheets) {
    for (const auto& window : windows) {
      const std::uint32_t w = sheet[0], h = sheet[1], cw = window[0], ch = window[1];
      SCOPED_TRACE(testing::Message() << w << "x" << h << " in " << cw << "x" << ch);
      const ViewCopy v = view_copy(ViewMode::fit_to_window, cw, ch, w, h, 0, 0);
      const auto dw = static_cast<std::uint32_t>(v.dst_w), dh = static_cast<std::uint32_t>(v.dst_h);
      EXPECT_LE(dw, cw);
      EXPECT_LE(dh, ch);
      EXPECT_TRUE(dw == cw || dh == ch);
      // dw / dh = w / h up to the truncation of the shorter side.
      const std::int64_t skew = std::int64_t{dw} * h - std::int64_t{dh} * w;
      EXPECT_LT(std::abs(skew), static_cast<std::int64_t>(std::max(w, h)));
      EXPECT_EQ(v.shown_height, dh);
    }
  }
}

}  // namespace
}  // namespace morvane
