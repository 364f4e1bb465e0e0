// What a run works with: the settings file's values with the command line's
// options laid over them.
#pragma once

#include <string>

#include "cli/options.h"
#include "config/settings.h"
#include "gfx/surface.h"

namespace morvane::cli {

// Reads the settings: the file named by --settings (which must be readable),
// else "Morvane.ini" in cwd when it exists, else the built-in values. The file
// is never written. False, with a message naming the file, when an explicit
// file cannot be read.
bool load_run_settings(const CliOptions& options, const std::string& cwd, Settings& settings,
                       std::string& error);

// The options override the settings they correspond to.
void apply_options(const CliOptions& options, Settings& settings);

}  // namespace morvane::cli
