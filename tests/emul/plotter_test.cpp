// The plotter emulation: text mode sequences, command-line collection and
// the graphic commands, through the whole feed loop onto recording sheets.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "emul/plotter_internal.h"
#include "support/engine_fixture.h"

namespace morvane {
namespace {

using test::EngineFixture;

constexpr Color kBlue = 0x840000;
constexpr Color kGreen = 0x008000;
constexpr Color kRed = 0x000080;

// Letter at 600 dpi: margins 25 on every side, 10 x 20 character cells.
struct Plotter : ::testing::Test {
  Plotter() {
    f.use_metrics(TextMetrics{20, 0, 10, 10});
    f.feed("");
    f.engine.interp.emulation = Emulation::plotter;
    f.sheet().clear();
  }
  PageState& screen() { return f.engine.screen; }
  PlotterPen& pen() { return f.engine.screen.plotter; }
  // The plotter's lines, without the margin frame of a cleared sheet.
  std::vector<DrawRecord> lines() {
    std::vector<DrawRecord> out;
    for (auto& r : f.sheet().of_kind(DrawKind::line_to))
      if (r.color != rgb(198, 195, 198)) out.push_back(r);
    return out;
  }
  std::vector<DrawRecord> texts() { return f.sheet().of_kind(DrawKind::draw_text); }
  // Graphic mode entered on the text line at y 125: the origin is 150 steps down.
  void graphic() {
    if (pen().graphic_mode) f.feed("A\r\n\x1b");  // A, then ESC ends the stale parameter state
    screen().cur_y = 125;
    f.feed("\x1b#");
  }
  // The same from the top of a page by line feeds, so the printer's replay
  // of the page enters graphic mode at the same height.
  void graphic_on_both_pages() { f.feed("\n\n\n\n\n\x1b#"); }
  EngineFixture f;
};

// --- Text mode ------------------------------------------------------------

TEST_F(Plotter, PenSequenceChangesColourWithoutMovingThePosition) {
  f.feed("\x1b" "C1\r\n");
  EXPECT_EQ(pen().pen_color, kBlue);
  EXPECT_EQ(screen().cur_x, 25u);
  EXPECT_EQ(screen().cur_y, 25u);
  EXPECT_EQ(screen().line_count, 0u);
  f.feed("X");
  ASSERT_EQ(texts().size(), 1u);
  EXPECT_EQ(texts()[0].color, kBlue);
}

TEST_F(Plotter, ParameterSequencesTakeEffectOnlyWithTheRightDigits) {
  struct Case {
    const char* bytes;
    Color pen;
    std::int32_t size;
  };
  const Case cases[] = {
      {"\x1b" "C2\r", kGreen, 7}, {"\x1b" "C3\r", kRed, 7},   {"\x1b" "C12\r", 0, 7},
      {"\x1b" "C7\r", 0, 7},      {"\x1b" "C\r", 0, 7},       {"\x12" "5\r", 0, 5},
      {"\x12" "42\r", 0, 42},     {"\x12\r", 0, 7},           {"\x12" "123\r", 0, 7},
  };
  for (const Case& c : cases) {
    pen().pen_color = 0;
    pen().char_size = 7;
    f.feed(c.bytes);
    f.feed("\n");
    EXPECT_EQ(pen().pen_color, c.pen) << c.bytes + 1;
    EXPECT_EQ(pen().char_size, c.size) << c.bytes + 1;
    EXPECT_EQ(screen().cur_x, 25u) << c.bytes + 1;
    EXPECT_EQ(screen().line_count, 0u) << c.bytes + 1;
    EXPECT_EQ(f.engine.interp.font_changed, 0) << c.bytes + 1;
  }
  EXPECT_TRUE(texts().empty());
}

TEST_F(Plotter, ALetterEndsTheSequenceAndIsPrinted) {
  f.feed("\x1b" "C1X");
  EXPECT_EQ(pen().pen_color, 0u);
  EXPECT_EQ(f.sheet().all_text(), "X");
}

TEST_F(Plotter, ASecondEscapeEndsTheFirstSequenceAndTheRestIsText) {
  f.feed("\x1b" "C1\x1b" "C2\r");
  EXPECT_EQ(pen().pen_color, 0u);
  EXPECT_EQ(f.sheet().all_text(), "C2");
  EXPECT_EQ(screen().cur_x, 25u);  // the CR is an ordinary carriage return
}

TEST_F(Plotter, BackspaceAndVerticalTabStopAtTheMargins) {
  struct Case {
    std::uint32_t x, y;
    const char* bytes;
    std::uint32_t want_x, want_y;
  };
  const Case cases[] = {
      {25, 25, "\b", 25, 25},      {35, 25, "\b", 25, 25},  {36, 25, "\b", 26, 25},
      {80, 25, "\b\b", 60, 25},    {25, 25, "\v", 25, 25},  {45, 45, "\v", 45, 25},
      {45, 46, "\v", 45, 26},      {25, 105, "\v\v", 25, 65},
      {3, 3, "\b\v", 25, 25},  // left of the margin: back to it, never wrapping
  };
  for (const Case& c : cases) {
    screen().cur_x = c.x;
    screen().cur_y = c.y;
    f.feed(c.bytes);
    EXPECT_EQ(screen().cur_x, c.want_x) << c.x << "," << c.y;
    EXPECT_EQ(screen().cur_y, c.want_y) << c.x << "," << c.y;
  }
}

TEST_F(Plotter, DigitsOfTheLineAfterLeavingGraphicModeAreLost) {
  graphic();
  f.feed("A\r\n12 apples\r\napples\r\n");
  EXPECT_EQ(pen().graphic_mode, 0);
  EXPECT_EQ(f.sheet().all_text(), " applesapples");
}

TEST_F(Plotter, DigitsPastAFullParameterArePrinted) {
  f.feed("\x12" + std::string(133, '4') + "\r");
  EXPECT_EQ(f.sheet().all_text(), "4");
  EXPECT_EQ(pen().char_size, 7);
}

// --- Collection -----------------------------------------------------------

TEST_F(Plotter, GraphicModeTakesItsOriginFromThePrintLine) {
  graphic();
  EXPECT_EQ(f.engine.interp.emulation, Emulation::plotter);
  EXPECT_EQ(pen().graphic_mode, 1);
  EXPECT_EQ(pen().origin_x, 0);
  EXPECT_EQ(pen().origin_y, 150);
  f.feed("M100,100\r\n");
  EXPECT_EQ(pen().pen_x, 100);
  EXPECT_EQ(pen().pen_y, 100);
  EXPECT_EQ(screen().cur_y, 125u);  // the LF feeds no line
  EXPECT_EQ(screen().line_count, 0u);
  EXPECT_TRUE(f.sheet().records().empty());
}

TEST_F(Plotter, ALongCommandLineKeepsItsFirst132Characters) {
  graphic();
  f.feed("P" + std::string(200, 'x') + "\r");
  ASSERT_EQ(texts().size(), 1u);
  EXPECT_EQ(texts()[0].text, std::string(131, 'x'));
}

TEST_F(Plotter, AZeroByteEndsTheCommandLine) {
  graphic();
  f.feed(std::string("M10,10\0M20,20\r", 14));
  EXPECT_EQ(pen().pen_x, 10);
}

TEST_F(Plotter, FormFeedRunsTheLineReturnsToTextAndEndsThePage) {
  graphic_on_both_pages();
  f.feed("D100,0\f");
  ASSERT_EQ(lines().size(), 1u);
  EXPECT_EQ(pen().graphic_mode, 0);
  EXPECT_EQ(screen().cur_y, 25u);
  auto sheets = f.printed().sheets();
  ASSERT_EQ(sheets.size(), 1u);
  std::vector<DrawRecord> printed_lines;
  for (const auto& r : sheets[0])
    if (r.kind == DrawKind::line_to) printed_lines.push_back(r);
  ASSERT_EQ(printed_lines.size(), 1u);
  EXPECT_EQ(printed_lines[0].y0, 150);
  EXPECT_EQ(printed_lines[0].x1, 108);
  // The next page starts in plain text mode.
  f.feed("12\r\n");
  EXPECT_EQ(f.sheet().all_text(), "12");
}

// --- Drawing --------------------------------------------------------------

TEST_F(Plotter, AbsoluteLineConvertsStepsToPageUnits) {
  graphic();
  f.feed("D100,0\r");
  auto l = lines();
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0].x0, 25);
  EXPECT_EQ(l[0].y0, 150);
  EXPECT_EQ(l[0].x1, 108);
  EXPECT_EQ(l[0].y1, 150);
  EXPECT_EQ(l[0].color, 0u);
  EXPECT_EQ(l[0].dash, 0);
}

