// Access to the settings file by section and key, with the semantics of the
// platform's private-profile functions: names compare without regard to case,
// a write keeps every other line of the file, and reads never fail (a missing
// file, section or key gives the caller's default).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace morvane {

class Profile {
 public:
  virtual ~Profile() = default;

  // The key's value read as a signed decimal integer (leading blanks, an
  // optional sign, the leading digits); an empty or missing value gives
  // default_value, text without leading digits gives 0.
  virtual std::int32_t get_int(const std::string& section, const std::string& key,
                               std::int32_t default_value) = 0;

  // The key's value, or default_value when the key is missing, cut to at most
  // buffer_size - 1 characters as a read into a buffer of that size would be.
  virtual std::string get_string(const std::string& section, const std::string& key,
                                 const std::string& default_value,
                                 std::size_t buffer_size) = 0;

  // Sets the key, creating the file and the section when missing. A write that
  // fails (read-only file or directory) is silently dropped.
  virtual void write_string(const std::string& section, const std::string& key,
                            const std::string& value) = 0;
};

}  // namespace morvane
