// Printing by replay: documents, sheets and the spool file's life.
#include <gtest/gtest.h>

#include <filesystem>

#include "page/commands.h"
#include "page/printing.h"
#include "support/engine_fixture.h"

namespace morvane {
namespace {

using test::EngineFixture;

struct Printing : ::testing::Test {
  Printing() { f.use_metrics(TextMetrics{17, 0, 10, 10}); }
  EngineFixture f;
};

std::string sheet_text(const std::vector<DrawRecord>& sheet) {
  std::string s;
  for (const auto& r : sheet)
    if (r.kind == DrawKind::draw_text) s += r.text;
  return s;
}

TEST_F(Printing, EachPageIsOneDocumentWhenDocumentsClosePerPage) {
  f.feed("ONE\fTWO\f");
  EXPECT_EQ(f.printed().sequence(),
            "create_device start_doc start_page end_page end_doc start_doc start_page end_page end_doc");
  auto sheets = f.printed().sheets();
  ASSERT_EQ(sheets.size(), 2u);
  EXPECT_EQ(sheet_text(sheets[0]), "ONE");
  EXPECT_EQ(sheet_text(sheets[1]), "TWO");
  EXPECT_FALSE(f.engine.print.document_open());
}

TEST_F(Printing, PagesCollectInOneDocumentUntilAModeThreeEnd) {
  set_close_document(f.engine, false);
  f.feed("ONE\fTWO\f");
  EXPECT_EQ(f.printed().sequence(), "create_device start_doc start_page end_page start_page end_page");
  EXPECT_TRUE(f.engine.print.document_open());
  end_printer_page(f.engine, SheetEnd::sheet_and_document);
  EXPECT_EQ(f.printed().count(PrinterCall::end_doc), 1u);
  EXPECT_FALSE(f.engine.print.document_open());
}

TEST_F(Printing, DisabledPrinterOpensNoDocumentButStillEndsTheSpoolAndSyncs) {
  ASSERT_TRUE(set_printer_enabled(f.engine, false));
  f.feed("X");
  f.engine.screen.styles.emphasized = 1;
  f.feed("A\f");
  EXPECT_EQ(f.printed().count(PrinterCall::start_doc), 0u);
  EXPECT_FALSE(f.engine.spool.is_open());
  EXPECT_EQ(f.engine.printer.styles.emphasized, 1);
  f.feed("B");
  EXPECT_EQ(f.spool_contents(), "B");
}

TEST_F(Printing, PrinterPageWrapsAndCountsItsOwnLines) {
  // A smaller printable height on paper: the printer page ends before the
  // screen page does and keeps drawing on the same sheet from its top.
  f.feed("");
  f.printers.config().caps.vert_res = 600 * 17 * 2 / 100 + 1;  // two lines
  f.feed("L1\r\nL2\r\nL3\f");
  auto sheets = f.printed().sheets();
  ASSERT_EQ(sheets.size(), 1u);
  EXPECT_EQ(sheet_text(sheets[0]), "L1L2L3");
  std::vector<std::int32_t> ys;
  for (const auto& r : sheets[0])
    if (r.kind == DrawKind::draw_text && r.text == "L") ys.push_back(r.y0);
  EXPECT_EQ(ys, (std::vector<std::int32_t>{25, 42, 25}));
}

TEST_F(Printing, StartDocFailureIsReportedAndTheNextPageTriesAgain) {
  f.printers.config().fail_start_doc = true;
  f.feed("A\f");
  ASSERT_EQ(f.shell.errors.size(), 1u);
  EXPECT_EQ(f.shell.errors[0].first, "Unable to start print job");
  EXPECT_FALSE(f.engine.print.document_open());
  f.printers.config().fail_start_doc = false;
  f.feed("B\f");
  auto sheets = f.printed().sheets();
  ASSERT_EQ(sheets.size(), 1u);
  EXPECT_EQ(sheet_text(sheets[0]), "B");
}

TEST_F(Printing, InputArrivingWhilePrintingIsRefusedAndTheSpoolStaysIntact) {
  std::vector<bool> fed;
  f.printers.config().callback = [&](PrinterCall, RecordingPrinterDevice&) {
    fed.push_back(f.feed("INTRUDER"));
    fed.push_back(f.clear_request());
  };
  f.feed("PAGE\f");
  ASSERT_FALSE(fed.empty());
  for (bool b : fed) EXPECT_FALSE(b);
  auto sheets = f.printed().sheets();
  ASSERT_EQ(sheets.size(), 1u);
  EXPECT_EQ(sheet_text(sheets[0]), "PAGE");
  EXPECT_EQ(f.spool_contents(), "PAGE\f");
  EXPECT_FALSE(f.engine.print.printing_page());
  EXPECT_TRUE(f.feed("after"));
}

TEST_F(Printing, AfterAnAbortTheNextPageStartsANewDocument) {
  set_close_document(f.engine, false);
  f.feed("ONE\f");
  f.printed().cancelled = true;  // the user pressed "Abort printing"
  f.feed("TWO\f");
  EXPECT_EQ(f.printed().count(PrinterCall::start_doc), 2u);
  // The new document is no aborted one: the next page joins it.
  EXPECT_TRUE(f.engine.print.document_open());
  f.feed("THREE\f");
  EXPECT_EQ(f.printed().count(PrinterCall::start_doc), 2u);
}

TEST_F(Printing, EveryPageReplaysFromTheStylesItsScreenPageStartedWith) {
  f.feed("");
  f.engine.screen.styles.expanded = 1;  // double width on screen before the page starts
  f.feed(std::string("AB\x1bW\x00" "CD\f", 8));
  // The document was measured afresh, yet the printer page starts expanded
  // like the screen page did, and follows the change within the page.
  auto sheets = f.printed().sheets();
  ASSERT_EQ(sheets.size(), 1u);
  std::vector<std::int32_t> xs;
  for (const auto& r : sheets[0])
    if (r.kind == DrawKind::draw_text) xs.push_back(r.x0);
  EXPECT_EQ(xs, (std::vector<std::int32_t>{25, 45, 65, 75}));
  EXPECT_EQ(f.engine.printer.styles.expanded, 0);  // synchronised after the page
}

TEST_F(Printing, EndRunDeletesTheSpoolFileOfAnUnfinishedPageOnly) {
  f.feed("done\f");
  end_run(f.engine);
  EXPECT_TRUE(std::filesystem::exists(f.engine.spool.path()));
  EngineFixture g;
  g.feed("unfinished");
  end_run(g.engine);
  EXPECT_FALSE(std::filesystem::exists(g.engine.spool.path()));
  EXPECT_EQ(g.engine.page_bitmap, nullptr);
}

TEST(NoPrinter, PagesAreLaidOutForTheFallbackWithoutDividingByZero) {
  for (const char* device : {",,,", "OnlyAName,,"}) {
    SCOPED_TRACE(device);
    RecordingPrinterConfig config;
    config.device_string = device;
    EngineFixture f(config);
    EXPECT_TRUE(f.feed("AB\r\n\f"));
    ASSERT_FALSE(f.shell.errors.empty());
    EXPECT_EQ(f.shell.errors.front().first, "Unable to get handle to default printer");
    EXPECT_EQ(f.shell.errors.front().second, "Morvane");
    EXPECT_EQ(f.engine.screen.margin_left, 25u);
    EXPECT_GT(f.engine.screen.lines_per_page, 0u);
    EXPECT_EQ(f.printed().count(PrinterCall::start_doc), 0u);
  }
}

TEST(NoPrinter, AContextThatCannotBeMadeRefusesPrintingAndSaysSo) {
  RecordingPrinterConfig config;
  config.fail_create_device = true;
  EngineFixture f(config);
  EXPECT_TRUE(f.feed("X\fY\fZ\f"));
  ASSERT_EQ(f.shell.errors.size(), 1u);  // told once, not at every page
  EXPECT_NE(f.shell.errors.front().first.find("Recording Printer"), std::string::npos);
  EXPECT_EQ(f.printed().count(PrinterCall::start_doc), 0u);
  EXPECT_EQ(f.engine.screen.paper_width, 850u);
}

}  // namespace
}  // namespace morvane
