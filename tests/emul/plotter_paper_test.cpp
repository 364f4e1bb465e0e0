// Plotter pages as ink: the labels and dashed lines the screen shows reach
// as far and have as many dashes on paper, in every direction.
#include <gtest/gtest.h>

#include <string>

#include "support/screen_paper.h"
#include "support/surface_compare.h"

namespace morvane {
namespace {

using test::Step;
using test::StepKind;

// The pages of a plotter program, screen and paper.
test::ScreenAndPaper plot(const std::string& lines) {
  test::ScriptRun run(1, true);
  run.run({StepKind::bytes, "\x1b#" + lines + "A\r\n\x0c", 0});
  return run.result();
}

void expect_same_ink(const test::ScreenAndPaper& r) {
  ASSERT_EQ(test::screen_paper_difference(r), "");
  ASSERT_EQ(r.screen.size(), 1u);
  EXPECT_EQ(test::page_ink_difference(r.screen[0]), "");
}

TEST(PlotterPaperInk, LongLabelsEndWhereTheSheetShowsThemInEveryDirection) {
  const std::string label =
      "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG, 0123456789!";  // 56 characters
  for (int q = 0; q < 4; ++q) {
    SCOPED_TRACE("Q" + std::to_string(q));
    expect_same_ink(plot("M300,-300\rQ" + std::to_string(q) + "\rP" + label + "\r"));
  }
}

TEST(PlotterPaperInk, DashesAlongTheLineAtAnyAngle) {
  // End points around a circle of 400 steps, every 15 degrees, and a few
  // odd slopes; every dashed line type.
  std::string lines;
  const int ends[][2] = {{400, 0},   {386, 104}, {346, 200},  {283, 283}, {200, 346},
                         {104, 386}, {0, 400},   {-104, 386}, {-283, 283}, {-400, 0},
                         {-346, -200}, {0, -400}, {283, -283}, {397, 13},  {13, 397}};
  for (int type : {1, 2, 3, 7, 14}) {
    for (const auto& e : ends) {
      lines += "L" + std::to_string(type) + ",M0,0\rD" + std::to_string(e[0]) + "," +
               std::to_string(e[1]) + "\r";
    }
  }
  expect_same_ink(plot("M450,-450\rI\r" + lines));
}

}  // namespace
}  // namespace morvane
