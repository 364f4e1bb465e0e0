// A TCP listener for printer bytes from an emulator or a bridge: one address,
// one connection at a time, raw bytes in. Polled, never waited on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace morvane {

struct TcpEndpoint {
  std::string host = "127.0.0.1";  // a name, an IPv4 or an IPv6 address (without brackets)
  std::uint16_t port = 0;
};

// "127.0.0.1:9100", "[::1]:9100": an IPv6 address in brackets, so that its
// colons are not taken for the port's.
std::string tcp_address_text(const std::string& host, std::uint16_t port);

class TcpServer {
 public:
  using Notice = std::function<void(const std::string&)>;

  // Null, with a message naming the address and the reason, when the address
  // cannot be taken (in use, not local, ...). Connections and their ends are
  // told through `notice`.
  static std::unique_ptr<TcpServer> open(const TcpEndpoint& at, Notice notice, std::string& error);
  virtual ~TcpServer() = default;

  // Takes a waiting client when none is connected, then copies up to capacity
  // bytes that have already arrived. Never blocks. A closed connection is
  // dropped and the next client can come in.
  virtual int poll(std::uint8_t* buf, int capacity) = 0;
  // The port actually listened on (the one asked for, or the system's choice for 0).
  virtual std::uint16_t port() const = 0;
  // Bytes that have arrived on the connection and wait to be read; 0 without one.
  virtual std::size_t waiting() const = 0;
  // Returns once a client or bytes may have come, after ms at most.
  virtual void wait(int ms) = 0;
};

}  // namespace morvane
