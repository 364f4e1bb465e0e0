#include "cli/run_config.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "config/ini_profile.h"
#include "config/paths.h"

namespace morvane::cli {

bool load_run_settings(const CliOptions& options, const std::string& cwd, Settings& settings,
                       std::string& error) {
  settings = Settings{};
  std::string path;
  if (options.settings_path) {
    path = *options.settings_path;
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
  } else {
    path = settings_path_from_cwd(cwd);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return true;
  }
  IniProfile profile(path);
  load_settings(profile, settings);
  return true;
}

void apply_options(const CliOptions& o, Settings& s) {
  if (o.emulation) s.printertype = *o.emulation;
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
}

}  // namespace morvane::cli
