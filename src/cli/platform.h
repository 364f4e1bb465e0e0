// What the command-line program needs of the operating system beyond standard
// C++: stop requests, terminals and pauses. One file per platform implements it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace morvane::cli {

// SIGINT, SIGTERM, SIGHUP and SIGQUIT (Ctrl-C, console close on Windows)
// set the stop request.
void install_stop_handler();
// Before any output is written: no signal ends the program for an output
// that does not fit (a file-size limit makes the write fail instead).
void guard_outputs();
bool stop_requested();

void sleep_ms(int ms);
bool is_terminal(std::FILE* stream);
// The text of the system's last error (errno, or GetLastError on Windows).
std::string last_system_error();

// Standard input read as bytes, without any newline translation.
void set_binary_input();
// A captured input file, read as bytes; no program the run starts (the print
// command) inherits it. Null with errno set when it cannot be opened.
std::FILE* open_input_file(const std::string& name);

}  // namespace morvane::cli
