// The settings file read and written with standard C++ file streams, giving
// the same results and the same bytes as the Windows private-profile
// functions for the program's use of them.
#pragma once

#include <optional>
#include <string>

#include "config/profile.h"

namespace morvane {

class IniProfile final : public Profile {
 public:
  explicit IniProfile(std::string path) : path_(std::move(path)) {}

  std::int32_t get_int(const std::string& section, const std::string& key,
                       std::int32_t default_value) override;
  std::string get_string(const std::string& section, const std::string& key,
                         const std::string& default_value, std::size_t buffer_size) override;
  void write_string(const std::string& section, const std::string& key,
                    const std::string& value) override;

  const std::string& path() const { return path_; }

 private:
  // The whole file; nullopt when it does not exist or cannot be read.
  std::optional<std::string> read_file() const;

  std::string path_;
};

}  // namespace morvane
