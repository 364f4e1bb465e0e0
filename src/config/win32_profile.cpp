#include "config/win32_profile.h"

#include <windows.h>

#include <vector>

namespace morvane {

std::int32_t Win32Profile::get_int(const std::string& section, const std::string& key,
                                   std::int32_t default_value) {
  const UINT v = GetPrivateProfileIntA(section.c_str(), key.c_str(), default_value, path_.c_str());
  return static_cast<std::int32_t>(v);
}

std::string Win32Profile::get_string(const std::string& section, const std::string& key,
                                     const std::string& default_value, std::size_t buffer_size) {
  if (buffer_size == 0) return {};
  constexpr std::size_t kMaxBuffer = 0x10000;  // far beyond any value this program keeps
  std::vector<char> buffer(buffer_size < kMaxBuffer ? buffer_size : kMaxBuffer, '\0');
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), default_value.c_str(),
                                           buffer.data(), static_cast<DWORD>(buffer.size()),
                                           path_.c_str());
  return std::string(buffer.data(), n < buffer.size() ? n : buffer.size() - 1);
}

void Win32Profile::write_string(const std::string& section, const std::string& key,
                                const std::string& value) {
  // Failure (read-only file or directory) is deliberately ignored.
  WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path_.c_str());
}

}  // namespace morvane
