// morvane: the printer emulator's command-line program.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/backend.h"
#include "cli/commands.h"
#include "cli/run_config.h"
#include "config/paths.h"

using namespace morvane::cli;

namespace {

constexpr int kExitUsage = 2;

int usage_error(const std::string& text) {
  std::fprintf(stderr, "morvane: %s\nTry '%s --help' for more information.\n", text.c_str(),
               program_name());
  return kExitUsage;
}

std::string current_directory() {
  std::error_code ec;
  const auto cwd = std::filesystem::current_path(ec);
  return ec ? std::string() : cwd.string();
}

// Without --paper the system's paper size is used; one morvane does not have
// is replaced by the nearest of its series, which the user is told.
morvane::Paper system_paper() {
  const std::string name = system_paper_name();
  if (name.empty()) return morvane::Paper::letter;
  const PaperChoice choice = paper_by_name(name);
  if (!choice.exact)
    std::fprintf(stderr, "morvane: the system's paper size \"%s\" is not one of letter and a4: using %s\n",
                 name.c_str(), choice.paper == morvane::Paper::a4 ? "a4" : "letter");
  return choice.paper;
}

// Which settings file the run reads is never a surprise: a render or listen
// says it unless quiet (info lists it), and a settings file in the working
// folder that is not read is pointed out.
void tell_settings_source(const RunContext& run) {
  if (!run.settings_file.empty() && run.options.command != Command::info && !run.options.quiet)
    std::printf("settings read from %s\n", run.settings_file.c_str());
  const std::string unread = unread_folder_settings(run.cwd, run.settings_file);
  if (!unread.empty()) {
    const std::string user = morvane::user_settings_path();
    std::fprintf(stderr, "morvane: %s is not read (settings come from --settings FILE%s%s); add --settings %s to use it\n",
                 unread.c_str(), user.empty() ? "" : " or ", user.c_str(), morvane::kSettingsFileName);
  }
  std::fflush(stdout);
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ParseResult parsed = parse_command_line(args);
  if (!parsed.error.empty()) return usage_error(parsed.error);

  RunContext run;
  run.options = parsed.options;
  if (run.options.command == Command::help) {
    std::fputs(usage_text().c_str(), stdout);
    return 0;
  }
  if (run.options.command == Command::version) {
    std::fputs(version_text().c_str(), stdout);
    return 0;
  }
  if (!run.options.paper_given) run.options.paper = system_paper();
  morvane::DeviceCaps caps;
  if (!paper_caps(run.options.paper, run.options.dpi, run.options.offset, caps))
    return usage_error("--offset " + std::to_string(run.options.offset) +
                       " leaves no printable area on that paper");

  run.cwd = current_directory();
  std::string error;
  if (!load_run_settings(run.options, morvane::user_settings_path(), run.settings, run.settings_file, error)) {
    std::fprintf(stderr, "morvane: %s\n", error.c_str());
    return 1;
  }
  apply_options(run.options, run.settings);
  tell_settings_source(run);

  switch (run.options.command) {
    case Command::render: return run_render(run);
    case Command::listen: return run_listen(run);
    case Command::info: return run_info(run);
    default: return usage_error("no command given");
  }
}
