// serial-peer: the other end of a shared-memory serial line. It attaches to
// the line as any program on it does, claims a free half, and writes bytes
// from a file or standard input into the other half's ring, the one the
// receiving program reads. Nothing is dropped: when the ring is full it waits
// for the receiver to make room. Input is passed on as it arrives, so a pipe
// fed live reaches the receiver at once.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

#include <cerrno>

#include "io/serial_line.h"
#include "morvane_version.h"

namespace {

using Clock = std::chrono::steady_clock;
using morvane::SerialLine;

constexpr int kExitUsage = 1;
constexpr int kExitNoSide = 2;
constexpr int kExitTimeout = 3;
constexpr int kExitInput = 4;
constexpr int kExitStopped = 5;
constexpr int kExitLineLost = 6;

const char kUsage[] =
    "Usage: serial-peer [--line N] [--rate BYTES_PER_SECOND] [--drain] [--timeout SECONDS] [FILE]\n"
    "\n"
    "Attaches to shared-memory serial line N (the block NH_SCOMnn), claims a free\n"
    "half of it and writes the bytes of FILE, or of standard input when FILE is\n"
    "missing or \"-\", into the other half's ring, where the receiver reads them.\n"
    "When the ring is full it waits for the receiver, so no byte is lost.\n"
    "\n"
    "  --line N      line number (default 1)\n"
    "  --rate R      send at most R bytes per second (default: as fast as the\n"
    "                receiver takes them)\n"
    "  --drain       before exiting, wait until the receiver has read every byte\n"
    "  --timeout S   give up when the receiver takes no byte for S seconds\n"
    "                (default: wait for ever)\n"
    "  --help        show this text\n"
    "  --version     show the version\n"
    "\n"
    "Exit status: 0 done, 1 bad usage, 2 no free half on the line (or no line),\n"
    "3 timed out, 4 the input could not be read, 5 interrupted, 6 another program\n"
    "shrank the line's block.\n";

struct Options {
  int line = 1;
  long rate = 0;  // 0: as fast as possible
  bool drain = false;
  double timeout = 0;  // 0: none
  std::string input = "-";
};

volatile std::sig_atomic_t g_stop = 0;

void on_signal(int) { g_stop = 1; }

void catch_stop_signals() {
#ifdef _WIN32
  std::signal(SIGINT, on_signal);
  std::signal(SIGTERM, on_signal);
#else
  // Without SA_RESTART a read from idle input returns at the signal, so the
  // peer gives its half back instead of waiting on for input that may never
  // come; killed instead, it would leave its half claimed.
  struct sigaction action {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
#endif
}

bool parse_number(const char* text, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 10);
  return end != text && *end == '\0';
}

// Returns -1 to go on, else the exit status.
int parse_options(int argc, char** argv, Options& options) {
  bool have_file = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    long number = 0;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("serial-peer %s\n", morvane::kVersionText);
      return 0;
    } else if (arg == "--drain") {
      options.drain = true;
    } else if (arg == "--line" && has_value && parse_number(argv[++i], number) && number != 0) {
      options.line = static_cast<int>(number);
    } else if (arg == "--rate" && has_value && parse_number(argv[++i], number) && number > 0) {
      options.rate = number;
    } else if (arg == "--timeout" && has_value && parse_number(argv[++i], number) && number > 0) {
      options.timeout = static_cast<double>(number);
    } else if ((arg == "-" || arg.rfind("--", 0) != 0) && !have_file) {
      options.input = arg;
      have_file = true;
    } else {
      std::fprintf(stderr, "serial-peer: bad argument '%s' (see --help)\n", arg.c_str());
      return kExitUsage;
    }
  }
  return -1;
}

// Waits for the receiver without burning a core for long: a short spell of
// yielding keeps a busy line fast, sleeping takes over when it is idle.
class Waiter {
 public:
  explicit Waiter(double timeout) : timeout_(timeout), last_progress_(Clock::now()) {}

  void progressed() {
    idle_ = 0;
    last_progress_ = Clock::now();
  }

  // False once the timeout has passed without progress.
  bool wait() {
    if (++idle_ < 2000) {
      std::this_thread::yield();
    } else {
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    if (timeout_ <= 0) return true;
    return std::chrono::duration<double>(Clock::now() - last_progress_).count() < timeout_;
  }

 private:
  double timeout_;
  int idle_ = 0;
  Clock::time_point last_progress_;
};

class Sender {
 public:
  Sender(SerialLine& line, const Options& options)
      : line_(line), options_(options), waiter_(options.timeout), start_(Clock::now()) {}

