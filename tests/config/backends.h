// The profile backends a test can run against: the portable one everywhere,
// the private-profile functions too in the Windows build.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "config/ini_profile.h"
#ifdef _WIN32
#include "config/win32_profile.h"
#endif

namespace morvane::testing {

struct Backend {
  std::string name;
  std::unique_ptr<Profile> (*make)(const std::string& path);
};

inline void PrintTo(const Backend& backend, std::ostream* os) { *os << backend.name; }

inline std::vector<Backend> all_backends() {
  std::vector<Backend> list{
      {"Ini", [](const std::string& p) -> std::unique_ptr<Profile> {
         return std::make_unique<IniProfile>(p);
       }}};
#ifdef _WIN32
  list.push_back({"Win32", [](const std::string& p) -> std::unique_ptr<Profile> {
                    return std::make_unique<Win32Profile>(p);
                  }});
#endif
  return list;
}

inline std::string backend_name(const ::testing::TestParamInfo<Backend>& info) {
  return info.param.name;
}

}  // namespace morvane::testing
