// The plotter's labels and text drawn with its pen (the stroke face): sizes,
// directions and the pen moving on as on the device, text mode in its cells,
// and the TrueType face left as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/screen_paper.h"

namespace morvane {
namespace {

using test::EngineFixture;

struct Box {
  double left = 1e18, top = 1e18, right = -1e18, bottom = -1e18;
  void add(const PenPoint& p) {
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  bool empty() const { return right < left; }
};

// A command letter and its number.
std::string command(char letter, int n) {
  std::string out(1, letter);
  return out.append(std::to_string(n));
}

// Command lines from their parts, each part ending with CR.
std::string lines(std::initializer_list<std::string> parts) {
  std::string out;
  for (const std::string& p : parts) out.append(p).append("\r");
  return out;
}

Box box_of(const Strokes& s) {
  Box b;
  for (const PenPoint& p : s.points) b.add(p);
  return b;
}

// A plotter in a face. Letter at 600 dpi: margins 25 on every side, 10 x 20
// character cells.
struct PlotterIn {
  explicit PlotterIn(PlotterFace face) {
    f.engine.interp.plotter_face = face;
    f.use_metrics(TextMetrics{20, 0, 10, 10});
    f.feed("");
    f.engine.interp.emulation = Emulation::plotter;
    f.sheet().clear();
  }
  PlotterPen& pen() { return f.engine.screen.plotter; }
  std::vector<DrawRecord> strokes() { return f.sheet().of_kind(DrawKind::strokes); }
  std::vector<DrawRecord> texts() { return f.sheet().of_kind(DrawKind::draw_text); }
  // Graphic mode with the origin at page (25, 150).
  void graphic() {
    f.engine.screen.cur_y = 125;
    f.feed("\x1b#");
  }
  EngineFixture f;
};

struct PenFace : ::testing::Test, PlotterIn {
  PenFace() : PlotterIn(PlotterFace::strokes) {}
};

// Size n: characters 4(n+1) steps wide and 6(n+1) tall, 6(n+1) apart; the
// plotter has sixteen sizes, so a larger number set in text mode draws the
// largest. Steps are 5/6 of a page unit.
TEST_F(PenFace, SizesGrowAsOnTheDevice) {
  graphic();
  for (int n = 0; n <= 16; ++n) {
    SCOPED_TRACE(n);
    const double k = std::min(n, 15) + 1;
    if (n <= 15) f.feed(lines({command('S', n)}));
    else pen().char_size = 42;  // as DC2 42 in text mode leaves it
    f.sheet().clear();
    f.feed("M0,0\rPH\rM0,0\rPHH\r");
    const std::vector<DrawRecord> drawn = strokes();
    ASSERT_EQ(drawn.size(), 2u);
    const Box one = box_of(drawn[0].strokes);
    const Box two = box_of(drawn[1].strokes);
    EXPECT_NEAR(one.bottom - one.top, 6 * k * 5 / 6, 1e-9);   // capital height
    EXPECT_NEAR(one.right - one.left, 4 * k * 5 / 6, 1e-9);   // a capital H's width
    EXPECT_NEAR(two.right - one.right, 6 * k * 5 / 6, 1e-9);  // the pitch
    EXPECT_NEAR(one.bottom, 150, 1e-9);  // standing on the pen's line
    EXPECT_EQ(pen().pen_x, static_cast<std::int32_t>(12 * k));
  }
}

// From one point a label in each direction: each lies in its own quarter
// around the pen, and the pen moves on along it by the label's length.
TEST_F(PenFace, FourDirectionsAroundOnePoint) {
  graphic();
  struct Case {
    int q;
    int right, down;        // the quarter of the page the label lies in
    int pen_dx, pen_dy;     // where the pen goes, in steps (y up)
  };
  const Case cases[] = {{0, 1, -1, 60, 0}, {1, 1, 1, 0, -60}, {2, -1, 1, -60, 0}, {3, -1, -1, 0, 60}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.q);
    f.sheet().clear();
    f.feed(lines({"M240,-120", command('Q', c.q), "PWORDS"}));
    ASSERT_EQ(strokes().size(), 1u);
    const Box b = box_of(strokes()[0].strokes);
    const double px = 25 + 240 * 5 / 6.0;
    const double py = 150 + 120 * 5 / 6.0;
    // Inside its quarter, with a unit for the rounded ends of the pen.
    if (c.right > 0) EXPECT_GE(b.left, px - 1);
    else EXPECT_LE(b.right, px + 1);
    if (c.down > 0) EXPECT_GE(b.top, py - 1);
    else EXPECT_LE(b.bottom, py + 1);
    // Five characters of size 1 reach 5 x 12 steps less the last gap.
    EXPECT_GT(std::max(b.right - b.left, b.bottom - b.top), 40.0);
    EXPECT_EQ(pen().pen_x, 240 + c.pen_dx);
    EXPECT_EQ(pen().pen_y, -120 + c.pen_dy);
  }
}

// A program written for the device: a dashed line, a label after it, then
// back by the line's length and the label's to start the next line. The
// lines start one below the other, in every size and with labels of every
// length, blanks included.
TEST_F(PenFace, ProgramsThatStepBackByTheLabelLineUp) {
  graphic();
  const std::string labels[] = {" Black", " Blue pen", "  ", "Red, dashed"};
  for (int size : {0, 1, 4, 7}) {  // moves reach 999 steps at most
    SCOPED_TRACE(size);
    f.sheet().clear();
    f.feed(lines({command('S', size), "M0,0"}));
    const int pitch = 6 * (size + 1);
    for (int line = 0; line < 4; ++line) {
      const std::string& label = labels[line];
      const int back = 200 + pitch * static_cast<int>(label.size());
      f.feed(lines({command('L', line + 2), "J200,0", std::string("P").append(label),
                    command('R', -back).append(",-30")}));
    }
    std::vector<std::int32_t> starts;
    for (const DrawRecord& r : f.sheet().of_kind(DrawKind::line_to)) {
      if (r.color == rgb(198, 195, 198)) continue;  // the sheet's frame
      starts.push_back(r.x0);
    }
    ASSERT_EQ(starts.size(), 4u);
    for (std::int32_t x : starts) EXPECT_EQ(x, 25);
    EXPECT_EQ(pen().pen_x, 0);
    EXPECT_EQ(pen().pen_y, -120);
  }
}

TEST_F(PenFace, ALabelOfBlanksMovesThePenAndDrawsNothing) {
  graphic();
  f.feed("M0,0\rP   \rP\r");
  EXPECT_TRUE(strokes().empty());
  EXPECT_EQ(pen().pen_x, 3 * 12);
}

TEST_F(PenFace, PowerOnSizeIsOne) {
  EXPECT_EQ(f.engine.screen.plotter.char_size, 1);
  EXPECT_EQ(f.engine.printer.plotter.char_size, 1);
}

// Text mode: the same columns and lines as with the TrueType face, each
// character's strokes inside its cell.
TEST(PenFaceText, CharactersKeepTheirCells) {
  const std::string text = "Ag y,!\r\nQ|_~";
  PlotterIn type(PlotterFace::truetype);
  PlotterIn pen(PlotterFace::strokes);
  type.f.feed(text);
  pen.f.feed(text);
  EXPECT_EQ(type.f.engine.screen.cur_x, pen.f.engine.screen.cur_x);
  EXPECT_EQ(type.f.engine.screen.cur_y, pen.f.engine.screen.cur_y);
  std::vector<DrawRecord> cells;
  for (const DrawRecord& r : type.texts()) if (r.text != " ") cells.push_back(r);
  const std::vector<DrawRecord> drawn = pen.strokes();
  ASSERT_EQ(drawn.size(), cells.size());
  for (std::size_t i = 0; i < cells.size(); ++i) {
    SCOPED_TRACE(cells[i].text);
    const Box b = box_of(drawn[i].strokes);
    EXPECT_GE(b.left, cells[i].x0);
    EXPECT_LE(b.right, cells[i].x0 + 10);
    EXPECT_GE(b.top, cells[i].y0);
    EXPECT_LE(b.bottom, cells[i].y0 + 20);
  }
}

}  // namespace
}  // namespace morvane
