// morvane listen: live reception from the serial line, a serial port or TCP,
// polled every 10 milliseconds like the desktop program, until stopped.
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "cli/commands.h"
#include "cli/platform.h"
#include "cli/session.h"
#include "cli/window_run.h"
#include "config/checked_index.h"
#include "config/paths.h"
#include "config/port_labels.h"
#include "io/block_holders.h"
#include "io/channel.h"

namespace morvane::cli {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPollMs = 10;
constexpr int kPollBytes = 256;

// A channel of the run: read like every shell reads its channels, and able
// to say something between polls.
class Channel : public InputChannel {
 public:
  // Passes on what the channel had to say since the last call; true when it
  // can deliver nothing more.
  virtual bool report(Reporter&) { return false; }
};

// Messages from the line arrive through its sink while it is read; they are
// kept until the poll loop passes them on.
class LineChannel final : public Channel {
 public:
  LineChannel() : line_([this](const std::string& text, const std::string&) { messages_.push_back(text); }) {}
  SerialLine& line() { return line_; }
  std::string name() const {
    const int number = line_.state().line_number;
    return "serial line " + std::to_string(number) + " (" + serial_line_name(number) + ")";
  }
  std::string take_messages() {
    std::string all;
    for (const std::string& m : messages_) all += (all.empty() ? "" : "; ") + m;
    messages_.clear();
    return all;
  }
  std::size_t read(std::uint8_t* buf, std::size_t capacity) override { return reader_.read(buf, capacity); }
  bool ended() const override { return line_.state().block_lost; }
  bool report(Reporter& r) override {
    const std::string text = take_messages();
    const bool lost = ended();
    if (text.empty()) return lost;
    if (lost) r.error(name() + ": " + text);
    else r.warning(name() + ": " + text);
    return lost;
  }

 private:
  std::vector<std::string> messages_;
  SerialLine line_;
  SerialLineChannel reader_{line_};
};

// The serial port of the run, owned by its channel.
class PortChannel final : public Channel {
 public:
  explicit PortChannel(std::unique_ptr<SerialPort> port) : port_(std::move(port)), reader_(*port_) {}
  std::size_t read(std::uint8_t* buf, std::size_t capacity) override { return reader_.read(buf, capacity); }

 private:
  std::unique_ptr<SerialPort> port_;
  SerialPortChannel reader_;
};

class TcpSource final : public Channel {
 public:
  explicit TcpSource(std::unique_ptr<TcpServer> server) : reader_(std::move(server)) {}
  std::size_t read(std::uint8_t* buf, std::size_t capacity) override { return reader_.read(buf, capacity); }
  std::uint16_t port() const { return reader_.port(); }

