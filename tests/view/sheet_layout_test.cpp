#include "view/sheet_layout.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

struct Rect {
  int l, t, r, b;
};

void expect_rect(const ViewRect& got, Rect want, const char* what) {
  EXPECT_EQ(got.left, want.l) << what;
  EXPECT_EQ(got.top, want.t) << what;
  EXPECT_EQ(got.right, want.r) << what;
  EXPECT_EQ(got.bottom, want.b) << what;
}

SheetLayout layout(int mode, std::uint32_t cw, std::uint32_t ch, std::uint32_t w, std::uint32_t h,
                   std::uint32_t sx, std::uint32_t sy) {
  return layout_sheet(view_copy(view_mode_of_setting(mode), cw, ch, w, h, sx, sy), cw, ch, w, h);
}

TEST(SheetLayout, OriginalSizeInsideTheSheetCoversTheWindow) {
  const SheetLayout l = layout(1, 600, 500, 850, 1100, 100, 200);
  ASSERT_FALSE(l.copy_empty);
  EXPECT_EQ(l.copy.src_x, 100);
  EXPECT_EQ(l.copy.src_y, 200);
  EXPECT_EQ(l.copy.dst_w, 600);
  EXPECT_EQ(l.copy.dst_h, 500);
  EXPECT_TRUE(l.outside[0].empty());
  EXPECT_TRUE(l.outside[1].empty());
}

TEST(SheetLayout, OriginalSizeScrolledTowardsTheEndShowsBackgroundBeyond) {
  const SheetLayout l = layout(1, 600, 500, 850, 1100, 500, 800);
  ASSERT_FALSE(l.copy_empty);
  EXPECT_EQ(l.copy.src_w, 350);  // 850 - 500
  EXPECT_EQ(l.copy.src_h, 300);  // 1100 - 800
  EXPECT_EQ(l.copy.dst_w, 350);
  EXPECT_EQ(l.copy.dst_h, 300);
  expect_rect(l.outside[0], {350, 0, 600, 500}, "right");
  expect_rect(l.outside[1], {0, 300, 350, 500}, "below");
  EXPECT_EQ(l.copy.shown_height, 500u);  // the bar follows the client height
}

TEST(SheetLayout, ScrolledEntirelyOffTheSheetIsAllBackground) {
  const SheetLayout l = layout(1, 600, 500, 850, 1100, 850, 0);
  EXPECT_TRUE(l.copy_empty);
  expect_rect(l.outside[0], {0, 0, 600, 500}, "whole window");
}

TEST(SheetLayout, FitToWindowLeavesTheRestBackground) {
  // Portrait 850 x 1100 in 600 x 550 is drawn 425 x 550.
  const SheetLayout p = layout(0, 600, 550, 850, 1100, 0, 0);
  ASSERT_FALSE(p.copy_empty);
  EXPECT_TRUE(p.copy.stretch);
  EXPECT_EQ(p.copy.dst_w, 425);
  EXPECT_EQ(p.copy.dst_h, 550);
  EXPECT_EQ(p.copy.src_w, 850);  // the whole sheet is stretched
  expect_rect(p.outside[0], {425, 0, 600, 550}, "right of portrait");
  EXPECT_TRUE(p.outside[1].empty());
  // Landscape 1100 x 850 in 600 x 550 is drawn 600 x 463.
  const SheetLayout l = layout(0, 600, 550, 1100, 850, 0, 0);
  EXPECT_EQ(l.copy.dst_h, 463);
  EXPECT_TRUE(l.outside[0].empty());
  expect_rect(l.outside[1], {0, 463, 600, 550}, "below landscape");
}

TEST(SheetLayout, NoSheetOrNoWindowCopiesNothing) {
  EXPECT_TRUE(layout(0, 600, 550, 0, 0, 0, 0).copy_empty);
  EXPECT_TRUE(layout(1, 600, 550, 0, 0, 0, 0).copy_empty);
  EXPECT_TRUE(layout(1, 0, 0, 850, 1100, 0, 0).copy_empty);
  EXPECT_TRUE(layout(0, 0, 0, 850, 1100, 0, 0).copy_empty);
}

}  // namespace
}  // namespace morvane
