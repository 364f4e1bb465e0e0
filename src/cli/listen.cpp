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
// What a channel read at full speed takes at once.
constexpr std::size_t kFastBytes = 64 * 1024;
// How often (in polls) a port's lock file is looked at: about once a second.
constexpr unsigned kLockCheckPolls = 100;

// A channel of the run: the channel its bytes are read from, as every shell
// reads its channels, and what the run says of it between polls.
class Channel {
 public:
  virtual ~Channel() = default;
  virtual InputChannel& input() = 0;
  // Passes on what the channel had to say since the last call; true when it
  // can deliver nothing more.
  virtual bool report(Reporter&) { return false; }
  // What messages call it.
  virtual std::string name() const = 0;
  // Null: read at the pace of the serial line's poll (kPollBytes every kPollMs),
  // as the desktop program reads the line and the port. Otherwise read as
  // fast as the bytes come, between the polls, while no window is shown.
  virtual TcpChannel* unpaced() { return nullptr; }
  // Tells of bytes still waiting when the run ends.
  virtual void report_unread(Reporter& r, std::size_t count) {
    r.warning(std::to_string(count) + " bytes received from " + name() + " were not read: they kept arriving after the stop");
  }
};

// Messages from the line arrive through its sink while it is read; they are
// kept until the poll loop passes them on.
class LineChannel final : public Channel {
 public:
  LineChannel() : line_([this](const std::string& text, const std::string&) { messages_.push_back(text); }) {
    // Bytes a departed sender stored for the next reader are read.
    line_.choose_free_half(FreeHalfChoice::for_reading);
  }
  SerialLine& line() { return line_; }
  InputChannel& input() override { return reader_; }
  std::string name() const override {
    const int number = line_.state().line_number;
    return "serial line " + std::to_string(number) + " (" + serial_line_name(number) + ")";
  }
  std::string take_messages() {
    std::string all;
    for (const std::string& m : messages_) all += (all.empty() ? "" : "; ") + m;
    messages_.clear();
    return all;
  }
  bool report(Reporter& r) override {
    const std::string text = take_messages();
    const bool lost = line_.state().block_lost;
    if (text.empty()) return lost;
    if (lost) r.error(name() + ": " + text);
    else r.warning(name() + ": " + text);
    return lost;
  }
  // Nothing is lost: they stay in the ring for the next program on the line.
  void report_unread(Reporter& r, std::size_t count) override {
    r.note(std::to_string(count) + " bytes stay waiting on " + name() + " for the next program that listens");
  }

 private:
  std::vector<std::string> messages_;
  SerialLine line_;
  SerialLineChannel reader_{line_};
};

// The serial port of the run, owned by its channel.
class PortChannel final : public Channel {
 public:
  PortChannel(std::unique_ptr<SerialPort> port, std::string shown)
      : port_(std::move(port)), reader_(*port_), shown_(std::move(shown)) {}
  InputChannel& input() override { return reader_; }
  std::string name() const override { return "serial port " + shown_; }
  // A device that goes away ends the run; a lock file taken from us is worth
  // a warning, once.
  bool report(Reporter& r) override {
    if (!lock_reported_ && ++polls_ % kLockCheckPolls == 0 && !port_->lock_intact()) {
      lock_reported_ = true;
      r.warning(name() + ": another program removed or replaced its lock file; programs that honour it may "
                         "open the port now");
    }
    if (!port_->port_lost()) return false;
    r.error(name() + ": the device is gone (unplugged, or its other end closed); nothing more is read from it");
    return true;
  }

 private:
  std::unique_ptr<SerialPort> port_;
  SerialPortChannel reader_;
  std::string shown_;
  unsigned polls_ = 0;
  bool lock_reported_ = false;
};

class TcpSource final : public Channel {
 public:
  TcpSource(std::unique_ptr<TcpServer> server, std::string host)
      : reader_(std::move(server)), host_(std::move(host)) {}
  InputChannel& input() override { return reader_; }
  std::string name() const override { return "TCP " + address(); }
  std::string address() const { return tcp_address_text(host_, reader_.port()); }
  TcpChannel* unpaced() override { return &reader_; }

 private:
  TcpChannel reader_;
  std::string host_;
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
  return std::make_unique<PortChannel>(std::move(port), shown);
}

