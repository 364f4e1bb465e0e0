// The feed loop: lines, wrapping, page ends, the spool file and the sheet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "support/engine_fixture.h"

namespace morvane {
namespace {

using test::EngineFixture;

// Letter at 600 dpi with quarter-inch margins; a 10 x 17 character cell gives
// 61 lines per page and a line end at x 825.
struct Feed : ::testing::Test {
  Feed() { f.use_metrics(TextMetrics{17, 0, 10, 10}); }
  EngineFixture f;
  PageState& screen() { return f.engine.screen; }
};

TEST_F(Feed, FirstFeedMeasuresPrinterMakesSheetAndHomes) {
  f.feed("");
  ASSERT_EQ(f.shell.sheets_made.size(), 1u);
  EXPECT_EQ(f.shell.sheets_made[0], std::make_pair(850u, 1100u));
  EXPECT_EQ(screen().lines_per_page, 61u);
  EXPECT_EQ(screen().cur_x, 25u);
  EXPECT_EQ(screen().cur_y, 25u);
  EXPECT_EQ(f.engine.printer.cur_y, 25u);
  EXPECT_EQ(f.shell.shows, 1);
}

TEST_F(Feed, HelloWorldLandsOnTwoLines) {
  f.feed("HELLO\r\nWORLD");
  auto texts = f.sheet().of_kind(DrawKind::draw_text);
  ASSERT_EQ(texts.size(), 10u);
  EXPECT_EQ(f.sheet().all_text(), "HELLOWORLD");
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(texts[i].x0, 25 + 10 * i);
    EXPECT_EQ(texts[i].y0, 25);
    EXPECT_EQ(texts[5 + i].x0, 25 + 10 * i);
    EXPECT_EQ(texts[5 + i].y0, 42);
    EXPECT_EQ(texts[i].color, 0u);
  }
}

TEST_F(Feed, CarriageReturnAndLineFeedEachDoOneThing) {
  f.feed("AB\r");
  EXPECT_EQ(screen().cur_x, 25u);
  EXPECT_EQ(screen().cur_y, 25u);
  f.feed("AB\n");
  EXPECT_EQ(screen().cur_x, 45u);
  EXPECT_EQ(screen().cur_y, 42u);
  EXPECT_EQ(screen().line_count, 1u);
}

TEST_F(Feed, ACharacterEndingExactlyAtTheLineEndWrapsAfterItIsDrawn) {
  f.feed(std::string(79, 'x'));
  EXPECT_EQ(screen().cur_x, 815u);
  EXPECT_EQ(screen().line_count, 0u);
  f.feed("y");  // ends at 825, the line end itself
  EXPECT_EQ(screen().cur_x, 25u);
  EXPECT_EQ(screen().line_count, 1u);
  auto texts = f.sheet().of_kind(DrawKind::draw_text);
  EXPECT_EQ(texts.back().x0, 815);
  EXPECT_EQ(texts.back().y0, 25);
}

TEST_F(Feed, UnprintableResultsAreNotDrawnButTheLineEndStillRuns) {
  f.feed("");
  for (int b : {0x01, 0x07, 0x7F, 0x80, 0xFF}) {
    SCOPED_TRACE(b);
    screen().cur_x = 900;
    const std::uint32_t line = screen().line_count;
    f.sheet().clear();
    f.feed(std::string(1, static_cast<char>(b)));
    EXPECT_EQ(f.sheet().count(DrawKind::draw_text), 0u);
    EXPECT_EQ(screen().cur_x, 25u);
    EXPECT_EQ(screen().line_count, line + 1);
  }
}

TEST_F(Feed, ShortLineFeedMovesEightThenFullLinesAgain) {
  f.feed("");
  f.engine.interp.short_line_feed = 1;
  f.feed("\n");
  EXPECT_EQ(screen().cur_y, 33u);
  EXPECT_EQ(f.engine.interp.short_line_feed, 0);
  f.feed("\n");
  EXPECT_EQ(screen().cur_y, 50u);
}

TEST_F(Feed, PageEndsAtTheLineCountLessThePerforationSkip) {
  struct Case {
    std::uint32_t skip;
    int ending_feed;
  };
  for (Case c : {Case{0, 61}, Case{6, 55}, Case{61, 61}, Case{200, 61}}) {
    SCOPED_TRACE(c.skip);
    EngineFixture g;
    g.use_metrics(TextMetrics{17, 0, 10, 10});
    g.feed("");
    g.engine.screen.skip_perforation = c.skip;
    for (int i = 1; i < c.ending_feed; ++i) g.feed("\n");
    EXPECT_EQ(g.shell.pages_ending, 0);
    EXPECT_EQ(g.engine.screen.line_count, static_cast<std::uint32_t>(c.ending_feed - 1));
    g.feed("\n");
    EXPECT_EQ(g.shell.pages_ending, 1);
    EXPECT_EQ(g.engine.screen.line_count, 0u);
    EXPECT_EQ(g.engine.screen.cur_y, 25u);
  }
}

TEST_F(Feed, FormFeedOnAnEmptyPageClearsTheSheetAndPrintsNoSheet) {
  f.feed("");
  f.sheet().clear();
  f.feed("\f");
  EXPECT_EQ(f.shell.pages_ending, 1);
  EXPECT_EQ(screen().dirty, 0);
  auto fills = f.sheet().of_kind(DrawKind::fill_rect);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].x1, 850);
  EXPECT_EQ(fills[0].y1, 1100);
  EXPECT_EQ(fills[0].color, 0xFFFFFFu);
  // The form feed was spooled and replayed: a document, but no sheet.
  EXPECT_EQ(f.printed().sequence(), "create_device start_doc end_doc");
  EXPECT_EQ(f.spool_contents(), "\f");
}

