#include "live/live_window.h"

namespace morvane::live {

std::string window_title(const std::string& sources, bool printer_enabled) {
  return "Morvane - " + sources + " Printer: " + (printer_enabled ? "Enabled" : "Disabled");
}

std::string status_text(int pages, std::uint64_t bytes, bool printing, const std::string& last) {
  std::string text = std::to_string(pages) + (pages == 1 ? " page " : " pages ") +
                     (printing ? "printed, " : "ended, ") + std::to_string(bytes) +
                     (bytes == 1 ? " byte received" : " bytes received");
  if (!last.empty()) text += " - " + last;
  return text;
}

}  // namespace morvane::live
