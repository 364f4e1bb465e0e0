// What a run works with: the settings file's values with the command line's
// options laid over them.
#pragma once

#include <string>

#include "cli/options.h"
#include "config/settings.h"
#include "gfx/surface.h"

namespace morvane::cli {

// Reads the settings: the file named by --settings (which must be readable),
// else the user's own settings file `user_path` (config/paths.h) when it
// exists, else the built-in values. A settings file in the working folder is
// read only when --settings names it. The file is never written. `read_from`
// is the file read, empty for the built-in values. False, with a message
// naming the file, when a named file cannot be read.
bool load_run_settings(const CliOptions& options, const std::string& user_path, Settings& settings,
                       std::string& read_from, std::string& error);

// The "Morvane.ini" of the working folder when one is there and the run does
// not read it (the desktop program leaves one in its folder): worth a word
// to the user. Empty otherwise.
std::string unread_folder_settings(const std::string& cwd, const std::string& read_from);

// The options override the settings they correspond to, whatever the file
// says: what is printed follows the output options alone ("printerenable" is
// 1 exactly when --pdf or --print is given).
void apply_options(const CliOptions& options, Settings& settings);

}  // namespace morvane::cli
