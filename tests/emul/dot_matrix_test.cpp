// The dot-matrix interpreter: results, states and style changes byte by byte.
#include <gtest/gtest.h>

#include "emul/dot_fixture.h"
#include "layout/page_ops.h"
#include "layout/text_style.h"

namespace morvane::testing {
namespace {

class DotMatrix : public ::testing::Test {
 protected:
  DotMatrix() {
    PageState& p = run.engine.screen;
    reset_style(p, TabTable{});
    p.lines_per_page = 61;
    p.margin_left = 25;
    p.char_width = 10;
    p.cur_x = 25;
    p.font.height = -30;
    p.font.width = 12;
    p.font.weight = 400;
  }
  PageState& page() { return run.engine.screen; }
  DotRun run;
};

struct ResultCase {
  const char* name;
  Bytes input;
  Bytes expected;
};

TEST_F(DotMatrix, ResultOfEveryByte) {
  const ResultCase cases[] = {
      {"second ESC is the command", {ESC, ESC, 'x'}, {0, 0, 'x'}},
      {"ESC C 0 ignored, B printed", {ESC, 'C', 0, 66}, {0, 0, 0, 66}},
      {"ESC K 0 0 draws nothing", {ESC, 'K', 0, 0, 'A'}, {0, 0, 0, 0, 'A'}},
      {"bit-image data may be any byte", {ESC, 'K', 4, 0, ESC, 13, 10, 12, 'A'},
       {0, 0, 0, 0, 0, 0, 0, 0, 'A'}},
      {"ESC D 10 5 65", {ESC, 'D', 10, 5, 65}, {0, 0, 0, 0, 65}},
      {"ESC < returns CR", {ESC, '<'}, {0, 13}},
      {"VT is a line feed, BS passes", {11, 8}, {10, 8}},
      {"control codes consumed", {0, 9, 14, 15, 18, 20, 24}, {0, 0, 0, 0, 0, 0, 0}},
      {"FF and CR returned", {12, 13, 10}, {12, 13, 10}},
      {"other bytes pass", {1, 7, 16, 17, 19, 21, 25, 26, 28, 31, 127, 128, 255},
       {1, 7, 16, 17, 19, 21, 25, 26, 28, 31, 127, 128, 255}},
      {"ESC J and ESC U consume n", {ESC, 'J', 'a', ESC, 'U', 27, 'b'}, {0, 0, 0, 0, 0, 0, 'b'}},
      {"unknown sequences", {ESC, 'a', 'b', ESC, 200, 'c', ESC, '@', 'd', ESC, 13, 'e'},
       {0, 0, 'b', 0, 0, 'c', 0, 0, 'd', 0, 0, 'e'}},
      {"parameter is any byte", {ESC, '-', ESC, 'x'}, {0, 0, 0, 'x'}},
  };
  for (const auto& c : cases) {
    DotRun fresh;
    reset_style(fresh.engine.screen, TabTable{});
    EXPECT_EQ(fresh.interpret(c.input), c.expected) << c.name;
    const DotMatrixState& d = fresh.engine.interp.dot;
    EXPECT_EQ(d.esc_pending | d.param_pending | d.count_high_pending | d.tab_collecting, 0) << c.name;
    EXPECT_EQ(d.bit_image_mode, 0) << c.name;
  }
}

struct SpacingCase {
  const char* name;
  Bytes input;
  std::int32_t num, den;
};

TEST_F(DotMatrix, LineSpacingIsRecorded) {
  const SpacingCase cases[] = {
      {"ESC 0", {ESC, '0'}, 1, 8},
      {"ESC 1", {ESC, '1'}, 7, 72},
      {"ESC 2 alone", {ESC, '2'}, 1, 6},
      {"ESC A 20, ESC 2", {ESC, 'A', 20, ESC, '2'}, 20, 72},
      {"ESC A 85, ESC 2", {ESC, 'A', 85, ESC, '2'}, 85, 72},
      {"ESC A 0 ignored", {ESC, 'A', 0, ESC, '2'}, 1, 6},
      {"ESC A 86 ignored", {ESC, 'A', 86, ESC, '2'}, 1, 6},
      {"ESC A alone changes nothing yet", {ESC, 'A', 20}, 12, 72},
      {"ESC 3 5", {ESC, '3', 5}, 5, 216},
      {"ESC 3 255", {ESC, '3', 255}, 255, 216},
      {"ESC 3 0 ignored", {ESC, '3', 0}, 12, 72},
  };
  for (const auto& c : cases) {
    DotRun fresh;
    reset_style(fresh.engine.screen, TabTable{});
    fresh.interpret(c.input);
    EXPECT_EQ(fresh.engine.screen.styles.spacing_num, c.num) << c.name;
    EXPECT_EQ(fresh.engine.screen.styles.spacing_den, c.den) << c.name;
    EXPECT_EQ(fresh.engine.screen.line_height, 0u) << c.name << ": recorded only";
  }
}

TEST_F(DotMatrix, AcceptedEscAStaysForLaterEsc2) {
  run.interpret({ESC, 'A', 30, ESC, '0', ESC, 'A', 0, ESC, '2'});
  EXPECT_EQ(page().styles.spacing_num, 30);
  EXPECT_EQ(page().styles.spacing_den, 72);
}

TEST_F(DotMatrix, FormLengthAndPerforationSkip) {
  struct Case {
    Bytes input;
    std::uint32_t length, skip;
  } const cases[] = {
      {{ESC, 'C', 30}, 30, 0},   {{ESC, 'C', 66}, 61, 0},  {{ESC, 'C', 0}, 0, 0},
      {{ESC, 'C', 128}, 0, 0},   {{ESC, 'N', 6}, 0, 6},    {{ESC, 'N', 127}, 0, 127},
      {{ESC, 'N', 0}, 0, 0},     {{ESC, 'N', 128}, 0, 0},  {{ESC, 'N', 6, ESC, 'O'}, 0, 0},
      {{ESC, 'N', 6, ESC, 'N', 0}, 0, 6},
  };
  for (const auto& c : cases) {
    page().page_length_lines = 0;
    page().skip_perforation = 0;
    run.interpret(c.input);
    EXPECT_EQ(page().page_length_lines, c.length);
    EXPECT_EQ(page().skip_perforation, c.skip);
  }
}

TEST_F(DotMatrix, EmphasisAndDoubleStrikeChangeTheFontOnlyWhenTheyChange) {
  run.interpret({ESC, 'E'});
  EXPECT_EQ(page().styles.emphasized, 1);
  EXPECT_EQ(run.engine.interp.font_changed, 1);
  run.engine.interp.font_changed = 0;
  run.interpret({ESC, 'E'});
  EXPECT_EQ(run.engine.interp.font_changed, 0);
  run.interpret({ESC, 'F'});
  EXPECT_EQ(page().styles.emphasized, 0);
  EXPECT_EQ(run.engine.interp.font_changed, 1);

  // Off while already off keeps a weight that came from the settings.
  run.engine.interp.font_changed = 0;
  page().font.weight = 700;
  run.interpret({ESC, 'H', ESC, 'F'});
  EXPECT_EQ(page().font.weight, 700);
  EXPECT_EQ(run.engine.interp.font_changed, 0);

  run.interpret({ESC, 'G'});
  EXPECT_EQ(page().styles.double_strike, 1);
  EXPECT_EQ(page().font.weight, 500);
  EXPECT_EQ(run.engine.interp.font_changed, 1);
  page().font.weight = 600;
  run.interpret({ESC, 'G'});
  EXPECT_EQ(page().font.weight, 600);
  run.interpret({ESC, 'H'});
  EXPECT_EQ(page().styles.double_strike, 0);
  EXPECT_EQ(page().font.weight, 400);
}

TEST_F(DotMatrix, CarriageReturnAndFormFeedEndDoubleWidth) {
  for (std::uint8_t code : {std::uint8_t{13}, std::uint8_t{12}}) {
    run.interpret({14});
    run.engine.interp.font_changed = 0;
    EXPECT_EQ(run.interpret({code}), Bytes{code});
    EXPECT_EQ(page().styles.double_width, 0);
    EXPECT_EQ(run.engine.interp.font_changed, 1);
    run.engine.interp.font_changed = 0;
    EXPECT_EQ(run.interpret({code}), Bytes{code});
    EXPECT_EQ(run.engine.interp.font_changed, 0) << "no double width, no font change";
  }
  run.interpret({14});
  EXPECT_EQ(run.interpret({ESC, '<'}), (Bytes{0, 13}));
  EXPECT_EQ(page().styles.double_width, 1) << "ESC < keeps double width";
}

TEST_F(DotMatrix, StyleFlagsByCommand) {
  struct Case {
    const char* name;
    Bytes input;
    std::uint8_t dw, cond, sup, sub, exp, underline;
  } const cases[] = {
      {"SO", {14}, 1, 0, 0, 0, 0, 0},
      {"SO DC4", {14, 20}, 0, 0, 0, 0, 0, 0},
      {"SO CAN", {14, 24}, 0, 0, 0, 0, 0, 0},
      {"SI", {15}, 0, 1, 0, 0, 0, 0},
      {"SI DC2", {15, 18}, 0, 0, 0, 0, 0, 0},
      {"ESC S 0 superscript", {ESC, 'S', 0}, 0, 0, 1, 0, 0, 0},
      {"ESC S 1 subscript", {ESC, 'S', 0, ESC, 'S', 1}, 0, 0, 0, 1, 0, 0},
      {"ESC T", {ESC, 'S', 1, ESC, 'T'}, 0, 0, 0, 0, 0, 0},
      {"ESC W 1", {ESC, 'W', 1}, 0, 0, 0, 0, 1, 0},
      {"ESC W 2 ends SO too", {14, ESC, 'W', 1, ESC, 'W', 2}, 0, 0, 0, 0, 0, 0},
      {"ESC - 3", {ESC, '-', 3}, 0, 0, 0, 0, 0, 1},
      {"ESC - 2", {ESC, '-', 3, ESC, '-', 2}, 0, 0, 0, 0, 0, 0},
      {"ESC D 0 ends SO", {14, ESC, 'D', 0}, 0, 0, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    DotRun fresh;
    PageState& p = fresh.engine.screen;
    fresh.interpret(c.input);
    EXPECT_EQ(p.styles.double_width, c.dw) << c.name;
    EXPECT_EQ(p.styles.condensed, c.cond) << c.name;
    EXPECT_EQ(p.styles.superscript, c.sup) << c.name;
    EXPECT_EQ(p.styles.subscript, c.sub) << c.name;
    EXPECT_EQ(p.styles.expanded, c.exp) << c.name;
    EXPECT_EQ(p.font.underline, c.underline) << c.name;
  }
}

TEST_F(DotMatrix, EndOfTabListByZeroLeavesTheFontAlone) {
  run.interpret({14});
  run.engine.interp.font_changed = 0;
  run.interpret({ESC, 'D', 0});
  EXPECT_EQ(page().styles.double_width, 0);
  EXPECT_EQ(run.engine.interp.font_changed, 0);
}

TEST_F(DotMatrix, StylesMakeTheFont) {
  struct Case {
    const char* name;
    Bytes input;
    std::int32_t height, width, weight;
    std::uint8_t underline;
  } const cases[] = {
      {"plain", {}, -30, 0, 400, 0},
      {"condensed", {15}, -30, 6, 400, 0},
      {"condensed, double strike", {15, ESC, 'G'}, -30, 6, 500, 0},
      {"double strike alone", {ESC, 'G'}, -30, 0, 400, 0},
      {"condensed cancelled by emphasized", {15, ESC, 'E'}, -30, 0, 700, 0},
      {"double width", {14}, -30, 24, 400, 0},
      {"expanded", {ESC, 'W', 1}, -30, 24, 400, 0},
      {"expanded emphasized", {ESC, 'W', 1, ESC, 'E'}, -30, 24, 700, 0},
      {"emphasized", {ESC, 'E'}, -30, 0, 700, 0},
      {"underline", {ESC, '-', 1}, -30, 0, 400, 1},
      {"superscript", {ESC, 'S', 0}, -20, 0, 400, 0},
      {"subscript condensed", {ESC, 'S', 1, 15, ESC, 'G'}, -20, 3, 400, 0},
      {"superscript double width", {ESC, 'S', 0, 14}, -20, 12, 400, 0},
  };
  for (const auto& c : cases) {
    DotRun fresh;
    PageState& p = fresh.engine.screen;
    reset_style(p, TabTable{});
    p.font.height = -30;
    p.font.width = 12;
    p.font.weight = 400;
    fresh.interpret(c.input);
    const FontDesc f = make_font(p, fresh.engine.interp.emulation);
    EXPECT_EQ(f.height, c.height) << c.name;
    EXPECT_EQ(f.width, c.width) << c.name;
    EXPECT_EQ(f.weight, c.weight) << c.name;
    EXPECT_EQ(f.underline, c.underline) << c.name;
  }
}

// What the font can't say reaches the surface with each character: the cell
// the layout gives it and the styles in force.
TEST(DotMatrixCells, CharactersCarryTheirCellAndStyles) {
  struct Case {
    const char* name;
    Bytes input;
    int advance_halves;  // the cell's width in halves of the character width
    bool emphasized, double_strike, wide, script, lowered;
  } const cases[] = {
      {"plain", {}, 2, false, false, false, false, false},
      {"double strike, which the font doesn't show", {ESC, 'G'}, 2, false, true, false, false, false},
      {"emphasized", {ESC, 'E'}, 2, true, false, false, false, false},
      {"condensed", {15}, 1, false, false, false, false, false},
      {"condensed cancelled by emphasized", {15, ESC, 'E'}, 2, true, false, false, false, false},
      {"double width", {14}, 4, false, false, true, false, false},
      {"expanded", {ESC, 'W', 1}, 4, false, false, true, false, false},
      {"superscript", {ESC, 'S', 0}, 1, false, false, false, true, false},
      {"subscript", {ESC, 'S', 1}, 1, false, false, false, true, true},
      {"subscript double width: the script's cell", {ESC, 'S', 1, 14}, 1, false, false, false, true,
       true},
  };
  for (const auto& c : cases) {
    DotRun fresh;
    fresh.feed(c.input + Bytes{'A', 'B'});
    const PageState& p = fresh.engine.screen;
    const auto text = fresh.sheet().of_kind(DrawKind::draw_text);
    ASSERT_EQ(text.size(), 2u) << c.name;
    ASSERT_TRUE(text[0].cell.has_value()) << c.name;
    const CharCell& cell = *text[0].cell;
    EXPECT_EQ(cell.advance, static_cast<std::int32_t>(p.char_width) * c.advance_halves / 2) << c.name;
    EXPECT_EQ(text[1].x0 - text[0].x0, cell.advance) << c.name;
    EXPECT_EQ(cell.line_height, static_cast<std::int32_t>(p.line_height)) << c.name;
    EXPECT_EQ(text[0].y0, static_cast<std::int32_t>(p.margin_top + (c.lowered ? p.line_height / 3 : 0)))
        << c.name;
    EXPECT_EQ(cell.emphasized, c.emphasized) << c.name;
    EXPECT_EQ(cell.double_strike, c.double_strike) << c.name;
    EXPECT_EQ(cell.wide, c.wide) << c.name;
    EXPECT_EQ(cell.script, c.script) << c.name;
  }
  // The plotter's characters are text in a font, without a cell.
  DotRun plotter;
  plotter.engine.interp.emulation = Emulation::plotter;
  plotter.feed({'A', 'B'});
  const auto plotted = plotter.sheet().of_kind(DrawKind::draw_text);
  EXPECT_EQ(plotted.size(), 2u);
  for (const auto& r : plotted) EXPECT_FALSE(r.cell.has_value());
}

TEST_F(DotMatrix, HorizontalTabFromInitialStops) {
  struct Case {
    std::uint32_t from, to;
  } const cases[] = {{25, 105}, {95, 185}, {100, 185}, {104, 185}, {105, 185},
                     {1285, 1305}, {1286, 1286}, {1305, 1305}};
  for (const auto& c : cases) {
    page().cur_x = c.from;
    EXPECT_EQ(run.interpret({9}), Bytes{0});
    EXPECT_EQ(page().cur_x, c.to) << "from " << c.from;
  }
}

TEST_F(DotMatrix, HorizontalTabWithoutCharacterWidthDoesNothing) {
  page().char_width = 0;
  page().cur_x = 40;
  EXPECT_EQ(run.interpret({9, 'A'}), (Bytes{0, 'A'}));
  EXPECT_EQ(page().cur_x, 40u);
}

TEST_F(DotMatrix, EmptyTabListStopsNothing) {
  run.interpret({ESC, 'D', 0});
  EXPECT_EQ(run.engine.interp.tab_table.count, 0);
  run.interpret({9});
  EXPECT_EQ(page().cur_x, 25u);
}

TEST_F(DotMatrix, TabListCollection) {
  struct Case {
    const char* name;
    Bytes stops;      // after ESC D
    Bytes expected;   // the stops kept
    Bytes results;    // of the bytes after ESC D
  } const cases[] = {
      {"10 5 65", {10, 5, 65}, {10}, {0, 0, 65}},
      {"equal ends", {10, 20, 20, 'x'}, {10, 20}, {0, 0, 0, 'x'}},
      {"132 kept, 133 ends", {132, 133, 'y'}, {132}, {0, 0, 'y'}},
      {"133 first", {133, 'z'}, {}, {0, 'z'}},
      {"zero ends", {3, 0, 3}, {3}, {0, 0, 3}},
  };
  for (const auto& c : cases) {
    DotRun fresh;
    const Bytes results = fresh.interpret(Bytes{ESC, 'D'} + c.stops);
    EXPECT_EQ(Bytes(results.begin() + 2, results.end()), c.results) << c.name;
    const TabTable& t = fresh.engine.interp.tab_table;
    ASSERT_EQ(t.count, static_cast<std::int32_t>(c.expected.size())) << c.name;
    for (std::size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(t.stops[i], c.expected[i]) << c.name;
  }
}

TEST_F(DotMatrix, ThirtyStopsKeepTwentyEight) {
  Bytes input{ESC, 'D'};
  for (std::uint8_t s = 40; s < 70; ++s) input.push_back(s);
  const Bytes results = run.interpret(input);
  EXPECT_EQ(run.engine.interp.tab_table.count, 28);
  EXPECT_EQ(run.engine.interp.tab_table.stops[27], 67);
  EXPECT_EQ(results[29], 0) << "the 28th stop is consumed";
  EXPECT_EQ(results[30], 68) << "the 29th byte is ordinary input";
  EXPECT_EQ(results[31], 69);
  page().cur_x = 25;
  run.interpret({9});
  EXPECT_EQ(page().cur_x, 25u + 40u * 10u) << "HT uses the new stops";
}

TEST_F(DotMatrix, BitImageCountsAreCapped) {
  struct Case {
    std::uint8_t command, low, high;
    std::uint32_t count;
    std::int32_t mode;
  } const cases[] = {
      {'K', 88, 2, 480, 1},   {'K', 5, 0, 5, 1},       {'K', 224, 1, 480, 1},
      {'L', 0, 4, 960, 2},    {'L', 192, 3, 960, 2},   {'Y', 0, 4, 960, 2},
      {'Y', 1, 0, 1, 2},      {'Z', 0, 8, 1920, 3},    {'Z', 128, 7, 1920, 3},
      {'Z', 255, 255, 1920, 3}, {'Z', 127, 7, 1919, 3},
  };
  for (const auto& c : cases) {
    DotRun fresh;
    EXPECT_EQ(fresh.interpret({ESC, c.command, c.low, c.high}), (Bytes{0, 0, 0, 0}));
    const DotMatrixState& d = fresh.engine.interp.dot;
    EXPECT_EQ(d.bit_image_count, c.count) << c.command << " " << int{c.low} << " " << int{c.high};
    EXPECT_EQ(d.bit_image_mode, c.mode);
    const Bytes data = fresh.interpret(repeat('A', c.count));
    EXPECT_EQ(data, repeat(0, c.count));
    EXPECT_EQ(d.bit_image_mode, 0) << "ends after exactly its count";
    EXPECT_EQ(fresh.interpret({'A'}), Bytes{'A'});
  }
}

TEST_F(DotMatrix, ExcessBitImageDataIsOrdinaryInput) {
  const Bytes results = run.interpret(Bytes{ESC, 'K', 88, 2} + repeat('A', 600));
  EXPECT_EQ(Bytes(results.begin(), results.begin() + 484), repeat(0, 484));
  EXPECT_EQ(Bytes(results.begin() + 484, results.end()), repeat('A', 120));
}

TEST_F(DotMatrix, EscHashHandsOverToThePlotter) {
  EXPECT_EQ(run.interpret({ESC, '#'}), (Bytes{0, 0}));
  EXPECT_EQ(run.engine.interp.emulation, Emulation::plotter);
  EXPECT_EQ(page().plotter.graphic_mode, 1);
}

}  // namespace
}  // namespace morvane::testing
