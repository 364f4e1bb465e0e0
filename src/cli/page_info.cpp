#include "cli/page_info.h"

#include <string_view>

#include "page/engine.h"
#include "page/page_setup_values.h"

namespace morvane::cli {

std::vector<std::pair<std::string, std::string>> page_setup_fields(const Engine& e) {
  const FontDesc& f = e.printer.font;
  std::string_view face(f.face_name, sizeof f.face_name);
  face = face.substr(0, face.find('\0'));
  const auto rows = page_setup_rows(e, face, f.height);
  std::vector<std::pair<std::string, std::string>> fields;
  for (const PageSetupRow& row : rows) {
    std::string value = row.text;
    if (!row.unit.empty() && value != "-") value.append(" ").append(row.unit);
    // The font size belongs to the font's line.
    if (row.id == kFieldFontSize && !fields.empty()) {
      fields.back().second.append(" ").append(value);
      continue;
    }
    fields.emplace_back(std::string(row.label), value);
  }
  return fields;
}

std::string format_page_info(const Engine& e) {
  std::string out;
  for (const auto& [label, value] : page_setup_fields(e)) out.append(label).append(": ").append(value).append("\n");
  return out;
}

}  // namespace morvane::cli
