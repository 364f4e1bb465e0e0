#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "cli/platform.h"

namespace morvane::cli {

namespace {

volatile sig_atomic_t g_stop = 0;

extern "C" void on_stop_signal(int) { g_stop = 1; }

}  // namespace

void install_stop_handler() {
  struct sigaction sa {};
  sa.sa_handler = on_stop_signal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  // A client that goes away must not kill the program.
  signal(SIGPIPE, SIG_IGN);
}

bool stop_requested() { return g_stop != 0; }

void sleep_ms(int ms) {
  timespec ts{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  nanosleep(&ts, nullptr);
}

bool is_terminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

void set_binary_input() {}

std::string last_system_error() { return std::strerror(errno); }

}  // namespace morvane::cli
