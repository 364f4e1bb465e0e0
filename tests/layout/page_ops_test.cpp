// Measuring the printer into the two pages, and carrying state between them.
#include "layout/page_ops.h"

#include <gtest/gtest.h>

#include <random>

namespace morvane {
namespace {

TEST(InitPrinterPage, TruncatesEachQuantityAtItsOwnDivision) {
  // 600 dpi, 150-pixel offsets; printable height 3780 px = 630 hundredths.
  const DeviceCaps caps{4800, 3780, 600, 600, 5100, 6600, 150, 150};
  TextMetrics tm{15, 2, 9, 11};
  PageState p;
  PrinterMetrics m;
  init_printer_page(p, m, TabTable{}, caps, tm, PlotterFace::truetype);
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
  PageState p;
  PrinterMetrics m;
  p.cur_x = 300;
  p.cur_y = 400;
  p.line_count = 7;
  p.skip_perforation = 6;
  p.styles.emphasized = 1;
  p.plotter.graphic_mode = 1;
  p.plotter.pen_color = 0x80;
  p.font.underline = 1;
  init_printer_page(p, m, TabTable{}, DeviceCaps{4800, 6300, 600, 600, 5100, 6600, 150, 150},
                    TextMetrics{20, 0, 12, 12}, PlotterFace::truetype);
  EXPECT_EQ(p.cur_x, 300u);
  EXPECT_EQ(p.cur_y, 400u);
  EXPECT_EQ(p.line_count, 7u);
  EXPECT_EQ(p.skip_perforation, 6u);
  EXPECT_EQ(p.styles.emphasized, 0);
  EXPECT_EQ(p.styles.spacing_num, 12);
  EXPECT_EQ(p.styles.spacing_den, 72);
  EXPECT_EQ(p.plotter.graphic_mode, 0);
  EXPECT_EQ(p.plotter.pen_color, 0u);
  EXPECT_EQ(p.plotter.char_size, 7);
  EXPECT_EQ(p.font.underline, 1);  // only styles reset, not the description
}

TEST(InitPrinterPage, ThePlotterStartsAtItsFacesSize) {
  for (const auto& [face, size] : {std::pair{PlotterFace::truetype, 7}, {PlotterFace::strokes, 1}}) {
    PageState p;
    PrinterMetrics m;
    p.plotter.char_size = 12;
    init_printer_page(p, m, TabTable{}, DeviceCaps{4800, 6300, 600, 600, 5100, 6600, 150, 150},
                      TextMetrics{20, 0, 12, 12}, face);
    EXPECT_EQ(p.plotter.char_size, size);
  }
}

TEST(DeriveScreenPage, FrameIsSymmetricButWrapsWhereThePrinterDoes) {
  // 100 dpi: 30 unprintable on the left, 50 on the right.
  PageState p;
  PageState s;
  PrinterMetrics m;
  init_printer_page(p, m, TabTable{}, DeviceCaps{770, 1000, 100, 100, 850, 1100, 30, 40},
                    TextMetrics{17, 0, 10, 10}, PlotterFace::truetype);
  derive_screen_page(s, p, m, TextMetrics{19, 0, 8, 9});
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
  PageState s;
  PageState p;
  s.styles.condensed = 1;
  s.styles.double_strike = 1;
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
  sync_printer_page(s, p);
  EXPECT_EQ(p.styles.condensed, 1);
  EXPECT_EQ(p.styles.double_strike, 1);
  EXPECT_EQ(p.font.weight, 500);
  EXPECT_EQ(p.plotter.pen_color, 0x840000u);
  EXPECT_EQ(p.plotter.graphic_mode, 1);
  // The screen's angle, origin and pen go back to zero before the copy.
  EXPECT_EQ(s.plotter.text_angle, 0);
  EXPECT_EQ(p.plotter.origin_y, 0);
  EXPECT_EQ(p.plotter.pen_x, 0);
  EXPECT_EQ(p.cur_x, 222u);
  EXPECT_EQ(p.line_count, 9u);
}

TEST(ResetStyle, LeavesPerforationLengthFontAndPositions) {
  PageState p;
  TabTable tabs;
  p.styles.superscript = 1;
  p.styles.expanded = 1;
  p.skip_perforation = 5;
  p.page_length_lines = 40;
  p.font.underline = 1;
  p.font.weight = 500;
  p.cur_y = 77;
  tabs.count = 2;
  tabs.stops[0] = 5;
  reset_style(p, tabs);
  EXPECT_EQ(p.styles.superscript, 0);
  EXPECT_EQ(p.styles.expanded, 0);
  EXPECT_EQ(p.skip_perforation, 5u);
  EXPECT_EQ(p.page_length_lines, 40u);
  EXPECT_EQ(p.font.underline, 1);
  EXPECT_EQ(p.font.weight, 500);
  EXPECT_EQ(p.cur_y, 77u);
  EXPECT_EQ(p.styles.tab_count, 2);
  EXPECT_EQ(p.styles.tab_stops[0], 5);
}

PrintStyles random_styles(std::mt19937& rng) {
  const auto any = [&rng](int n) { return std::uniform_int_distribution<int>(0, n)(rng); };
  PrintStyles s;
  for (std::uint8_t* flag : {&s.double_width, &s.condensed, &s.emphasized, &s.double_strike,
                             &s.superscript, &s.subscript, &s.expanded})
    *flag = static_cast<std::uint8_t>(any(1));
  s.spacing_num = any(255);
  s.spacing_den = any(216);
  s.tab_count = any(kMaxTabStops);
  for (std::int32_t& stop : s.tab_stops) stop = any(132);
  return s;
}

// Whatever styles the pages had, every one of them is put back by a reset
// and carried over by the synchronisation: none is left behind.
TEST(PrintStyles, ResetAndSynchronisationTakeEveryStyle) {
  std::mt19937 rng(26);
  TabTable tabs;
  tabs.count = 3;
  tabs.stops = {4, 9, 30};
  PageState normal;
  reset_style(normal, tabs);
  for (int round = 0; round < 200; ++round) {
    PageState s, p;
    s.styles = random_styles(rng);
    p.styles = random_styles(rng);
    sync_printer_page(s, p);
    EXPECT_EQ(p.styles, s.styles);
    reset_style(s, tabs);
    EXPECT_EQ(s.styles, normal.styles);
  }
}

}  // namespace
}  // namespace morvane
