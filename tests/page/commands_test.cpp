// The user's commands on the page, as every shell runs them, and giving up
// a command that the sender never finished (end of input, a pause).

#include <gtest/gtest.h>

#include <tuple>

#include "emul/emulation.h"
#include "page/commands.h"
#include "support/engine_fixture.h"

namespace morvane {
namespace {

using Styles = std::tuple<PrintStyles, int, int>;

Styles styles(const Engine& e) {
  const PageState& p = e.screen;
  return {p.styles, p.font.underline, p.font.weight};
}

// Each case: giving up leaves every style and the sheet as the bytes before
// left them, adds nothing to the spool file, and the form feed after it ends
// the page; the next job's first byte is read as text.
TEST(AbandonIncompleteCommand, ComesBackToIdleChangingNothing) {
  struct Case {
    const char* name;
    int emulation;
    std::string before;  // complete
    std::string open;    // unfinished
  };
  const Case cases[] = {
      {"idle", 0, "", ""},
      {"escape", 0, "", "\x1b"},
      {"superscript parameter", 0, "", "\x1bS"},
      {"expanded parameter, double width on", 0, "\x0e", "\x1bW"},
      {"underline parameter, underline on", 0, std::string("\x1b-\x01", 3), "\x1b-"},
      {"bit-image count low", 0, "", "\x1bK"},
      {"bit-image count high", 0, "", "\x1bK\x05"},
      {"bit-image data", 0, "", std::string("\x1bK\x05\x00\xff", 5)},
      {"tab list", 0, "\x0e", "\x1b\x44\x05\x0a"},
      {"plotter escape", 1, "", "\x1b"},
      {"plotter pen parameter", 1, "", "\x1b" "C1"},
      {"plotter size parameter", 1, "", "\x12" "5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::EngineFixture f;
    f.engine.interp.emulation = static_cast<Emulation>(c.emulation);
    f.feed("text " + c.before);
    const Styles kept = styles(f.engine);
    f.feed(c.open);
    const std::size_t drawn = f.sheet().records().size();

    EXPECT_EQ(abandon_incomplete_command(f.engine), !c.open.empty());
    EXPECT_FALSE(command_pending(f.engine.interp, f.engine.screen));
    EXPECT_EQ(styles(f.engine), kept);
    EXPECT_EQ(f.sheet().records().size(), drawn);
    EXPECT_EQ(f.spool_contents(), "text " + c.before + c.open);

    ASSERT_TRUE(f.feed("\x0c"));
    EXPECT_EQ(f.shell.pages_ending, 1);
    EXPECT_FALSE(command_pending(f.engine.interp, f.engine.screen));  // the replay ended idle too
    f.sheet().clear();
    f.feed("1Z");
    EXPECT_EQ(f.sheet().all_text(), "1Z");
  }
}

// The columns that came stay, on screen and on paper; the missing ones are
// drawn nowhere, so the text under them survives.
TEST(AbandonIncompleteCommand, CutOffBitImageDrawsOnlyTheColumnsThatCame) {
  test::EngineFixture f;
  f.feed(std::string("ABCDEFGH\r\x1bK\x64\x00\xff\x81", 15));  // 100 columns promised, 2 sent
  abandon_incomplete_command(f.engine);
  f.feed("\x0c");
  std::size_t screen_columns = 0;
  for (const DrawRecord& r : f.sheet().of_kind(DrawKind::blit_columns)) screen_columns += r.columns.size();
  const auto sheets = f.printed().sheets();
  ASSERT_EQ(sheets.size(), 1u);
  std::vector<std::uint8_t> printed;
  for (const DrawRecord& r : sheets[0])
    if (r.kind == DrawKind::blit_columns) printed.insert(printed.end(), r.columns.begin(), r.columns.end());
  EXPECT_EQ(screen_columns, 2u);
  EXPECT_EQ(printed, (std::vector<std::uint8_t>{0xFF, 0x81}));
}

TEST(PenCommand, TextModeHasEscapeGraphicModeNot) {
  EXPECT_EQ(pen_command(0, false), std::string("\x1B" "C0\r\n"));
  EXPECT_EQ(pen_command(3, false), std::string("\x1B" "C3\r\n"));
  EXPECT_EQ(pen_command(0, true), "C0\r\n");
  EXPECT_EQ(pen_command(2, true), "C2\r\n");
  EXPECT_EQ(pen_command(4, true), "");
  EXPECT_EQ(pen_command(-1, false), "");
}


// The pens go through the bytes, so that the printed page sees them too.
TEST(SelectPen, FeedsThePenCommandOfTheMode) {
  test::EngineFixture f;
  f.engine.interp.emulation = Emulation::plotter;
  EXPECT_TRUE(select_pen(f.engine, 1));
  EXPECT_EQ(f.engine.screen.plotter.pen_color, 0x840000u);
  f.feed("\x1b#");
  EXPECT_TRUE(select_pen(f.engine, 3));
  EXPECT_EQ(f.engine.screen.plotter.pen_color, 0x000080u);
  EXPECT_FALSE(select_pen(f.engine, 4));
  EXPECT_EQ(f.spool_contents(), std::string("\x1b" "C1\r\n\x1b#C3\r\n"));
}

// The window's pen marks follow the page: whichever way a pen was chosen,
// in either plotter mode, it is the one the page now draws with.
TEST(CurrentPen, FollowsThePenThePageDrawsWith) {
  for (const bool graphic : {false, true}) {
    test::EngineFixture f;
    f.engine.interp.emulation = Emulation::plotter;
    if (graphic) f.feed("\x1b#");
    for (int pen = 0; pen < 4; ++pen) {
      ASSERT_TRUE(select_pen(f.engine, pen));
      EXPECT_EQ(current_pen(f.engine), pen) << "graphic mode " << graphic;
      EXPECT_EQ(pen_color(pen), f.engine.screen.plotter.pen_color);
      f.feed(pen_command(3 - pen, graphic));  // received from the computer
      EXPECT_EQ(current_pen(f.engine), 3 - pen);
    }
  }
  test::EngineFixture f;
  f.engine.screen.plotter.pen_color = rgb(1, 2, 3);
  EXPECT_EQ(current_pen(f.engine), -1);
}

// While a finished page prints, no command reaches the page.
TEST(Commands, NoneActsWhileAPageIsPrinted) {
  test::EngineFixture f;
  f.feed("A");
  f.engine.print.page_begins();
  EXPECT_FALSE(set_printer_enabled(f.engine, false));
  EXPECT_FALSE(print_page_now(f.engine));
  EXPECT_FALSE(clear_page_now(f.engine));
  EXPECT_FALSE(close_document_now(f.engine));
  EXPECT_FALSE(select_pen(f.engine, 1));
  EXPECT_FALSE(select_emulation(f.engine, Emulation::plotter));
  EXPECT_FALSE(move_print_line(f.engine, 3));
  f.engine.print.page_done();
  EXPECT_TRUE(f.engine.print.printer_enabled());
  EXPECT_EQ(f.engine.screen.line_count, 0u);
  EXPECT_EQ(f.engine.interp.emulation, Emulation::dot_matrix);
  EXPECT_EQ(f.spool_contents(), "A");
}

// The settings' switches count as on only at exactly 1, as the program
// writes them; any other number stored by hand is off.
TEST(ConfigureEngine, SwitchesAndFontFromTheSettings) {
  struct Case {
    std::int32_t printerenable, closedocument;
    bool enabled, closes;
  } const cases[] = {{1, 1, true, true}, {0, 0, false, false}, {2, -1, false, false}};
  for (const Case& c : cases) {
    test::EngineFixture f;
    Settings s;
    s.printerenable = c.printerenable;
    s.closedocument = c.closedocument;
    s.printertype = 1;
    s.font_height = -30;
    configure_engine(f.engine, s);
    EXPECT_EQ(f.engine.print.printer_enabled(), c.enabled);
    EXPECT_EQ(f.engine.print.close_document(), c.closes);
    EXPECT_EQ(f.engine.interp.emulation, Emulation::plotter);
    EXPECT_EQ(f.engine.page_font.height, -30);
    EXPECT_EQ(f.engine.printer.font, f.engine.page_font);
  }
}

}  // namespace
}  // namespace morvane
