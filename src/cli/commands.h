// The three commands of the program. Each returns the exit status.
#pragma once

#include <string>

#include "cli/options.h"
#include "config/settings.h"

namespace morvane::cli {

// What every command starts from: the options, the settings with the options
// laid over them and where they were read, and the directory the run works in.
struct RunContext {
  CliOptions options;
  Settings settings;
  std::string settings_file;  // the settings file read; empty: built-in values
  std::string cwd;
};

int run_render(const RunContext& run);
int run_listen(const RunContext& run);
int run_info(const RunContext& run);

}  // namespace morvane::cli
