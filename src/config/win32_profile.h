// The settings file through the Windows private-profile functions
// (GetPrivateProfileIntA, GetPrivateProfileStringA, WritePrivateProfileStringA).
// Built only for Windows.
#pragma once

#include <string>

#include "config/profile.h"

namespace morvane {

class Win32Profile final : public Profile {
 public:
  explicit Win32Profile(std::string path) : path_(std::move(path)) {}

  std::int32_t get_int(const std::string& section, const std::string& key,
                       std::int32_t default_value) override;
  std::string get_string(const std::string& section, const std::string& key,
                         const std::string& default_value, std::size_t buffer_size) override;
  void write_string(const std::string& section, const std::string& key,
                    const std::string& value) override;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace morvane