std::unique_ptr<TcpSource> open_tcp(const TcpEndpoint& at, Reporter& r) {
  std::string error;
  auto notice = [&r](const std::string& text) { r.note(text); };
  auto server = TcpServer::open(at, notice, error);
  if (!server) {
    r.error(error);
    return nullptr;
  }
  auto source = std::make_unique<TcpSource>(std::move(server), at.host);
  r.note("listening on " + source->name());
  return source;
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
    names += (names.empty() ? "" : ", ") + name;
    out.push_back(std::move(c));
    return true;
  };
  const std::string line_name = "Lyn" + std::to_string(s.lyn);
  if (o.port && !add(open_port(*o.port, *o.port, s, r), format_port_description(*o.port, s))) return false;
  if (o.tcp) {
    auto tcp = open_tcp(*o.tcp, r);
    const std::string shown = tcp ? "tcp " + tcp->address() : "";
    if (!add(std::move(tcp), shown)) return false;
  }
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

// What the polls read, in the order of the channels.
std::vector<InputChannel*> inputs_of(std::vector<std::unique_ptr<Channel>>& channels) {
  std::vector<InputChannel*> inputs;
  for (auto& channel : channels) inputs.push_back(&channel->input());
  return inputs;
}

// Without a window, the time until the next poll goes to the channels that
// are not paced (TCP): read as fast as the bytes come. With none of those
// the time is slept. True when bytes came.
bool read_until_next_poll(std::vector<std::unique_ptr<Channel>>& channels, Session& session, PollBeat& beat,
                          std::vector<std::uint8_t>& buffer) {
  const auto due = Clock::now() + std::chrono::milliseconds(beat.pause_ms());
  std::vector<TcpChannel*> fast;
  for (auto& channel : channels) {
    if (TcpChannel* tcp = channel->unpaced()) fast.push_back(tcp);
  }
  bool came = false;
  for (auto now = Clock::now(); now < due; now = Clock::now()) {
    const int left = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(due - now).count());
    if (fast.empty()) {
      sleep_ms(left);
      break;
    }
    std::size_t n = 0;
    for (TcpChannel* channel : fast) {
      if ((n = channel->read(buffer.data(), buffer.size())) > 0) break;
    }
    if (n > 0) session.feed(buffer.data(), n);
    else fast.front()->wait(left);  // a run has one TCP channel at most
    came = came || n > 0;
  }
  return came;
}

// At a stop, what has already arrived is still taken in, for a short while
// at most when a sender keeps going; what is left then is counted, never
// dropped unsaid.
void drain_channels(std::vector<std::unique_ptr<Channel>>& channels, Session& session, Reporter& r) {
  std::vector<std::uint8_t> buffer(kFastBytes);
  const auto take = [&session](const std::uint8_t* bytes, std::size_t n) { session.feed(bytes, n); };
  const std::vector<std::size_t> left =
      morvane::drain_channels(inputs_of(channels), buffer, take, std::chrono::seconds(2));
  for (std::size_t i = 0; i < channels.size(); ++i) {
    if (left[i] > 0) channels[i]->report_unread(r, left[i]);
  }
}

// With --idle-eject, a page in progress that got no input for that long is
// ended.
void eject_when_idle(double seconds, Clock::time_point last_input, Session& session, Reporter& r) {
  if (seconds <= 0 || !session.page_dirty() || Clock::now() - last_input < std::chrono::duration<double>(seconds))
    return;
  char text[64];
  std::snprintf(text, sizeof text, "no input for %g s: ending the page", seconds);
  r.note(text);
  session.end_page_now();
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

  auto last_input = Clock::now();
  PollBeat beat(kPollMs);
  const std::vector<InputChannel*> inputs = inputs_of(channels);
  std::uint8_t poll_buffer[kPollBytes];
  std::vector<std::uint8_t> fast_buffer(kFastBytes);
  // Closing the window stops the run as a stop signal does.
  while (!stop_requested() && !(window && window->closed())) {
    // One poll, as every shell polls: up to 256 bytes from the first channel that has some.
    if (const std::size_t n = poll_channels(inputs, poll_buffer, kPollBytes); n > 0) {
      session->feed(poll_buffer, n);
      last_input = Clock::now();
    }
    if (channel_lost(channels, reporter)) break;
    eject_when_idle(run.options.idle_eject_seconds, last_input, *session, reporter);
    if (window) pause_between_polls(window.get(), beat);
    else if (read_until_next_poll(channels, *session, beat, fast_buffer)) last_input = Clock::now();
  }
  drain_channels(channels, *session, reporter);

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
