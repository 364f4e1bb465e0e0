// morvane render: captured printer output through the feed loop, as if it
// were arriving now.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <memory>
#include <vector>

#include "cli/commands.h"
#include "cli/platform.h"
#include "cli/session.h"
#include "cli/window_run.h"
#include "io/channel.h"

namespace morvane::cli {

namespace {

using Clock = std::chrono::steady_clock;

// The progress line appears once a run takes a while, and only on a terminal.
class Progress {
 public:
  explicit Progress(bool enabled) : enabled_(enabled), start_(Clock::now()), last_(start_) {}

  void update(const Session& s, bool final_line) {
    if (!enabled_) return;
    const auto now = Clock::now();
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    if (!final_line && (s.pages() < kMinPages || now - last_ < std::chrono::milliseconds(250))) return;
    if (final_line && !shown_) return;
    last_ = now;
    shown_ = true;
    const double rate = elapsed > 0 ? s.pages() / elapsed : 0;
    std::fprintf(stderr, "\r%llu bytes, %d pages, %.1f pages/s%s",
                 static_cast<unsigned long long>(s.bytes_fed()), s.pages(), rate,
                 final_line ? "\n" : "");
    std::fflush(stderr);
  }

 private:
  static constexpr int kMinPages = 4;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point last_;
};

struct Input {
  std::string name;
  std::unique_ptr<FileChannel> channel;
};

// Every input is opened before anything is laid out, so a missing file stops
// the run before any output exists.
bool open_inputs(const std::vector<std::string>& names, std::vector<Input>& inputs, Reporter& r) {
  std::vector<std::string> list = names;
  if (list.empty()) list.push_back("-");
  for (const auto& name : list) {
    if (name == "-") {
      set_binary_input();
      inputs.push_back({"standard input", std::make_unique<FileChannel>(stdin, false)});
      continue;
    }
    std::FILE* f = open_input_file(name);
    if (f == nullptr) {
      r.error("cannot read " + name + ": " + std::strerror(errno));
      return false;
    }
    inputs.push_back({name, std::make_unique<FileChannel>(f, true)});
  }
  return true;
}

// A captured file is read as fast as it goes, in large blocks; the session
// feeds them in the runs the input poll would.
bool feed_input(Input& in, Session& s, Progress& progress, Reporter& r) {
  std::vector<std::uint8_t> block(64 * 1024);
  while (!in.channel->ended()) {
    const std::size_t n = in.channel->read(block.data(), block.size());
    if (n > 0) s.feed(block.data(), n);
    progress.update(s, false);
  }
  if (in.channel->failed()) {
    r.error("cannot read " + in.name + ": " + std::strerror(errno));
    return false;
  }
  return !r.failed();
}

// In the window the inputs arrive as live reception brings bytes, a poll's
// worth at every poll, so that the pages fill before the eyes; at their end the last page
// stays on the sheet until the window is closed (or a stop signal comes).
// The inputs are read whole first (render takes files; live input is
// listen's), so that the pace on screen is reception's, not the disk's.
bool feed_in_window(std::vector<Input>& inputs, Session& s, WindowRun& window, Reporter& r) {
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint8_t> block(64 * 1024);
  for (auto& in : inputs) {
    while (!in.channel->ended()) {
      const std::size_t n = in.channel->read(block.data(), block.size());
      bytes.insert(bytes.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
    }
    if (in.channel->failed()) {
      r.error("cannot read " + in.name + ": " + std::strerror(errno));
      return false;
    }
  }
  std::size_t at = 0;
  PollBeat beat(kPollMs);
  while (at < bytes.size() && !window.closed() && !stop_requested()) {
    const std::size_t n = std::min(kPollBytes, bytes.size() - at);
    s.feed(bytes.data() + at, n);
    at += n;
    pause_between_polls(&window, beat);
  }
  if (at == bytes.size()) r.note("end of input: close the window to finish");
  while (!window.closed() && !stop_requested()) pause_between_polls(&window, beat);
  return true;
}

std::string input_names(const std::vector<Input>& inputs) {
  std::string names;
  for (const auto& in : inputs) names += (names.empty() ? "" : ", ") + in.name;
  return names;
}

}  // namespace

int run_render(const RunContext& run) {
  Reporter reporter(run.options.quiet);
  guard_outputs();
  if (run.options.window && !WindowRun::possible(reporter)) return 1;
  std::vector<Input> inputs;
  if (!open_inputs(run.options.files, inputs, reporter)) return 1;
  auto session = Session::create(run.options, run.settings, reporter);
  if (!session) return 1;
  std::unique_ptr<WindowRun> window;
  if (run.options.window) {
    install_stop_handler();
    window = WindowRun::open(run, *session, input_names(inputs), reporter);
    if (!window) return 1;
  }
  session->prepare();
  Progress progress(!run.options.quiet && is_terminal(stderr) && !window);
  bool ok = true;
  if (window) {
    ok = feed_in_window(inputs, *session, *window, reporter);
  } else {
    for (auto& in : inputs) {
      ok = feed_input(in, *session, progress, reporter);
      if (!ok) break;
    }
  }
  inputs.clear();
  // What did arrive is printed even when a later input failed.
  session->end_page_now();
  session->close();
  progress.update(*session, true);
  return reporter.failed() ? 1 : 0;
}

}  // namespace morvane::cli
