#include "config/ini_profile.h"

#include <filesystem>
#include <fstream>

#include "config/ini_text.h"

namespace morvane {

std::optional<std::string> IniProfile::read_file() const {
  // Only a regular file: a directory fails mid-read and a FIFO would block.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path_, ec)) return std::nullopt;
  std::ifstream in(path_, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  char chunk[4096];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    text.append(chunk, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) return std::nullopt;
  return text;
}

std::int32_t IniProfile::get_int(const std::string& section, const std::string& key,
                                 std::int32_t default_value) {
  return ini::int_from_value(get_string(section, key, "", ini::kIntReadBuffer), default_value);
}

std::string IniProfile::get_string(const std::string& section, const std::string& key,
                                   const std::string& default_value, std::size_t buffer_size) {
  const std::optional<std::string> text = read_file();
  std::optional<std::string> value;
  if (text) value = ini::find_value(*text, section, key);
  return ini::fit_buffer(value ? *value : ini::trimmed_default(default_value), buffer_size);
}

void IniProfile::write_string(const std::string& section, const std::string& key,
                              const std::string& value) {
  std::optional<std::string> old = read_file();
  std::error_code ec;
  // A file that is there but cannot be read must not be replaced by one key.
  if (!old && std::filesystem::exists(path_, ec)) return;
  if (ec) return;
  const std::string text = ini::set_value(old.value_or(""), section, key, value);
  if (old && text == *old) return;
  std::ofstream out(path_, std::ios::binary | std::ios::trunc);
  if (!out) return;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace morvane
