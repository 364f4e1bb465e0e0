// What the command-line program needs of the operating system beyond standard
// C++: stop requests, terminals, pauses and a TCP listener. One file per
// platform implements it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "cli/options.h"

namespace morvane::cli {

// SIGINT/SIGTERM (Ctrl-C, console close on Windows) set the stop request.
void install_stop_handler();
bool stop_requested();

void sleep_ms(int ms);
bool is_terminal(std::FILE* stream);
// The text of the system's last error (errno, or GetLastError on Windows).
std::string last_system_error();

// Standard input read as bytes, without any newline translation.
void set_binary_input();

// Listens on one address; serves one connection at a time, raw bytes in.
class TcpServer {
 public:
  using Notice = std::function<void(const std::string&)>;

  // Null, with a message naming the address and the reason, when the address
  // cannot be taken (in use, not local, ...).
  static std::unique_ptr<TcpServer> open(const TcpEndpoint& at, Notice notice, std::string& error);
  virtual ~TcpServer() = default;

  // Takes a waiting client when none is connected, then copies up to capacity
  // bytes that have already arrived. Never blocks. A closed connection is
  // dropped and the next client can come in.
  virtual int poll(std::uint8_t* buf, int capacity) = 0;
  // The port actually listened on (the one asked for, or the system's choice for 0).
  virtual std::uint16_t port() const = 0;
};

}  // namespace morvane::cli
