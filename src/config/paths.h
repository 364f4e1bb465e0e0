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

// The settings file of the portable program's user, in the user's own
// configuration folder rather than whatever folder the program runs in.
// The XDG rule: $XDG_CONFIG_HOME/morvane/Morvane.ini, or
// ~/.config/morvane/Morvane.ini when that is unset, empty or relative.
// Empty when neither names an absolute folder.
std::string xdg_settings_path(const char* xdg_config_home, const char* home);
// Windows: %APPDATA%\Morvane\Morvane.ini, the folder in which the
// installer's shortcut starts the desktop program. Empty without APPDATA.
std::string appdata_settings_path(const char* appdata);
// The one of the two for this platform, from the environment.
std::string user_settings_path();

}  // namespace morvane
