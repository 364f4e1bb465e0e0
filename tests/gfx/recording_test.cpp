#include <gtest/gtest.h>

#include <climits>

#include "gfx/recording/recording_printer.h"
#include "gfx/recording/recording_surface.h"

namespace morvane {
namespace {

FontDesc font_of(std::int32_t height, std::int32_t width = 0) {
  FontDesc f;
  f.height = height;
  f.width = width;
  f.set_face("Courier New");
  return f;
}

TEST(RecordingSurface, LineRecordsCarryStartPointAndPen) {
  RecordingSurface s;
  s.set_pen(rgb(0, 0, 128), 3);
  s.move_to(10, 20);
  s.line_to(30, 20);
  s.line_to(30, 40);
  auto lines = s.of_kind(DrawKind::line_to);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].x0, 10);
  EXPECT_EQ(lines[0].y0, 20);
  EXPECT_EQ(lines[0].x1, 30);
  EXPECT_EQ(lines[1].x0, 30);
  EXPECT_EQ(lines[1].y0, 20);
  EXPECT_EQ(lines[1].y1, 40);
  EXPECT_EQ(lines[1].color, rgb(0, 0, 128));
  EXPECT_EQ(lines[1].dash, 3);
  EXPECT_EQ(s.count(DrawKind::move_to), 1u);
}

TEST(RecordingSurface, TextAndColumnsAreCopied) {
  RecordingSurface s;
  std::string text = "AB\0C";
  text.resize(4);
  s.draw_text(5, 6, text.data(), text.size(), font_of(-24), rgb(1, 2, 3));
  const std::uint8_t cols[] = {128, 1, 255, 0};
  s.blit_columns(7, 8, cols, 4);
  s.blit_columns(7, 8, nullptr, 0);
  ASSERT_EQ(s.records().size(), 3u);
  EXPECT_EQ(s.records()[0].text, text);  // embedded NUL kept
  EXPECT_EQ(s.records()[0].font, font_of(-24));
  EXPECT_EQ(s.records()[1].columns, (std::vector<std::uint8_t>{128, 1, 255, 0}));
  EXPECT_TRUE(s.records()[2].columns.empty());
  EXPECT_EQ(s.all_text(), text);
}

TEST(RecordingSurface, DefaultMetricsModel) {
  struct Case {
    std::int32_t height, width, tm_height, ave;
  };
  const Case cases[] = {
      {-24, 0, 27, 14}, {-24, 10, 27, 10}, {18, 0, 18, 9}, {0, 0, 18, 9}, {-9, -7, 10, 7},
  };
  RecordingSurface s;
  for (const auto& c : cases) {
    TextMetrics m = s.text_metrics(font_of(c.height, c.width));
    EXPECT_EQ(m.height, c.tm_height) << c.height;
    EXPECT_EQ(m.ave_char_width, c.ave) << c.height;
    EXPECT_EQ(m.max_char_width, c.ave) << c.height;
    EXPECT_EQ(m.external_leading, 0);
  }
  // Extreme heights neither overflow nor go negative.
  TextMetrics m = s.text_metrics(font_of(INT_MIN, INT_MIN));
  EXPECT_GT(m.height, 0);
  EXPECT_GT(m.ave_char_width, 0);
}

TEST(RecordingSurface, MetricsOverridesPerFontAndModel) {
  RecordingSurface s;
  s.set_metrics(font_of(-24), TextMetrics{17, 3, 9, 11});
  s.set_metrics(font_of(-24), TextMetrics{17, 2, 9, 10});  // replaces
  s.set_metrics_model([](const FontDesc&) { return TextMetrics{5, 0, 4, 4}; });
  EXPECT_EQ(s.text_metrics(font_of(-24)).max_char_width, 10);
  EXPECT_EQ(s.text_metrics(font_of(-24)).external_leading, 2);
  EXPECT_EQ(s.text_metrics(font_of(-12)).height, 5);
  EXPECT_EQ(s.metrics_queries(), 3u);
  EXPECT_TRUE(s.records().empty());
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
