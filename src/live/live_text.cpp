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

RendererEnvironment software_drawing(const char* gsk_renderer, const char* gdk_debug) {
  RendererEnvironment env;
  if (gsk_renderer != nullptr && *gsk_renderer != '\0') return env;
  env.change = true;
  env.gsk_renderer = "cairo";
  // GDK's debug flags are a list; the user's stay.
  const std::string flags = gdk_debug != nullptr ? gdk_debug : "";
  const std::string own = "gl-disable";
  bool present = false;
  for (std::size_t at = 0; at <= flags.size();) {
    std::size_t end = flags.find_first_of(",: ", at);
    if (end == std::string::npos) end = flags.size();
    if (flags.compare(at, end - at, own) == 0) present = true;
    at = end + 1;
  }
  env.gdk_debug = present ? flags : flags.empty() ? own : flags + "," + own;
  return env;
}

}  // namespace morvane::live
