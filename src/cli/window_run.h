// A run shown in the live window (--window): the window is opened over the
// session's engine, shows the sheet from the first byte, keeps a status line
// of pages and bytes, and runs in the pauses between two polls.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/session.h"
#include "live/live_window.h"

namespace morvane::cli {

class WindowRun {
 public:
  // False, reported, when no window can be opened: checked before the run
  // opens its inputs or writes anything.
  static bool possible(Reporter& reporter);
  // Before the session's prepare(). Null when no window can be opened (the
  // reason is reported). `sources` names what the bytes come from.
  static std::unique_ptr<WindowRun> open(const RunContext& run, Session& session,
                                         const std::string& sources, Reporter& reporter);
  ~WindowRun();
  WindowRun(const WindowRun&) = delete;
  WindowRun& operator=(const WindowRun&) = delete;

  bool closed() const { return window_->closed(); }
  // A pause between two polls, `ms` long unless the window is closed; the
  // window runs meanwhile, with the status line brought up to date.
  void pause(int ms);

 private:
  WindowRun(Session& session, Reporter& reporter, std::unique_ptr<live::LiveWindow> window)
      : session_(session), reporter_(reporter), window_(std::move(window)) {}

  Session& session_;
  Reporter& reporter_;
  std::unique_ptr<live::LiveWindow> window_;
};

// The beat of the input poll: a poll every `period` ms, however long the
// work after a poll (feeding, the window) took, as a timer would give it.
class PollBeat {
 public:
  explicit PollBeat(int period_ms) : period_(period_ms) {}
  // How long to pause until the next poll is due.
  int pause_ms();

 private:
  std::chrono::milliseconds period_;
  std::chrono::steady_clock::time_point next_{};
};

// The pause until the next poll: in the window when there is one.
void pause_between_polls(WindowRun* window, PollBeat& beat);

}  // namespace morvane::cli
