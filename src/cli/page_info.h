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
// `face_drawn`: the face the page font is drawn in; when it is not the face
// the font names, the font's line shows it, with the name in parentheses.
std::vector<std::pair<std::string, std::string>> page_setup_fields(const Engine& e,
                                                                   const std::string& face_drawn = {});

// One "Label: value" line per field.
std::string format_page_info(const Engine& e, const std::string& face_drawn = {});

}  // namespace morvane::cli