TEST_F(Feed, ClearFramesTheMarginsInGrey) {
  f.feed("");
  auto lines = f.sheet().of_kind(DrawKind::line_to);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].color, 0xC6C3C6u);
  EXPECT_EQ(lines[0].x0, 25);
  EXPECT_EQ(lines[0].y0, 25);
  EXPECT_EQ(lines[0].x1, 825);
  EXPECT_EQ(lines[1].y1, 1075);
  EXPECT_EQ(lines[3].x1, 25);
  EXPECT_EQ(lines[3].y1, 25);
}

TEST_F(Feed, ClearRequestMarksDirtyAndStartsANewSpoolFile) {
  f.feed("old bytes");
  EXPECT_EQ(f.spool_contents(), "old bytes");
  f.clear_request();
  EXPECT_EQ(screen().dirty, 1);
  EXPECT_FALSE(f.engine.spool.is_open());
  EXPECT_EQ(screen().cur_x, 25u);
  f.feed("new");
  EXPECT_EQ(f.spool_contents(), "new");
  EXPECT_EQ(f.shell.pages_ending, 0);
}

TEST_F(Feed, SpoolHoldsExactlyThePageAndStaysAfterItsEnd) {
  const std::string page = std::string("line one\r\n\x1b\x45x\x80\xff", 15) + "\f";
  f.feed(page);
  EXPECT_FALSE(f.engine.spool.is_open());
  EXPECT_EQ(f.spool_contents(), page);
  f.feed("next");
  EXPECT_EQ(f.spool_contents(), "next");
}

TEST_F(Feed, UnknownEmulationUsesEveryByteUnchanged) {
  f.engine.interp.emulation = static_cast<Emulation>(5);
  f.feed("A\nB");
  EXPECT_EQ(f.sheet().all_text(), "AB");
  EXPECT_EQ(screen().cur_y, 42u);
}

// The screen page spools, shows and ends its pages; the replay of an ended
// page on the printer page, which ends that page too, does none of that. Each
// document comes in two runs: each page is told of and printed once, the
// sheet is shown once a run, and the spool file holds the page in progress.
TEST(FeedRoles, EachPageEndsAndPrintsOnceAndOnlyTheScreenSpools) {
  const auto lines = [](int n) {
    std::string s;
    while (n-- > 0) s += "x\r\n";
    return s;
  };
  struct Case {
    const char* name;
    std::string first, second;
    int pages;
  };
  const Case cases[] = {
      {"form feed", "AB", "C\fD", 1},
      {"line feeds fill the page", lines(30), lines(31) + "D", 1},
      {"a wrap fills the page", lines(60), std::string(80, 'y') + "D", 1},
      {"an image, then a form feed", "\x1bK\x03", std::string("\0\x01\x02\x03\fD", 6), 1},
      {"two pages in one run", "A\fB", "\fD", 2},
      {"the plotter's page", "\x1b#M10,10\r\n", "D99,99\r\n\fD", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineFixture f;
    f.use_metrics(TextMetrics{17, 0, 10, 10});
    f.feed(c.first);
    f.feed(c.second);
    EXPECT_EQ(f.shell.pages_ending, c.pages);
    EXPECT_EQ(f.printed().sheets().size(), static_cast<std::size_t>(c.pages));
    EXPECT_EQ(f.shell.shows, 2);
    EXPECT_EQ(f.spool_contents(), "D");
  }
}

}  // namespace
}  // namespace morvane
