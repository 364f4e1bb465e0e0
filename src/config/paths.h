// Where the settings file and the spool file live: the current working
// directory at start, whatever directory holds the program itself.
#pragma once

#include <string>

namespace morvane {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

constexpr const char* kSettingsFileName = "Morvane.ini";
constexpr const char* kSpoolFileName = "Morvane.$$$";

// dir joined with name. A separator is added only when dir does not already
// end with one ("/" counts everywhere, separator too), so a root directory
// gives no doubled separator; an empty dir (the directory could not be read)
// leaves name relative to wherever the program runs.
std::string path_in_directory(const std::string& dir, const std::string& name,
                              char separator = kPathSeparator);

std::string settings_path_from_cwd(const std::string& cwd);
std::string spool_path_from_cwd(const std::string& cwd);

}  // namespace morvane
