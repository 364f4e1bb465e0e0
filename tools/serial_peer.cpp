// serial-peer: the other end of a shared-memory serial line. It attaches to
// the line as any program on it does, claims a free half, and writes bytes
// from a file or standard input into the other half's ring, the one the
// receiving program reads. Nothing is dropped: when the ring is full it waits
// for the receiver to make room.
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

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <signal.h>
#endif

#include "io/serial_line.h"
#include "io/serial_line_ring.h"
#include "morvane_version.h"

namespace {

using Clock = std::chrono::steady_clock;
using morvane::ring_waiting;
using morvane::ring_write;

constexpr int kExitUsage = 1;
constexpr int kExitNoSide = 2;
constexpr int kExitTimeout = 3;
constexpr int kExitInput = 4;
constexpr int kExitStopped = 5;

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
    "3 timed out, 4 the input could not be read, 5 interrupted.\n";

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
  Sender(std::uint8_t* ring_half, const Options& options)
      : half_(ring_half), options_(options), waiter_(options.timeout), start_(Clock::now()) {}

  // Writes all of data; returns 0 or the exit status.
  int send(const std::uint8_t* data, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
      if (g_stop) return kExitStopped;
      pace();
      const int chunk = options_.rate > 0 ? 1 : static_cast<int>(std::min<std::size_t>(count - done, 4096));
      const int stored = ring_write(half_, data + done, chunk);
      if (stored > 0) {
        done += static_cast<std::size_t>(stored);
        sent_ += static_cast<std::uint64_t>(stored);
        waiter_.progressed();
      } else if (!waiter_.wait()) {
        return kExitTimeout;
      }
    }
    return 0;
  }

  int drain() {
    while (ring_waiting(half_) > 0) {
      if (g_stop) return kExitStopped;
      if (!waiter_.wait()) return kExitTimeout;
    }
    return 0;
  }

 private:
  // Byte n is due n / rate seconds after the start.
  void pace() {
    if (options_.rate <= 0) return;
    const auto due = start_ + std::chrono::microseconds(static_cast<std::int64_t>(sent_ * 1000000 /
                                                                                    static_cast<std::uint64_t>(options_.rate)));
    std::this_thread::sleep_until(due);
  }

  std::uint8_t* half_;
  const Options& options_;
  Waiter waiter_;
  Clock::time_point start_;
  std::uint64_t sent_ = 0;
};

int send_input(std::FILE* input, Sender& sender) {
  std::vector<std::uint8_t> buffer(65536);
  for (;;) {
    if (g_stop) return kExitStopped;
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), input);
    if (got > 0) {
      const int status = sender.send(buffer.data(), got);
      if (status != 0) return status;
    }
    if (g_stop) return kExitStopped;
    if (got < buffer.size()) return std::ferror(input) ? kExitInput : 0;
  }
}

std::FILE* open_input(const std::string& name) {
  if (name != "-") return std::fopen(name.c_str(), "rb");
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  return stdin;
}

int run(const Options& options) {
  std::FILE* input = open_input(options.input);
  if (input == nullptr) {
    std::fprintf(stderr, "serial-peer: cannot open '%s'\n", options.input.c_str());
    return kExitInput;
  }
  morvane::SerialLine line([](const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "serial-peer: %s: %s\n", caption.c_str(), text.c_str());
  });
  line.open_serial_line(options.line);
  const int side = line.state().side;
  int status = 0;
  if (side != morvane::kSideA && side != morvane::kSideB) {
    std::fprintf(stderr, "serial-peer: no free half on %s\n", morvane::serial_line_name(options.line).c_str());
    status = kExitNoSide;
  } else {
    Sender sender(line.state().peer_half, options);
    status = send_input(input, sender);
    if (status == 0 && options.drain) status = sender.drain();
  }
  if (input != stdin) std::fclose(input);
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