TEST_F(Plotter, RelativeLinesJoinAndMovesDrawNothing) {
  graphic();
  f.feed("J50,50,50,50,50,50\r");
  auto l = lines();
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(pen().pen_x, 150);
  EXPECT_EQ(pen().pen_y, 150);
  EXPECT_EQ(l[1].x0, l[0].x1);
  EXPECT_EQ(l[1].y0, l[0].y1);
  EXPECT_EQ(l[2].x1, 150);
  EXPECT_EQ(l[2].y1, 25);
  f.sheet().clear();
  f.feed("M0,0\rR10,-10\r");
  EXPECT_EQ(pen().pen_x, 10);
  EXPECT_EQ(pen().pen_y, -10);
  EXPECT_TRUE(f.sheet().records().empty());
}

TEST_F(Plotter, NegativeStepsTruncateTowardZero) {
  graphic();
  f.feed("D-7,-7\r");  // -7 x 800 / 960 = -5.8
  ASSERT_EQ(lines().size(), 1u);
  EXPECT_EQ(lines()[0].x1, 20);
  EXPECT_EQ(lines()[0].y1, 155);
}

TEST_F(Plotter, PairListsAndTheirRejection) {
  struct Case {
    const char* line;
    std::size_t lines;
    std::int32_t pen_x, pen_y;
  };
  const Case cases[] = {
      {"D1000,0", 0, 0, 0},         {"D100", 0, 0, 0},
      {"D-999.9,0", 1, -999, 0},    {"D100,100,,200,200", 1, 100, 100},
      {"M0,0,D100,0", 0, 0, 0},     {"D10,10,1000,0,20,20", 1, 10, 10},
      {"D5,5,M,C1", 2, 0, 0},       {"D0,999.99", 1, 0, 999},
      {"D,5", 1, 0, 5},             {"D1e2,-2.5e1", 1, 100, -25},
      {"D 12 ,x7", 1, 12, 0},       {"D100,", 0, 0, 0},
      {"D100,,5", 0, 0, 0},         {"Dinf,0", 0, 0, 0},
      {"D0,nan", 0, 0, 0},          {"R999,999,999,0", 0, 1998, 999},
  };
  for (const Case& c : cases) {
    graphic();
    f.sheet().clear();
    f.feed(std::string(c.line) + "\r");
    EXPECT_EQ(lines().size(), c.lines) << c.line;
    EXPECT_EQ(pen().pen_x, c.pen_x) << c.line;
    EXPECT_EQ(pen().pen_y, c.pen_y) << c.line;
    EXPECT_EQ(pen().pen_color, 0u) << c.line;  // nothing after a rejection runs
  }
}

