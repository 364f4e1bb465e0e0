#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <atomic>

#include "cli/platform.h"
#include "io/system_error.h"

namespace morvane::cli {

namespace {

std::atomic<bool> g_stop{false};

BOOL WINAPI on_console_event(DWORD type) {
  switch (type) {
    case CTRL_C_EVENT: case CTRL_BREAK_EVENT: case CTRL_CLOSE_EVENT:
      g_stop = true;
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void install_stop_handler() { SetConsoleCtrlHandler(on_console_event, TRUE); }

void guard_outputs() {}

bool stop_requested() { return g_stop; }

void sleep_ms(int ms) { Sleep(static_cast<DWORD>(ms)); }

bool is_terminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

std::string last_system_error() { return system_error_text(static_cast<int>(GetLastError())); }

void set_binary_input() { _setmode(_fileno(stdin), _O_BINARY); }

// The Windows build starts no program that could inherit it.
std::FILE* open_input_file(const std::string& name) { return std::fopen(name.c_str(), "rb"); }

}  // namespace morvane::cli
