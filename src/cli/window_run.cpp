#include "cli/window_run.h"

#include <algorithm>

#include "cli/platform.h"

namespace morvane::cli {

bool WindowRun::possible(Reporter& reporter) {
  std::string error;
  if (live::LiveWindow::possible(error)) return true;
  reporter.error(error);
  return false;
}

std::unique_ptr<WindowRun> WindowRun::open(const RunContext& run, Session& session,
                                           const std::string& sources, Reporter& reporter) {
  live::LiveSetup setup;
  setup.title = live::window_title(sources, session.printing_enabled());
  setup.view_mode = view_mode_of_setting(run.settings.printerview);
  // The desktop program's window size from the settings, within reason.
  setup.width = std::clamp(run.settings.width, 200, 4096);
  setup.height = std::clamp(run.settings.height, 150, 4096);
  std::string error;
  auto window = live::LiveWindow::open(setup, session.engine(), error);
  if (!window) {
    reporter.error(error);
    return nullptr;
  }
  session.show_in(window.get());
  return std::unique_ptr<WindowRun>(new WindowRun(session, reporter, std::move(window)));
}

WindowRun::~WindowRun() { session_.show_in(nullptr); }

void WindowRun::pause(int ms) {
  window_->set_status(live::status_text(session_.pages(), session_.bytes_fed(),
                                        session_.printing_enabled(), reporter_.last()));
  window_->run_for(ms);
}

int PollBeat::pause_ms() {
  using namespace std::chrono;
  const auto now = steady_clock::now();
  // Far behind (or at the first pause): the beat starts again from now.
  next_ = next_ + period_ < now ? now + period_ : next_ + period_;
  const auto left = duration_cast<milliseconds>(next_ - now).count();
  return static_cast<int>(left > 0 ? left : 0);
}

void pause_between_polls(WindowRun* window, PollBeat& beat) {
  const int ms = beat.pause_ms();
  if (window != nullptr) window->pause(ms);
  else sleep_ms(ms);
}

}  // namespace morvane::cli
