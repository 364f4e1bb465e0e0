// Measuring the printer into the two pages, and carrying state between them.
#include <gtest/gtest.h>

#include "page/page_state_ops.h"
#include "support/engine_fixture.h"

namespace morvane {
namespace {

using test::EngineFixture;

TEST(InitPrinterPage, TruncatesEachQuantityAtItsOwnDivision) {
  EngineFixture f;
  // 600 dpi, 150-pixel offsets; printable height 3780 px = 630 hundredths.
  const DeviceCaps caps{4800, 3780, 600, 600, 5100, 6600, 150, 150};
  TextMetrics tm{15, 2, 9, 11};
  init_printer_page(f.engine, caps, tm);
  const PageState& p = f.engine.printer;
  EXPECT_EQ(p.is_printer, 1);
  EXPECT_EQ(p.margin_left, 25u);
  EXPECT_EQ(p.margin_top, 25u);
  EXPECT_EQ(p.line_height, 17u);
  EXPECT_EQ(p.lines_per_page, 37u);  // 630 / 17, not 38
  EXPECT_EQ(p.char_width, 11u);
  EXPECT_EQ(p.chars_per_line, 800u / 11u);
  EXPECT_EQ(p.font.width, 9);
  EXPECT_EQ(p.paper_width, 850u);
  EXPECT_EQ(p.paper_height, 1100u);
  // The remainders absorb the truncation.
  EXPECT_EQ(p.margin_right, 850u - 800u - 25u);
  EXPECT_EQ(p.margin_bottom, 1100u - 630u - 25u);
  EXPECT_EQ(p.wrap_width, 850u);
  EXPECT_EQ(p.wrap_margin, p.margin_right);
}

TEST(InitPrinterPage, ResetsStylesAndPlotterButKeepsPositions) {
  EngineFixture f;
  PageState& p = f.engine.printer;
  p.cur_x = 300;
  p.cur_y = 400;
  p.line_count = 7;
  p.skip_perforation = 6;
  p.emphasized = 1;
  p.plotter.graphic_mode = 1;
  p.plotter.pen_color = 0x80;
  p.font.underline = 1;
  init_printer_page(f.engine, DeviceCaps{4800, 6300, 600, 600, 5100, 6600, 150, 150},
                    TextMetrics{20, 0, 12, 12});
  EXPECT_EQ(p.cur_x, 300u);
  EXPECT_EQ(p.cur_y, 400u);
  EXPECT_EQ(p.line_count, 7u);
  EXPECT_EQ(p.skip_perforation, 6u);
  EXPECT_EQ(p.emphasized, 0);
  EXPECT_EQ(p.spacing_num, 12);
  EXPECT_EQ(p.spacing_den, 72);
  EXPECT_EQ(p.plotter.graphic_mode, 0);
  EXPECT_EQ(p.plotter.pen_color, 0u);
  EXPECT_EQ(p.plotter.char_size, 7);
  EXPECT_EQ(p.font.underline, 1);  // only styles reset, not the description
}

TEST(DeriveScreenPage, FrameIsSymmetricButWrapsWhereThePrinterDoes) {
  EngineFixture f;
  // 100 dpi: 30 unprintable on the left, 50 on the right.
  init_printer_page(f.engine, DeviceCaps{770, 1000, 100, 100, 850, 1100, 30, 40},
                    TextMetrics{17, 0, 10, 10});
  derive_screen_page(f.engine, TextMetrics{19, 0, 8, 9});
  const PageState& p = f.engine.printer;
  const PageState& s = f.engine.screen;
  EXPECT_EQ(p.margin_right, 50u);
  EXPECT_EQ(s.margin_right, 30u);
  EXPECT_EQ(s.margin_left, 30u);
  EXPECT_EQ(s.is_printer, 0);
  EXPECT_EQ(s.wrap_width - s.wrap_margin, p.wrap_width - p.wrap_margin);
  EXPECT_EQ(s.wrap_width - s.wrap_margin, 800u);
  EXPECT_EQ(s.margin_bottom, p.margin_bottom);
  EXPECT_EQ(s.lines_per_page, p.lines_per_page);
  // Line height is the printer's; the character width is the screen font's own.
  EXPECT_EQ(s.line_height, 17u);
  EXPECT_EQ(s.char_width, 9u);
  EXPECT_EQ(s.font.width, 8);
}

TEST(SyncPrinterPage, CarriesStylesFontAndPlotterButNotPositions) {
  EngineFixture f;
  PageState& s = f.engine.screen;
  PageState& p = f.engine.printer;
  s.condensed = 1;
  s.double_strike = 1;
  s.font.weight = 500;
  s.plotter.pen_color = 0x840000;
  s.plotter.graphic_mode = 1;
  s.plotter.text_angle = 900;
  s.plotter.origin_y = 150;
  s.plotter.pen_x = 40;
  s.cur_x = 111;
  s.line_count = 3;
  p.cur_x = 222;
  p.line_count = 9;
  sync_printer_page(f.engine);
  EXPECT_EQ(p.condensed, 1);
  EXPECT_EQ(p.double_strike, 1);
  EXPECT_EQ(p.font.weight, 500);
  EXPECT_EQ(p.plotter.pen_color, 0x840000u);
  EXPECT_EQ(p.plotter.graphic_mode, 1);
  // The screen's angle, origin and pen go back to zero before the copy.
  EXPECT_EQ(s.plotter.text_angle, 0);
  EXPECT_EQ(p.plotter.origin_y, 0);
  EXPECT_EQ(p.plotter.pen_x, 0);
  EXPECT_EQ(p.cur_x, 222u);
  EXPECT_EQ(p.line_count, 9u);
  // The current font is the plain description, without style adjustments.
  EXPECT_EQ(f.engine.current_font, s.font);
}

TEST(ResetStyle, LeavesPerforationLengthFontAndPositions) {
  EngineFixture f;
  PageState& p = f.engine.screen;
  p.superscript = 1;
  p.expanded = 1;
  p.skip_perforation = 5;
  p.page_length_lines = 40;
  p.font.underline = 1;
  p.font.weight = 500;
  p.cur_y = 77;
  f.engine.tab_table.count = 2;
  f.engine.tab_table.stops[0] = 5;
  reset_style(f.engine, p);
  EXPECT_EQ(p.superscript, 0);
  EXPECT_EQ(p.expanded, 0);
  EXPECT_EQ(p.skip_perforation, 5u);
  EXPECT_EQ(p.page_length_lines, 40u);
  EXPECT_EQ(p.font.underline, 1);
  EXPECT_EQ(p.font.weight, 500);
  EXPECT_EQ(p.cur_y, 77u);
  EXPECT_EQ(p.tab_count, 2);
  EXPECT_EQ(p.tab_stops[0], 5);
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
