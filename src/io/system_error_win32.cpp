#include "io/system_error.h"

#include <windows.h>

namespace morvane {

std::string system_error_text(int code) {
  char buf[256] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 static_cast<DWORD>(code), 0, buf, sizeof buf, nullptr);
  std::string text = buf;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.'))
    text.pop_back();
  return text.empty() ? "error " + std::to_string(code) : text;
}

}  // namespace morvane