// D, J and P open the printed sheet before they read anything, so even one
// that draws nothing prints its (blank) sheet; a mere move opens none.
TEST_F(Plotter, DrawingCommandsOpenThePrintedSheetEvenWhenTheyDrawNothing) {
  const struct {
    const char* line;
    std::size_t sheets;
  } cases[] = {{"D1000,0", 1}, {"J", 1}, {"P", 1}, {"D100", 1}, {"M10,10", 0}};
  for (const auto& c : cases) {
    graphic_on_both_pages();
    const std::size_t before = f.printed().count(PrinterCall::start_page);
    f.feed(std::string(c.line) + "\r\f");
    EXPECT_EQ(f.printed().count(PrinterCall::start_page), before + c.sheets) << c.line;
  }
}

TEST_F(Plotter, ANumberCommandTakesEverythingUpToTheNextComma) {
  graphic();
  f.feed("C1,D100,100\r");
  ASSERT_EQ(lines().size(), 1u);
  EXPECT_EQ(lines()[0].color, kBlue);
  f.sheet().clear();
  f.feed("C2D100,100\r");
  EXPECT_EQ(pen().pen_color, kGreen);
  EXPECT_TRUE(lines().empty());
  f.feed("C4\rC-1\r");
  EXPECT_EQ(pen().pen_color, kGreen);
}

TEST_F(Plotter, LineTypesDashWhereverTheBackendCan) {
  struct Case {
    std::int32_t os_version;
    const char* line;
    std::int32_t dash;
  };
  const Case cases[] = {
      {0, "L3", 3},         {0, "L0", 0},         {0, "L15", 0},     {0, "L14", 14},
      {0, "L3,L16", 3},     {0, "L3,L-1", 3},     {40002, "L3", 3},  {50102, "L1", 1},
      {60202, "L7", 7},     {100002, "L2", 2},    {40001, "L3", 0},  {41001, "L3", 0},
      {30100, "L3", 0},
  };
  for (const Case& c : cases) {
    f.engine.interp.os_version = c.os_version;
    pen().line_type = 0;
    graphic();
    f.sheet().clear();
    f.feed(std::string(c.line) + ",D100,0\r");
    auto pens = f.sheet().of_kind(DrawKind::set_pen);
    ASSERT_EQ(pens.size(), 1u) << c.line;
    EXPECT_EQ(pens[0].dash, c.dash) << c.os_version << " " << c.line;
  }
}

