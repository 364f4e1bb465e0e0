#include "page/page_state_ops.h"

#include <algorithm>

#include "page/engine.h"
#include "page/feed.h"

namespace morvane {

void reset_style(Engine& e, PageState& page) {
  page.double_width = 0;
  page.condensed = 0;
  page.emphasized = 0;
  page.double_strike = 0;
  page.superscript = 0;
  page.subscript = 0;
  page.expanded = 0;
  page.spacing_num = 12;
  page.spacing_den = 72;
  page.tab_count = e.tab_table.count;
  page.tab_stops = e.tab_table.stops;
}

void reset_plotter(PageState& page) { page.plotter = PlotterPen{}; }

// A metric of zero would make a page without lines or columns and divide by
// zero further on; no real font gives one, so one unit stands in for it.
static std::uint32_t at_least_one(std::int32_t v) {
  return v > 0 ? static_cast<std::uint32_t>(v) : 1u;
}

void init_printer_page(Engine& e, const DeviceCaps& caps, const TextMetrics& tm) {
  PageState& p = e.printer;
  reset_style(e, p);
  reset_plotter(p);
  p.is_printer = 1;

  p.line_height = at_least_one(tm.height + tm.external_leading);
  p.char_width = at_least_one(tm.max_char_width);
  p.font.width = tm.ave_char_width;

  e.metrics = caps;
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

void derive_screen_page(Engine& e, const TextMetrics& tm) {
  PageState& s = e.screen;
  const PageState& p = e.printer;
  const DeviceCaps& m = e.metrics;
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

void sync_printer_page(Engine& e) {
  PageState& s = e.screen;
  PageState& p = e.printer;
  s.plotter.text_angle = 0;
  s.plotter.origin_x = 0;
  s.plotter.origin_y = 0;
  s.plotter.pen_x = 0;
  s.plotter.pen_y = 0;

  p.font = s.font;
  p.double_width = s.double_width;
  p.condensed = s.condensed;
  p.emphasized = s.emphasized;
  p.double_strike = s.double_strike;
  p.superscript = s.superscript;
  p.subscript = s.subscript;
  p.expanded = s.expanded;
  p.spacing_num = s.spacing_num;
  p.spacing_den = s.spacing_den;
  p.tab_count = s.tab_count;
  p.tab_stops = s.tab_stops;
  p.plotter = s.plotter;

  // The font of the styles that stay in force on the next page.
  e.current_font = make_font(e, s);
}

void home_page(PageState& page) {
  page.cur_x = page.margin_left;
  page.cur_y = page.margin_top;
  page.line_count = 0;
}

FontDesc base_font(std::int32_t height, std::int32_t weight, std::int32_t italic, const char* face) {
  FontDesc f;
  f.height = height;
  f.weight = weight;
  f.italic = italic != 0 ? 1 : 0;
  f.quality = 2;             // PROOF_QUALITY
  f.pitch_and_family = 0x12;  // VARIABLE_PITCH | FF_ROMAN
  f.set_face(face);
  return f;
}

void set_printer_font(Engine& e, const FontDesc& font) {
  e.printer.font = font;
  e.current_font = font;
  e.page_font = font;
}

void move_to_line(PageState& page, std::uint32_t n) {
  page.line_count = n;
  page.cur_y = n * page.line_height + page.margin_top;
  page.cur_x = page.margin_left;
}

}  // namespace morvane
