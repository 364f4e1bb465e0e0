#include "cli/page_info.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "page/engine.h"
#include "page/page_setup_values.h"

namespace morvane::cli {

namespace {

bool same_name(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
    return std::tolower(x) == std::tolower(y);
  });
}

}  // namespace

std::vector<std::pair<std::string, std::string>> page_setup_fields(const Engine& e,
                                                                   const std::string& face_drawn) {
  const FontDesc& f = e.printer.font;
  std::string_view face(f.face_name, sizeof f.face_name);
  face = face.substr(0, face.find('\0'));
  const bool other_face = !face_drawn.empty() && !same_name(face_drawn, face);
  const auto rows = page_setup_rows(e, other_face ? std::string_view(face_drawn) : face, f.height);
  std::vector<std::pair<std::string, std::string>> fields;
  for (const PageSetupRow& row : rows) {
    std::string value = row.text;
    if (!row.unit.empty() && value != "-") value.append(" ").append(row.unit);
    // The font size belongs to the font's line.
    if (row.id == kFieldFontSize && !fields.empty()) {
      fields.back().second.append(" ").append(value);
      if (other_face) fields.back().second.append(" (for \"").append(face).append("\")");
      continue;
    }
    fields.emplace_back(std::string(row.label), value);
  }
  return fields;
}

std::string format_page_info(const Engine& e, const std::string& face_drawn) {
  std::string out;
  for (const auto& [label, value] : page_setup_fields(e, face_drawn))
    out.append(label).append(": ").append(value).append("\n");
  return out;
}

}  // namespace morvane::cli