TEST_F(Plotter, OriginMovesToThePenAndHomeReturnsToIt) {
  graphic();
  f.feed("M120,60\rI\rM10,10\rH\r");
  EXPECT_EQ(pen().origin_x, 120);
  EXPECT_EQ(pen().origin_y, 90);
  EXPECT_EQ(pen().pen_x, 0);
  EXPECT_EQ(pen().pen_y, 0);
  f.feed("M7,9\rF\r");
  EXPECT_EQ(pen().pen_x, 0);
  EXPECT_EQ(pen().pen_y, 9);
  f.feed("H,D0,0\r");
  ASSERT_EQ(lines().size(), 1u);
  EXPECT_EQ(lines()[0].x1, 125);
  EXPECT_EQ(lines()[0].y1, 100);
}

TEST_F(Plotter, EndlessRelativeMovesSaturate) {
  graphic();
  pen().pen_x = INT32_MAX - 5;
  pen().origin_y = INT32_MIN + 5;
  pen().pen_y = INT32_MAX - 5;
  f.feed("R999,999\rI\rD999,-999\r");
  EXPECT_EQ(pen().origin_x, INT32_MAX);
  EXPECT_EQ(pen().origin_y, INT32_MIN);
  ASSERT_EQ(lines().size(), 1u);
  // Far beyond the sheet, but never wrapped round to the other side.
  EXPECT_EQ(lines()[0].x1, 25 + (INT64_C(2147483647) + 999) * 800 / 960);
  EXPECT_EQ(lines()[0].y1, 25 + (INT64_C(-2147483648) + 999) * 800 / 960);
}

// --- Labels ---------------------------------------------------------------

TEST_F(Plotter, LabelTakesTheRestOfTheLineAndStaysInGraphicMode) {
  graphic();
  f.feed("PHELLO,A\r");
  ASSERT_EQ(texts().size(), 1u);
  EXPECT_EQ(texts()[0].text, "HELLO,A");
  EXPECT_EQ(texts()[0].x0, 35);   // px + cw
  EXPECT_EQ(texts()[0].y0, 130);  // py - lh
  EXPECT_EQ(pen().graphic_mode, 1);
  f.feed("P\r");
  EXPECT_EQ(texts().size(), 1u);
}

TEST_F(Plotter, LabelColourIsThePen) {
  graphic();
  f.feed("C3,PX\r");
  ASSERT_EQ(texts().size(), 1u);
  EXPECT_EQ(texts()[0].color, kRed);
}

TEST_F(Plotter, DirectionPlacesTheLabelAtOnceButTheFontFollowsTheLine) {
  graphic();
  f.feed("Q1,PHELLO\r");
  ASSERT_EQ(texts().size(), 1u);
  EXPECT_EQ(texts()[0].x0, 35);   // px + cw
  EXPECT_EQ(texts()[0].y0, 150);  // py
  EXPECT_EQ(texts()[0].font.escapement, 0);
  EXPECT_EQ(f.engine.current_font.escapement, 2700);
  EXPECT_EQ(pen().text_angle, 2700);
}

TEST_F(Plotter, ReferencePointsPerDirectionOnSheetAndPrinter) {
  struct Case {
    const char* q;
    std::int32_t angle;
    std::int32_t sheet_x, sheet_y, printer_x, printer_y;
  };
  const Case cases[] = {
      {"Q0", 0, 35, 130, 35, 130},    {"Q1", 2700, 35, 150, 35, 150},
      {"Q2", 1800, 35, 160, 35, 160}, {"Q3", 900, 25, 150, 25, 150},
      {"Q9", 0, 35, 130, 35, 130},
  };
  for (const Case& c : cases) {
    graphic_on_both_pages();
    f.sheet().clear();
    f.feed(std::string(c.q) + "\rPAB\r");
    ASSERT_EQ(texts().size(), 1u) << c.q;
    EXPECT_EQ(texts()[0].x0, c.sheet_x) << c.q;
    EXPECT_EQ(texts()[0].y0, c.sheet_y) << c.q;

    const std::size_t printed_before = f.printed().sheets().size();
    f.feed("\f");
    auto sheets = f.printed().sheets();
    ASSERT_EQ(sheets.size(), printed_before + 1) << c.q;
    std::vector<DrawRecord> printed;
    for (const auto& r : sheets.back())
      if (r.kind == DrawKind::draw_text) printed.push_back(r);
    ASSERT_EQ(printed.size(), 1u) << c.q;
    EXPECT_EQ(printed[0].text, "AB");
    EXPECT_EQ(printed[0].x0, c.printer_x) << c.q;
    EXPECT_EQ(printed[0].y0, c.printer_y) << c.q;
    EXPECT_EQ(printed[0].font.escapement, c.angle) << c.q;
  }
}

