// morvane info: the page geometry the options give, as "Page setup" shows it.
#include <cstdio>
#include <string>

#include "cli/backend.h"
#include "cli/commands.h"
#include "cli/page_info.h"
#include "cli/session.h"

namespace morvane::cli {

int run_info(const RunContext& run) {
  Reporter reporter(run.options.quiet);
  // Only the geometry is wanted: nothing is printed or saved.
  CliOptions options = run.options;
  options.pdf_path.reset();
  options.png_dir.reset();
  options.print = false;
  auto session = Session::create(options, run.settings, reporter);
  if (!session) return 1;
  session->prepare();
  std::string info = format_page_info(session->engine(), face_used(session->engine().page_font).family);
  info += "Settings file: " + (run.settings_file.empty() ? std::string("none (built-in values)") : run.settings_file);
  info += '\n';
  std::fputs(info.c_str(), stdout);
  session->close();
  return reporter.failed() ? 1 : 0;
}

}  // namespace morvane::cli
