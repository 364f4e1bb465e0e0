#include "page/page_setup_values.h"

#include <cstdio>

#include "page/engine.h"

namespace morvane {

namespace {

std::string format_count(long long value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld", value);
  return buf;
}

// The selected printer's device name; "no printer" while none is measured, or
// the name with "(not available)" when that printer could not be used.
std::string printer_label(const Engine& e) {
  if (e.print.printer_dc) return e.print.printer_names.device;
  if (e.print.printer_names.device.empty()) return kNoPrinterLabel;
  return e.print.printer_names.device + " (not available)";
}

}  // namespace

std::string format_inches(std::uint32_t units) {
  const float inches = static_cast<float>(units) * 0.01f;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%2.2f", static_cast<double>(inches));
  return buf;
}

std::string format_paper_inches(std::uint32_t pixels, std::uint32_t dpi) {
  if (dpi == 0) return "-";
  char buf[48];
  const float inches = static_cast<float>(pixels) / static_cast<float>(dpi);
  std::snprintf(buf, sizeof buf, "%2.2f", static_cast<double>(inches));
  return buf;
}

std::vector<PageSetupRow> page_setup_rows(const Engine& e, std::string_view font_name,
                                          std::int32_t font_height) {
  const PageState& p = e.printer;
  // Without a measured printer the page is laid out for an assumed one: its
  // resolution and paper size belong to no printer and are not shown.
  const PrinterMetrics m = e.print.printer_dc ? e.metrics : PrinterMetrics{};
  const auto resolution = [](std::uint32_t dpi) { return dpi == 0 ? "-" : format_count(dpi); };
  // Minus the height in 64 bits: the most negative height must not overflow.
  const long long size = -static_cast<long long>(font_height);
  return {
      {kFieldPrinter, "Selected printer", printer_label(e), ""},
      {kFieldFontName, "Selected font", std::string(font_name), ""},
      {kFieldFontSize, "", format_count(size), "units"},
      {kFieldDpiX, "Printer horz. res.", resolution(m.dpi_x), "dpi"},
      {kFieldDpiY, "Printer vert. res.", resolution(m.dpi_y), "dpi"},
      {kFieldPaperWidth, "Paper width", format_paper_inches(m.phys_width, m.dpi_x), "inch"},
      {kFieldPaperHeight, "Paper height", format_paper_inches(m.phys_height, m.dpi_y), "inch"},
      {kFieldMarginLeft, "Left margin", format_inches(p.margin_left), "inch"},
      {kFieldMarginRight, "Right margin", format_inches(p.margin_right), "inch"},
      {kFieldMarginTop, "Top margin", format_inches(p.margin_top), "inch"},
      {kFieldMarginBottom, "Bottom margin", format_inches(p.margin_bottom), "inch"},
      {kFieldLineSpacing, "Line spacing", format_inches(p.line_height), "inch"},
      {kFieldCharSpacing, "Character spacing", format_inches(p.char_width), "inch"},
      {kFieldLinesPerPage, "Lines per page", format_count(p.lines_per_page), ""},
      {kFieldCharsPerLine, "Characters per line", format_count(p.chars_per_line), ""},
  };
}

}  // namespace morvane