TEST_F(Plotter, SizeIsRecordedButDoesNotScaleLabels) {
  graphic();
  f.feed("S12\rS16\rPAB\r");
  EXPECT_EQ(pen().char_size, 12);
  ASSERT_EQ(texts().size(), 1u);
  EXPECT_EQ(texts()[0].font.height, screen().font.height);
}

// --- Back to text mode ------------------------------------------------------

TEST_F(Plotter, TextGoesOnAtThePenHeightWithinThePrintableArea) {
  struct Case {
    const char* lines;
    std::uint32_t cur_y;
  };
  const Case cases[] = {
      {"M40,60\rA", 100},                         // 25 + (150 - 60) x 800 / 960
      {"A", 150},                                 // the origin itself
      {"M0,999\rI\rM0,999\rA", 25},               // above the sheet: the top margin
      {"M0,-999\rI\rM0,-999\rI\rA", 1055},        // below: the last line that fits
  };
  for (const Case& c : cases) {
    graphic();
    f.feed(std::string(c.lines) + "\r");
    EXPECT_EQ(pen().graphic_mode, 0) << c.lines;
    EXPECT_EQ(screen().cur_x, 25u) << c.lines;
    EXPECT_EQ(screen().cur_y, c.cur_y) << c.lines;
    EXPECT_EQ(pen().origin_x, 0) << c.lines;
    EXPECT_EQ(pen().pen_x, 0) << c.lines;
    f.feed("\n?");  // ends the stale parameter state
  }
}

TEST_F(Plotter, CommandsAfterLeavingGraphicModeStillRunInThatLine) {
  graphic();
  f.feed("A,D10,0\r");
  EXPECT_EQ(pen().graphic_mode, 0);
  EXPECT_EQ(lines().size(), 1u);
}

// --- The scanner on its own -------------------------------------------------

TEST(PlotterScan, NumbersAndSeparators) {
  struct Case {
    const char* text;
    std::int32_t value;
    std::size_t pos_after;
  };
  const Case cases[] = {
      {"12", 12, 2},        {" -3,4", -3, 4},    {"+7x,", 7, 4},
      {"abc", 0, 3},        {"5,,9", 5, 4},      {"99999999999999999999", INT32_MAX, 20},
      {"-99999999999999", INT32_MIN, 15},        {"1,", 1, 2},
  };
  for (const Case& c : cases) {
    PlotScan s{c.text};
    EXPECT_EQ(read_number(s), c.value) << c.text;
    EXPECT_EQ(s.pos, c.pos_after) << c.text;
  }
}

TEST(PlotterScan, PairValuesAreTruncatedDecimals) {
  struct Case {
    const char* text;
    bool accepted;
    std::int32_t x, y;
  };
  const Case cases[] = {
      {"-999.9,0", true, -999, 0},   {"999.999999999999999999,1", false, 0, 0},
      {"999.9999999999,1", true, 999, 1}, {" +999.99999999999999999,-100", false, 0, 0},
      {"1000,0", false, 0, 0},       {"0,-1000", false, 0, 0},
      {"-.5,.5", true, 0, 0},        {"0.00001e8,0", false, 0, 0},
      {"12e-1,5E1", true, 1, 50},    {"5e500,0", false, 0, 0},
      {"5e-500,0", true, 0, 0},      {"0e999,1", true, 0, 1},
      {"007.5,0010", true, 7, 10},   {"1e,2e+", true, 1, 2},
      {"INF,0", false, 0, 0},        {"-NaN,0", false, 0, 0},
      {".,9", true, 0, 9},           {"0x10,0", true, 0, 0},
      {"--5,+-5", true, 0, 0},       {"1e-99999999999999999999,-0.9", true, 0, 0},
      {"0.0001e99999999999999999999,0", false, 0, 0},
  };
  for (const Case& c : cases) {
    PlotScan s{c.text};
    std::int32_t x = -1;
    std::int32_t y = -1;
    EXPECT_EQ(read_pair(s, x, y), c.accepted) << c.text;
    if (c.accepted) {
      EXPECT_EQ(x, c.x) << c.text;
      EXPECT_EQ(y, c.y) << c.text;
    }
  }
}

}  // namespace
}  // namespace morvane
