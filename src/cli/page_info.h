// The page geometry as the "Page setup" dialog shows it, as text lines.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace morvane {
struct Engine;
}

namespace morvane::cli {

// (label, value) in the dialog's order; lengths in inches "%2.2f", counts
// "%d", each with the dialog's unit label. The printer must have been measured.
std::vector<std::pair<std::string, std::string>> page_setup_fields(const Engine& e);

// One "Label: value" line per field.
std::string format_page_info(const Engine& e);

}  // namespace morvane::cli
