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
  // A closed terminal (SIGHUP) and Ctrl-\ (SIGQUIT) end a run as Ctrl-C
  // does: the page in progress is printed, nothing is lost.
  for (int stop : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(stop, &sa, nullptr);
  // A client that goes away must not kill the program.
  signal(SIGPIPE, SIG_IGN);
}

void guard_outputs() {
  // A file-size limit makes the write fail (EFBIG), which is reported,
  // instead of killing the program in the middle of a page.
  signal(SIGXFSZ, SIG_IGN);
}

bool stop_requested() { return g_stop != 0; }

void sleep_ms(int ms) {
  timespec ts{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  nanosleep(&ts, nullptr);
}

bool is_terminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

void set_binary_input() {}

// "e": close-on-exec, so the print command started later never holds it.
std::FILE* open_input_file(const std::string& name) { return std::fopen(name.c_str(), "rbe"); }

std::string last_system_error() { return std::strerror(errno); }

}  // namespace morvane::cli