  // Writes all of data; returns 0 or the exit status.
  int send(const std::uint8_t* data, std::size_t count) {
    taken_ += count;
    std::size_t done = 0;
    while (done < count) {
      if (g_stop) return kExitStopped;
      pace();
      const int chunk = options_.rate > 0 ? 1 : static_cast<int>(std::min<std::size_t>(count - done, 4096));
      const int stored = line_.send_serial_line(data + done, chunk);
      if (stored < 0) return kExitLineLost;
      if (stored > 0) {
        done += static_cast<std::size_t>(stored);
        sent_ += static_cast<std::uint64_t>(stored);
        waiter_.progressed();
      } else if (!waiter_.wait()) {
        std::fprintf(stderr,
                     "serial-peer: timed out: no receiver took a byte from %s for %g s; %llu of %llu bytes read so "
                     "far were stored, %llu were not sent\n",
                     line_name().c_str(), options_.timeout, as_count(sent_), as_count(taken_),
                     as_count(taken_ - sent_));
        return kExitTimeout;
      }
    }
    return 0;
  }

  int drain() {
    for (;;) {
      const int waiting = line_.unread_by_peer();
      if (waiting < 0) return kExitLineLost;
      if (waiting == 0) return 0;
      if (g_stop) return kExitStopped;
      if (!waiter_.wait()) {
        std::fprintf(stderr,
                     "serial-peer: timed out: the last %d bytes sent on %s were not read within %g s; they stay in "
                     "the ring for the receiver\n",
                     waiting, line_name().c_str(), options_.timeout);
        return kExitTimeout;
      }
    }
  }

 private:
  // Byte n is due n / rate seconds after the start.
  void pace() {
    if (options_.rate <= 0) return;
    const auto due = start_ + std::chrono::microseconds(static_cast<std::int64_t>(sent_ * 1000000 /
                                                                                    static_cast<std::uint64_t>(options_.rate)));
    std::this_thread::sleep_until(due);
  }

  static unsigned long long as_count(std::uint64_t n) { return static_cast<unsigned long long>(n); }
  std::string line_name() const { return morvane::serial_line_name(line_.state().line_number); }

  SerialLine& line_;
  const Options& options_;
  Waiter waiter_;
  Clock::time_point start_;
  std::uint64_t taken_ = 0;  // read from the input
  std::uint64_t sent_ = 0;   // stored into the ring
};

#ifdef _WIN32
int read_some(int fd, std::uint8_t* buf, std::size_t size) {
  return _read(fd, buf, static_cast<unsigned>(size));
}
#else
ssize_t read_some(int fd, std::uint8_t* buf, std::size_t size) { return read(fd, buf, size); }
#endif

// Whatever the input has ready is sent at once: a read returns what is there
// (up to the buffer) instead of waiting for the buffer to fill.
int send_input(int input, Sender& sender) {
  std::vector<std::uint8_t> buffer(65536);
  for (;;) {
    if (g_stop) return kExitStopped;
    const auto got = read_some(input, buffer.data(), buffer.size());
    if (got == 0) return 0;
    if (got < 0) {
      if (errno == EINTR) continue;  // a stop signal: checked at the top
      return kExitInput;
    }
    const int status = sender.send(buffer.data(), static_cast<std::size_t>(got));
    if (status != 0) return status;
  }
}

int open_input(const std::string& name) {
#ifdef _WIN32
  if (name == "-") {
    _setmode(0, _O_BINARY);
    return 0;
  }
  return _open(name.c_str(), _O_RDONLY | _O_BINARY);
#else
  if (name == "-") return 0;
  return open(name.c_str(), O_RDONLY | O_CLOEXEC);
#endif
}

void close_input(int input) {
  if (input == 0) return;
#ifdef _WIN32
  _close(input);
#else
  close(input);
#endif
}

int run(const Options& options) {
  const int input = open_input(options.input);
  if (input < 0) {
    std::fprintf(stderr, "serial-peer: cannot open '%s': %s\n", options.input.c_str(), std::strerror(errno));
    return kExitInput;
  }
  SerialLine line([](const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "serial-peer: %s: %s\n", caption.c_str(), text.c_str());
  });
  // What a sender that left stored before us is followed by what we send.
  line.choose_free_half(morvane::FreeHalfChoice::for_sending);
  line.open_serial_line(options.line);
  const int open_error = errno;
  const int side = line.state().side;
  const std::string name = morvane::serial_line_name(line.state().line_number);
  int status = 0;
  if (side == morvane::kSideNone && !line.state().block_lost) {
    std::fprintf(stderr, "serial-peer: %s: %s\n", name.c_str(), morvane::no_free_half_text(line).c_str());
    status = kExitNoSide;
  } else if (side != morvane::kSideA && side != morvane::kSideB) {
    // A block refused for what stands at its name was reported by the line.
    if (side == morvane::kSideClosed && !line.state().open_refused)
      std::fprintf(stderr, "serial-peer: cannot make or open the block %s: %s\n", name.c_str(),
                   std::strerror(open_error));
    status = kExitNoSide;
  } else {
    if (line.state().stale_halves_freed)
      std::fprintf(stderr, "serial-peer: %s: halves left marked in use by programs that have ended were freed\n",
                   name.c_str());
    Sender sender(line, options);
    status = send_input(input, sender);
    if (status == 0 && options.drain) status = sender.drain();
  }
  close_input(input);
  line.close_serial_line();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const int parsed = parse_options(argc, argv, options);
  if (parsed >= 0) return parsed;
  catch_stop_signals();
  return run(options);
}
