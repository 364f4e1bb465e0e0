// Plotter pages as ink: the labels and dashed lines the screen shows reach
// as far and have as many dashes on paper, in every direction, in either face.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/screen_paper.h"
#include "support/surface_compare.h"

namespace morvane {
namespace {

using test::Step;
using test::StepKind;

// The pages of a plotter program, screen and paper.
test::ScreenAndPaper plot(const std::string& lines, PlotterFace face = PlotterFace::truetype) {
  test::ScriptRun run(1, true, face);
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

// Plotter programs of labels, moves, sizes, directions and text: drawn with
// the pen, the printed page shows what the sheet showed, stroke for stroke.
class StrokeProgram {
 public:
  explicit StrokeProgram(unsigned seed) : rng_(seed) {}

  std::string bytes() {
    std::string s;
    for (int n = 0; n < 30; ++n) s += step();
    return s + "\x0c";
  }

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  std::string number() { return std::to_string(pick(1999) - 999); }
  std::string label() {
    std::string s;
    for (int n = 1 + pick(20); n > 0; --n) s += static_cast<char>(' ' + pick(95));
    return s;
  }
  std::string step() {
    switch (pick(9)) {
      case 0: return "\x1b#";
      case 1: return "M" + number() + "," + number() + "\r\n";
      case 2: return "R" + number() + "," + number() + "\r\n";
      case 3: return "S" + std::to_string(pick(16)) + "\r\n";
      case 4: return "Q" + std::to_string(pick(4)) + "\r\n";
      case 5: return "C" + std::to_string(pick(4)) + ",P" + label() + "\r\n";
      case 6: return "A\r\n";
      case 7: return label() + "\r\n";  // text in text mode, a label's rest in graphic mode
      default: return "P" + label() + "\r\n";
    }
  }
  std::mt19937 rng_;
};

TEST(PlotterPaperInk, PenDrawnLabelsPrintAsTheyShowed) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE(seed);
    const std::string program = StrokeProgram(seed).bytes();
    test::ScriptRun run(1, seed % 2 == 0, PlotterFace::strokes);
    run.run({StepKind::bytes, program, 0});
    run.run({StepKind::end_now, {}, 0});
    const test::ScreenAndPaper r = run.result();
    ASSERT_EQ(test::screen_paper_difference(r), "");
    ASSERT_FALSE(r.screen.empty());
    for (const test::Drawing& page : r.screen) ASSERT_EQ(test::page_ink_difference(page), "");
  }
}

}  // namespace
}  // namespace morvane
