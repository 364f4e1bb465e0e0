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
#include "io/channel.h"

namespace morvane::cli {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPollMs = 10;
constexpr int kPollBytes = 256;

using Channel = InputChannel;

// The serial line and the serial port of the run, owned by their channel.
class LineChannel final : public Channel {
 public:
  explicit LineChannel(std::unique_ptr<SerialLine> line) : line_(std::move(line)), reader_(*line_) {}
  std::size_t read(std::uint8_t* buf, std::size_t capacity) override { return reader_.read(buf, capacity); }

 private:
  std::unique_ptr<SerialLine> line_;
  SerialLineChannel reader_;
};

class PortChannel final : public Channel {
 public:
  explicit PortChannel(std::unique_ptr<SerialPort> port) : port_(std::move(port)), reader_(*port_) {}
  std::size_t read(std::uint8_t* buf, std::size_t capacity) override { return reader_.read(buf, capacity); }

 private:
  std::unique_ptr<SerialPort> port_;
  SerialPortChannel reader_;
};

std::unique_ptr<Channel> open_line(int line, Reporter& r) {
  std::string failure;
  auto sink = [&failure](const std::string& text, const std::string& caption) {
    failure = text + " (" + caption + ")";
  };
  auto serial_line = std::make_unique<SerialLine>(sink);
  serial_line->open_serial_line(line);
  const std::string name = "serial line " + std::to_string(line) + " (" + serial_line_name(line) + ")";
  const int side = serial_line->state().side;
  if (side == kSideA || side == kSideB) {
    r.note("listening on " + name + ", half " + (side == kSideA ? "A" : "B"));
    return std::make_unique<LineChannel>(std::move(serial_line));
  }
  if (!failure.empty()) r.error("cannot open " + name + ": " + failure);
  else if (side == kSideNone) r.error("cannot open " + name + ": no free half (two programs use it already)");
  else r.error("cannot open " + name + ": the shared memory block cannot be made");
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
    r.error(failure.empty() ? "Can't open serial port <" + shown + ">" : failure);
    return nullptr;
  }
  r.note("listening on serial port " + shown);
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
  return std::make_unique<TcpChannel>(std::move(server));
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
    if (auto* tcp = dynamic_cast<TcpChannel*>(c.get())) name += std::to_string(tcp->port());
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

}  // namespace

int run_listen(const RunContext& run) {
  Reporter reporter(run.options.quiet);
  install_stop_handler();
  if (run.options.window && !WindowRun::possible(reporter)) return 1;
  std::vector<std::unique_ptr<Channel>> channels;
  std::string names;
  if (!open_channels(run, channels, names, reporter)) return 1;
  auto session = Session::create(run.options, run.settings, spool_path_from_cwd(run.cwd), reporter);
  if (!session) return 1;
  std::unique_ptr<WindowRun> window;
  if (run.options.window && !(window = WindowRun::open(run, *session, names, reporter))) return 1;

  const bool printing = session->printing_enabled();
  session->on_page([&reporter, printing](int page, long bytes) {
    reporter.note("page " + std::to_string(page) + (printing ? " printed" : " ended") +
                  (bytes >= 0 ? " (" + std::to_string(bytes) + " bytes)" : ""));
  });
  session->prepare();

  const auto idle_limit = std::chrono::duration<double>(run.options.idle_eject_seconds);
  auto last_input = Clock::now();
  PollBeat beat(kPollMs);
  // Closing the window stops the run as a stop signal does.
  while (!stop_requested() && !(window && window->closed())) {
    if (poll_channels(channels, *session)) last_input = Clock::now();
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
