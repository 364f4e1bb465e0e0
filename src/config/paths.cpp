#include "config/paths.h"

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

}  // namespace morvane
