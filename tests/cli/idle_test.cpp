// Ending a job whose sender stopped in the middle of a command.
#include "emul/idle.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/engine_fixture.h"

namespace morvane {
namespace {

using Styles = std::tuple<int, int, int, int, int, int, int, int, int>;

Styles styles(const Engine& e) {
  const PageState& p = e.screen;
  return {p.double_width, p.condensed, p.emphasized,     p.double_strike, p.superscript,
          p.subscript,    p.expanded,  p.font.underline, p.font.weight};
}

bool dot_matrix_idle(const DotMatrixState& d) {
  return !d.esc_pending && !d.param_pending && !d.count_high_pending && !d.tab_collecting &&
         d.bit_image_mode == 0;
}

struct Case {
  const char* name;
  std::string before;  // sets styles; complete
  std::string open;    // the unfinished command
  std::size_t completion;  // bytes the abandon feeds
  int tab_stops;           // stops in force afterwards
};

// Each case: the styles after abandoning are those before the open command,
// the form feed then really ends the page, and the replay for printing comes
// back to idle with the printer page homed.
TEST(AbandonIncompleteCommand, DotMatrixComesBackToIdleWithStylesKept) {
  const Case cases[] = {
      {"idle", "", "", 0, 16},
      {"escape", "", "\x1b", 1, 16},
      {"superscript open, none set", "", "\x1bS", 3, 16},
      {"superscript open, subscript set", std::string("\x1bS\x01", 3), "\x1bS", 1, 16},
      {"expanded open, double width set", "\x0e", "\x1bW", 2, 16},
      {"expanded open, expanded set", std::string("\x1bW\x01", 3), "\x1bW", 1, 16},
      {"underline open, underline set", std::string("\x1b-\x01", 3), "\x1b-", 1, 16},
      {"ignored parameter", "", "\x1b\x33", 1, 16},
      {"bit-image count low", "", "\x1bK", 2, 16},
      {"bit-image count high", "", "\x1bK\x05", 6, 16},
      {"bit-image data", "", std::string("\x1bK\x05\x00\xff", 5), 4, 16},
      {"tab list, double width set", "\x0e", "\x1b\x44\x05\x0a", 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::EngineFixture f;
    f.feed("text " + c.before);
    const Styles kept = styles(f.engine);
    f.feed(c.open);
    EXPECT_EQ(abandon_incomplete_command(f.engine), c.completion);
    EXPECT_TRUE(idle_completion(f.engine).empty());
    EXPECT_TRUE(dot_matrix_idle(f.engine.dot));
    EXPECT_EQ(styles(f.engine), kept);
    EXPECT_EQ(f.engine.tab_table.count, c.tab_stops);

    ASSERT_TRUE(f.feed("\x0c"));
    EXPECT_EQ(f.shell.pages_ending, 1);
    EXPECT_EQ(f.engine.screen.dirty, 0);
    EXPECT_TRUE(dot_matrix_idle(f.engine.dot));  // the replay ended idle too
    EXPECT_EQ(f.engine.printer.cur_y, f.engine.printer.margin_top);
    EXPECT_EQ(f.engine.printer.line_count, 0u);
    // The next job is read as text from its first byte.
    f.sheet().clear();
    f.feed("Z");
    EXPECT_EQ(f.sheet().all_text(), "Z");
  }
}

TEST(AbandonIncompleteCommand, UnfinishedBitImageIsPrintedWithWhatCame) {
  test::EngineFixture f;
  f.feed(std::string("\x1bK\x0a\x00\xff\x81", 6));  // 10 columns promised, 2 sent
  abandon_incomplete_command(f.engine);
  f.feed("\x0c");
  const auto sheets = f.printed().sheets();
  ASSERT_EQ(sheets.size(), 1u);
  bool found = false;
  for (const DrawRecord& r : sheets[0]) {
    if (r.kind != DrawKind::blit_columns) continue;
    found = true;
    ASSERT_EQ(r.columns.size(), 10u);
    EXPECT_EQ(r.columns[0], 0xFF);
    EXPECT_EQ(r.columns[1], 0x81);
    EXPECT_EQ(r.columns[2], 0x00);
  }
  EXPECT_TRUE(found);
}

TEST(AbandonIncompleteCommand, PlotterSequencesEndWithoutEffect) {
  struct PlotCase {
    const char* name;
    std::string open;
    std::size_t completion;
  };
  const PlotCase cases[] = {
      {"escape", "\x1b", 1},
      {"pen parameter", "\x1b" "C1", 1},
      {"size parameter", "\x12" "5", 1},
      {"graphic line, left to the form feed", "\x1b#M100,100", 0},
  };
  for (const PlotCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::EngineFixture f;
    f.engine.emulation = 1;
    f.feed("text ");
    f.feed(c.open);
    EXPECT_EQ(abandon_incomplete_command(f.engine), c.completion);
    EXPECT_EQ(f.engine.screen.plotter.pen_color, 0u);
    EXPECT_EQ(f.engine.screen.plotter.char_size, 7);
    f.feed("\x0c");
    EXPECT_EQ(f.shell.pages_ending, 1);
    EXPECT_EQ(f.engine.screen.plotter.graphic_mode, 0);
    f.sheet().clear();
    f.feed("1Z");
    EXPECT_EQ(f.sheet().all_text(), "1Z");
  }
}

}  // namespace
}  // namespace morvane
