#include "layout/page_ops.h"

namespace morvane {

void reset_style(PageState& page, const TabTable& tabs) {
  page.styles = {.spacing_num = 12, .spacing_den = 72, .tab_count = tabs.count, .tab_stops = tabs.stops};
}

void reset_plotter(PageState& page, PlotterFace face) {
  page.plotter = PlotterPen{};
  page.plotter.char_size = face == PlotterFace::strokes ? kStrokesResetCharSize : kResetCharSize;
}

// A metric of zero would make a page without lines or columns and divide by
// zero further on; no real font gives one, so one unit stands in for it.
static std::uint32_t at_least_one(std::int32_t v) {
  return v > 0 ? static_cast<std::uint32_t>(v) : 1u;
}

void init_printer_page(PageState& p, PrinterMetrics& metrics, const TabTable& tabs,
                       const DeviceCaps& caps, const TextMetrics& tm, PlotterFace face) {
  reset_style(p, tabs);
  reset_plotter(p, face);
  p.is_printer = 1;

  p.line_height = at_least_one(tm.height + tm.external_leading);
  p.char_width = at_least_one(tm.max_char_width);
  p.font.width = tm.ave_char_width;

  metrics = caps;
  const std::uint32_t dpi_x = caps.dpi_x, dpi_y = caps.dpi_y;
  const std::uint32_t h = caps.vert_res * 100u / dpi_y;
  p.lines_per_page = h / p.line_height;
  const std::uint32_t w = caps.horz_res * 100u / dpi_x;
  p.chars_per_line = w / p.char_width;
  p.paper_width = caps.phys_width * 100u / dpi_x;
  p.paper_height = caps.phys_height * 100u / dpi_y;
  p.margin_left = caps.phys_offset_x * 100u / dpi_x;
  p.margin_top = caps.phys_offset_y * 100u / dpi_y;
  p.margin_right = p.paper_width - w - p.margin_left;
  p.margin_bottom = p.paper_height - h - p.margin_top;
  p.wrap_width = p.paper_width;
  p.wrap_margin = p.margin_right;
}

void derive_screen_page(PageState& s, const PageState& p, const PrinterMetrics& m,
                        const TextMetrics& tm) {
  s = p;
  s.is_printer = 0;
  s.paper_width = m.phys_width * 100u / m.dpi_x;
  s.paper_height = m.phys_height * 100u / m.dpi_y;
  s.margin_left = m.phys_offset_x * 100u / m.dpi_x;
  s.margin_right = s.margin_left;
  s.margin_top = m.phys_offset_y * 100u / m.dpi_y;
  s.line_height = p.line_height;
  s.char_width = at_least_one(tm.max_char_width);
  s.font.width = tm.ave_char_width;
}

void sync_printer_page(PageState& s, PageState& p) {
  s.plotter.text_angle = 0;
  s.plotter.origin_x = 0;
  s.plotter.origin_y = 0;
  s.plotter.pen_x = 0;
  s.plotter.pen_y = 0;

  p.font = s.font;
  p.styles = s.styles;
  p.plotter = s.plotter;
}

void home_page(PageState& page) {
  page.cur_x = page.margin_left;
  page.cur_y = page.margin_top;
  page.line_count = 0;
}

void move_to_line(PageState& page, std::uint32_t n) {
  page.line_count = n;
  page.cur_y = n * page.line_height + page.margin_top;
  page.cur_x = page.margin_left;
}

}  // namespace morvane
