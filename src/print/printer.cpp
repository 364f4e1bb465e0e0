#include "print/printer.h"

#include <vector>

namespace morvane {

PrinterNames parse_device_string(std::string text) {
  if (text.size() > 255) text.resize(255);
  std::vector<std::string> tokens;
  std::string cur;
  for (char c : text) {
    if (c == ',') {
      if (!cur.empty()) tokens.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) tokens.push_back(cur);
  if (tokens.size() < 3) return {};
  return {tokens[0], tokens[1], tokens[2]};
}

}  // namespace morvane
