#include "cli/page_info.h"

#include <cstdint>
#include <cstdio>

#include "page/engine.h"

namespace morvane::cli {

namespace {

std::string format_int(std::int64_t v, const char* unit) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%lld%s", static_cast<long long>(v), unit);
  return buf;
}

// Page units are hundredths of an inch; single precision as the dialog has it.
std::string format_length(std::uint32_t units) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%2.2f inch", static_cast<double>(static_cast<float>(units) * 0.01f));
  return buf;
}

// Without a resolution there is no paper size to show.
std::string format_paper(std::uint32_t pixels, std::uint32_t dpi) {
  if (dpi == 0) return "-";
  char buf[48];
  std::snprintf(buf, sizeof buf, "%2.2f inch",
                static_cast<double>(static_cast<float>(pixels) / static_cast<float>(dpi)));
  return buf;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> page_setup_fields(const Engine& e) {
  const PageState& p = e.printer;
  const PrinterMetrics& m = e.metrics;
  const FontDesc& f = p.font;
  return {
      {"Selected printer", e.printer_names.device},
      {"Selected font", std::string(f.face_name) + " " + format_int(-static_cast<std::int64_t>(f.height), " units")},
      {"Printer horz. res.", format_int(m.dpi_x, " dpi")},
      {"Printer vert. res.", format_int(m.dpi_y, " dpi")},
      {"Paper width", format_paper(m.phys_width, m.dpi_x)},
      {"Paper height", format_paper(m.phys_height, m.dpi_y)},
      {"Left margin", format_length(p.margin_left)},
      {"Right margin", format_length(p.margin_right)},
      {"Top margin", format_length(p.margin_top)},
      {"Bottom margin", format_length(p.margin_bottom)},
      {"Line spacing", format_length(p.line_height)},
      {"Character spacing", format_length(p.char_width)},
      {"Lines per page", format_int(p.lines_per_page, "")},
      {"Characters per line", format_int(p.chars_per_line, "")},
  };
}

std::string format_page_info(const Engine& e) {
  std::string out;
  for (const auto& [label, value] : page_setup_fields(e)) out += label + ": " + value + "\n";
  return out;
}

}  // namespace morvane::cli