 private:
  TcpChannel reader_;
};

// The report names the line actually opened: a "lyn" of 0 keeps the line's
// own number, as in the desktop program.
std::unique_ptr<Channel> open_line(int line, Reporter& r) {
  auto channel = std::make_unique<LineChannel>();
  SerialLine& serial_line = channel->line();
  serial_line.open_serial_line(line);
  const std::string system_error = last_system_error();
  const std::string name = channel->name();
  const std::string failure = channel->take_messages();
  const int side = serial_line.state().side;
  if (side == kSideA || side == kSideB) {
    if (serial_line.state().stale_halves_freed)
      r.note(name + ": halves left marked in use by programs that have ended were freed");
    r.note("listening on " + name + ", half " + (side == kSideA ? "A" : "B (half A is taken)"));
    return channel;
  }
  if (!failure.empty()) r.error("cannot open " + name + ": " + failure);
  else if (side == kSideNone) r.error("cannot open " + name + ": " + no_free_half_text(serial_line));
  else r.error("cannot open " + name + ": the shared memory block cannot be made: " + system_error);
  return nullptr;
}

std::unique_ptr<Channel> open_port(const std::string& path, const std::string& shown,
                                   const Settings& settings, Reporter& r) {
  std::string failure;
  auto sink = [&failure](const std::string& text, const std::string&) {
    const std::string reason = last_system_error();
    failure = text + ": " + reason;
  };
  auto port = std::make_unique<SerialPort>(sink);
  port->set_port_settings(port_settings_of(settings));
  if (!port->open_serial_device(path, shown)) {
    const std::string& detail = port->failure_detail();
    const std::string text = "Can't open serial port <" + shown + ">";
    r.error(!detail.empty() ? text + ": " + detail : failure.empty() ? text : failure);
    return nullptr;
  }
  r.note("listening on serial port " + shown);
  // A program that opened the device before us, without any of the locks,
  // still takes its share of the bytes: the user should know.
  for (const std::string& other : processes_holding(path))
    r.warning("serial port " + shown + " is also open in process " + other + ": it may take some of the bytes");
  return std::make_unique<PortChannel>(std::move(port));
}

std::unique_ptr<Channel> open_tcp(const TcpEndpoint& at, Reporter& r) {
  std::string error;
  auto notice = [&r](const std::string& text) { r.note(text); };
  auto server = TcpServer::open(at, notice, error);
  if (!server) {
    r.error(error);
    return nullptr;
  }
  r.note("listening on TCP " + at.host + ":" + std::to_string(server->port()));
  return std::make_unique<TcpSource>(std::move(server));
}

// The channels the options name; without any, the settings' "com" port when
// one is set, else the settings' serial line. `names` tells them as the
// desktop program's title does ("Lyn1", "com1-9600-n-8-1"), for the window.
bool open_channels(const RunContext& run, std::vector<std::unique_ptr<Channel>>& out,
                   std::string& names, Reporter& r) {
  const CliOptions& o = run.options;
  const Settings& s = run.settings;
  const bool any = o.line || o.port || o.tcp;
  auto add = [&out, &names](std::unique_ptr<Channel> c, std::string name) {
    if (!c) return false;
    if (auto* tcp = dynamic_cast<TcpSource*>(c.get())) name += std::to_string(tcp->port());
    names += (names.empty() ? "" : ", ") + name;
    out.push_back(std::move(c));
    return true;
  };
  const std::string line_name = "Lyn" + std::to_string(s.lyn);
  if (o.port && !add(open_port(*o.port, *o.port, s, r), format_port_description(*o.port, s))) return false;
  if (o.tcp && !add(open_tcp(*o.tcp, r), "tcp " + o.tcp->host + ":")) return false;
  if (o.line && !add(open_line(s.lyn, r), line_name)) return false;
  if (any) return true;
  if (s.com >= 1 && s.com <= kMaxPortIndex)
    return add(open_port(system_device_path(s.com), serial_port_name(s.com), s, r), format_port_description(s));
  return add(open_line(s.lyn, r), line_name);
}

// Passes on what the channels had to say; true when one of them is lost.
bool channel_lost(std::vector<std::unique_ptr<Channel>>& channels, Reporter& r) {
  bool lost = false;
  for (auto& channel : channels) lost = channel->report(r) || lost;
  return lost;
}

// One poll, as every shell polls: up to 256 bytes from the first channel
// that has some. True when bytes came.
bool poll_channels(std::vector<std::unique_ptr<Channel>>& channels, Session& session) {
  std::vector<InputChannel*> order;
  for (auto& channel : channels) order.push_back(channel.get());
  std::uint8_t buf[kPollBytes];
  const std::size_t n = morvane::poll_channels(order, buf, kPollBytes);
  if (n > 0) session.feed(buf, n);
  return n > 0;
}

// At a stop, what has already arrived is still taken in, for a short while
// at most when a sender keeps going.
void drain_channels(std::vector<std::unique_ptr<Channel>>& channels, Session& session) {
  const auto deadline = Clock::now() + std::chrono::seconds(2);
  while (poll_channels(channels, session) && Clock::now() < deadline) {
  }
}

// One line for every page that ended: printed (only once it is stored for
// good), ended (nothing is printed), or not printed and why. A page that
// drew nothing is no page on paper and is not reported.
void report_page(Reporter& r, int page, const PageOutcome& outcome) {
  const std::string bytes = " (" + std::to_string(outcome.bytes) + " bytes)";
  switch (outcome.paper) {
    case PageOutcome::Paper::printed: r.note("page " + std::to_string(page) + " printed" + bytes); break;
    case PageOutcome::Paper::not_printed: r.note("page " + std::to_string(page) + " ended" + bytes); break;
    case PageOutcome::Paper::failed: r.note("page not printed" + bytes + ": " + outcome.failure); break;
    case PageOutcome::Paper::blank: break;
  }
}

}  // namespace

int run_listen(const RunContext& run) {
  Reporter reporter(run.options.quiet);
  install_stop_handler();
  guard_outputs();
  if (run.options.window && !WindowRun::possible(reporter)) return 1;
  std::vector<std::unique_ptr<Channel>> channels;
  std::string names;
  if (!open_channels(run, channels, names, reporter)) return 1;
  auto session = Session::create(run.options, run.settings, reporter);
  if (!session) return 1;
  std::unique_ptr<WindowRun> window;
  if (run.options.window && !(window = WindowRun::open(run, *session, names, reporter))) return 1;

  session->on_page([&reporter](int page, const PageOutcome& outcome) { report_page(reporter, page, outcome); });
  session->prepare();

  const auto idle_limit = std::chrono::duration<double>(run.options.idle_eject_seconds);
  auto last_input = Clock::now();
  PollBeat beat(kPollMs);
  // Closing the window stops the run as a stop signal does.
  while (!stop_requested() && !(window && window->closed())) {
    if (poll_channels(channels, *session)) last_input = Clock::now();
    if (channel_lost(channels, reporter)) break;
    if (run.options.idle_eject_seconds > 0 && session->page_dirty() &&
        Clock::now() - last_input >= idle_limit) {
      char text[64];
      std::snprintf(text, sizeof text, "no input for %g s: ending the page", run.options.idle_eject_seconds);
      reporter.note(text);
      session->end_page_now();
    }
    pause_between_polls(window.get(), beat);
  }
  drain_channels(channels, *session);

  if (session->page_dirty()) {
    if (run.options.discard_partial) reporter.warning("stopped: the page in progress is discarded");
    else session->end_page_now();
  }
  session->close();
  reporter.note("stopped after " + std::to_string(session->pages()) + " pages, " +
                std::to_string(session->bytes_fed()) + " bytes");
  return reporter.failed() ? 1 : 0;
}

}  // namespace morvane::cli
