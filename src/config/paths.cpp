#include "config/paths.h"

#include <cstdlib>

namespace morvane {

std::string path_in_directory(const std::string& dir, const std::string& name, char separator) {
  if (dir.empty()) return name;
  const char last = dir.back();
  if (last == '/' || last == separator) return dir + name;
  return dir + separator + name;
}

std::string settings_path_from_cwd(const std::string& cwd) {
  return path_in_directory(cwd, kSettingsFileName);
}

std::string spool_path_from_cwd(const std::string& cwd) {
  return path_in_directory(cwd, kSpoolFileName);
}

namespace {

bool absolute_posix(const char* dir) { return dir != nullptr && dir[0] == '/'; }

// "C:\..." or "\\server\...": a drive letter with its root, or a share.
bool absolute_windows(const char* dir) {
  if (dir == nullptr || dir[0] == '\0') return false;
  const bool drive = ((dir[0] >= 'A' && dir[0] <= 'Z') || (dir[0] >= 'a' && dir[0] <= 'z')) &&
                     dir[1] == ':' && (dir[2] == '\\' || dir[2] == '/');
  return drive || (dir[0] == '\\' && dir[1] == '\\');
}

}  // namespace

std::string xdg_settings_path(const char* xdg_config_home, const char* home) {
  std::string config;
  if (absolute_posix(xdg_config_home)) config = xdg_config_home;
  else if (absolute_posix(home)) config = path_in_directory(home, ".config", '/');
  else return {};
  return path_in_directory(path_in_directory(config, "morvane", '/'), kSettingsFileName, '/');
}

std::string appdata_settings_path(const char* appdata) {
  if (!absolute_windows(appdata)) return {};
  return path_in_directory(path_in_directory(appdata, "Morvane", '\\'), kSettingsFileName, '\\');
}

std::string user_settings_path() {
#ifdef _WIN32
  return appdata_settings_path(std::getenv("APPDATA"));
#else
  return xdg_settings_path(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
#endif
}

}  // namespace morvane
