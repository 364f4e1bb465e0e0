// Where the print job stands, against what the printer itself was told: over
// random runs of bytes, commands and user choices, the job's document and
// sheet are the printer's, and a page is printing only inside a page end.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "page/commands.h"
#include "page/printing.h"
#include "support/engine_fixture.h"

namespace morvane {
namespace {

using test::EngineFixture;

RecordingPrinterDevice* device_of(Engine& e) {
  return static_cast<RecordingPrinterDevice*>(e.print.printer_dc.get());
}

// What a device holds open must be what the job believes, except after the
// user cancelled the document: the printer dropped it, the job learns of it
// at the next page.
std::string mismatch(Engine& e, bool cancelled) {
  const RecordingPrinterDevice* d = device_of(e);
  const bool doc = d != nullptr && d->doc_open();
  const bool sheet = d != nullptr && d->page_open();
  if (e.print.sheet_open() != sheet) return "sheet open: job " + std::to_string(e.print.sheet_open());
  if (!cancelled && e.print.document_open() != doc)
    return "document open: job " + std::to_string(e.print.document_open()) + ", printer " + std::to_string(doc);
  return {};
}

TEST(PrintJob, TheJobFollowsThePrinterThroughRandomRuns) {
  for (unsigned seed = 1; seed <= 150; ++seed) {
    EngineFixture f;
    std::mt19937 rng(seed);
    bool cancelled = false;
    std::string inside;  // what went wrong while a page printed
    f.printers.config().callback = [&](PrinterCall call, RecordingPrinterDevice&) {
      if (!f.engine.print.printing_page()) inside = "printer called outside a page end";
      // A sheet opens only into an open document.
      if (call == PrinterCall::start_page && !f.engine.print.document_open()) inside = "sheet outside a document";
    };
    std::string script;
    for (int step = 0; step < 40; ++step) {
      const unsigned what = rng() % 9;
      script += std::to_string(what) + " ";
      switch (what) {
        case 0: f.feed("AB"); break;
        case 1: f.feed("C\r\n\f"); break;
        case 2: f.feed("\f"); break;  // on a clean page: a page that draws nothing
        case 3: print_page_now(f.engine); break;
        case 4: close_document_now(f.engine); break;
        case 5: clear_page_now(f.engine); break;
        case 6: set_close_document(f.engine, rng() % 2 == 0); break;
        case 7: ASSERT_TRUE(set_printer_enabled(f.engine, rng() % 3 != 0)); break;
        case 8:
          // "Abort printing" on an open document.
          if (RecordingPrinterDevice* d = device_of(f.engine); d != nullptr && d->doc_open()) {
            d->abort_doc();
            f.printed().cancelled = true;
          }
          break;
      }
      cancelled = f.printed().cancelled;  // until the next document starts
      ASSERT_EQ(inside, "") << "seed " << seed << ": " << script;
      ASSERT_FALSE(f.engine.print.printing_page()) << "seed " << seed << ": " << script;
      ASSERT_EQ(mismatch(f.engine, cancelled), "") << "seed " << seed << ": " << script;
    }
  }
}

// Start-up choices are taken before the run starts and refused after: the
// printer is measured, and pages are spooled, with what was chosen then.
TEST(PrintJob, StartUpChoicesAreRefusedOnceTheRunHasStarted) {
  struct Case {
    const char* name;
    std::function<bool(Engine&)> choose;
  };
  const Case cases[] = {
      {"platform version", [](Engine& e) { return set_platform_version(e, 40010); }},
      {"plotter face", [](Engine& e) { return set_plotter_face(e, PlotterFace::strokes); }},
      {"spool file", [](Engine& e) {
         unsigned long holder = 0;
         return hold_spool_file(e, test::temp_spool_path(), holder);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineFixture before;
    EXPECT_TRUE(c.choose(before.engine));
    EngineFixture after;
    after.feed("A");
    const std::string spool = after.engine.spool.path();
    const PlotterFace face = after.engine.interp.plotter_face;
    const std::int32_t version = after.engine.interp.os_version;
    EXPECT_FALSE(c.choose(after.engine));
    EXPECT_EQ(after.engine.spool.path(), spool);
    EXPECT_EQ(after.engine.interp.plotter_face, face);
    EXPECT_EQ(after.engine.interp.os_version, version);
  }
  EngineFixture f;
  f.feed("A");
  EXPECT_FALSE(use_spool_file(f.engine, nullptr));
  EXPECT_EQ(f.spool_contents(), "A");
}

}  // namespace
}  // namespace morvane
