// The recording printer: documents, sheets and what each sheet holds.
#include <gtest/gtest.h>

#include "print/recording/recording_printer.h"

namespace morvane {
namespace {

FontDesc font_of(std::int32_t height) {
  FontDesc f;
  f.height = height;
  return f;
}

TEST(RecordingPrinter, DocumentAndSheetSequenceWithDrawingPerSheet) {
  RecordingPrinterSystem sys;
  EXPECT_EQ(sys.default_device_string(), "Recording Printer,recording,FILE:");
  auto dev = sys.create_device({"P", "drv", "port"});
  ASSERT_TRUE(dev);
  EXPECT_EQ(dev->caps().horz_res, 4800u);
  ASSERT_TRUE(dev->start_doc("PrintFile_TI994A"));
  dev->start_page();
  dev->surface().fill_rect(0, 0, 1, 1, 0);
  dev->end_page();
  dev->start_page();
  dev->surface().draw_text(1, 2, "x", 1, font_of(-10), 0);
  dev->end_page();
  dev->end_doc();
  const auto& log = sys.log();
  EXPECT_EQ(log.sequence(),
            "create_device start_doc start_page end_page start_page end_page end_doc");
  EXPECT_EQ(log.events[0].name, "P,drv,port");
  EXPECT_EQ(log.events[1].name, "PrintFile_TI994A");
  auto sheets = log.sheets();
  ASSERT_EQ(sheets.size(), 2u);
  EXPECT_EQ(sheets[0].at(0).kind, DrawKind::fill_rect);
  EXPECT_EQ(sheets[1].at(0).text, "x");
  EXPECT_EQ(log.stray_draws, 0u);
}

TEST(RecordingPrinter, FailuresStrayDrawsAndAbort) {
  RecordingPrinterConfig cfg;
  cfg.fail_create_device = true;
  RecordingPrinterSystem sys(cfg);
  EXPECT_FALSE(sys.create_device({"a", "b", "c"}));
  sys.config().fail_create_device = false;
  sys.config().fail_start_doc = true;
  auto dev = sys.create_device({"a", "b", "c"});
  ASSERT_TRUE(dev);
  EXPECT_FALSE(dev->start_doc("doc"));
  sys.config().fail_start_doc = false;
  ASSERT_TRUE(dev->start_doc("doc"));
  dev->surface().fill_rect(0, 0, 1, 1, 0);  // no sheet open
  dev->start_page();
  dev->surface().fill_rect(0, 0, 1, 1, 0);
  dev->abort_doc();
  EXPECT_EQ(sys.log().stray_draws, 1u);
  EXPECT_EQ(sys.log().sequence(),
            "create_device create_device start_doc start_doc start_page abort_doc");
  EXPECT_TRUE(sys.log().sheets().empty());
}

TEST(RecordingPrinter, CallbackRunsFromStartDocAndStartPage) {
  RecordingPrinterSystem sys;
  std::vector<PrinterCall> seen;
  sys.config().callback = [&](PrinterCall call, RecordingPrinterDevice& d) {
    seen.push_back(call);
    if (call == PrinterCall::start_page) d.log().cancelled = true;
  };
  auto dev = sys.create_device({"a", "b", "c"});
  ASSERT_TRUE(dev->start_doc("doc"));
  EXPECT_FALSE(dev->aborted());
  dev->start_page();
  EXPECT_TRUE(dev->aborted());
  EXPECT_EQ(seen, (std::vector<PrinterCall>{PrinterCall::start_doc, PrinterCall::start_page}));
  ASSERT_TRUE(dev->start_doc("again"));  // a new document starts uncancelled
  EXPECT_FALSE(dev->aborted());
}

TEST(RecordingPrinter, MetricsModelReachesNewDevices) {
  RecordingPrinterSystem sys;
  sys.set_metrics_model([](const FontDesc&) { return TextMetrics{40, 4, 20, 25}; });
  auto dev = sys.create_device({"a", "b", "c"});
  EXPECT_EQ(dev->surface().text_metrics(font_of(-24)).max_char_width, 25);
}

}  // namespace
}  // namespace morvane
