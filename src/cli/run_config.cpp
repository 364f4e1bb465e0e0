#include "cli/run_config.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "config/ini_profile.h"
#include "config/paths.h"

namespace morvane::cli {

namespace {

bool readable_file(const std::string& path, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    error = "cannot read settings file " + path + ": Is a directory";
    return false;
  }
  std::ifstream probe(path, std::ios::binary);
  if (!probe) {
    error = "cannot read settings file " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

bool load_run_settings(const CliOptions& options, const std::string& user_path, Settings& settings,
                       std::string& read_from, std::string& error) {
  settings = Settings{};
  read_from.clear();
  std::string path;
  if (options.settings_path) {
    path = *options.settings_path;
    if (!readable_file(path, error)) return false;
  } else {
    std::error_code ec;
    if (user_path.empty() || !std::filesystem::is_regular_file(user_path, ec)) return true;
    path = user_path;
  }
  IniProfile profile(path);
  load_settings(profile, settings);
  read_from = path;
  return true;
}

std::string unread_folder_settings(const std::string& cwd, const std::string& read_from) {
  if (cwd.empty()) return {};
  const std::string here = settings_path_from_cwd(cwd);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(here, ec)) return {};
  if (!read_from.empty() && std::filesystem::equivalent(here, read_from, ec)) return {};
  return here;
}

void apply_options(const CliOptions& o, Settings& s) {
  if (o.emulation) s.printertype = static_cast<std::int32_t>(*o.emulation);
  if (o.font_name) {
    std::memset(s.font_name, 0, sizeof s.font_name);
    std::strncpy(s.font_name, o.font_name->c_str(), sizeof s.font_name - 1);
  }
  if (o.font_height) s.font_height = -*o.font_height;
  if (o.line) s.lyn = *o.line;
  const PortOptions& p = o.port_options;
  if (p.baudrate) s.baudrate = *p.baudrate;
  if (p.bytesize) s.bytesize = *p.bytesize;
  if (p.parity) s.parity = *p.parity;
  if (p.stopbits) s.stopbits = *p.stopbits;
  if (p.flowctrl) s.flowctrl = *p.flowctrl;
  s.printerenable = o.pdf_path || o.print ? 1 : 0;
}

}  // namespace morvane::cli
