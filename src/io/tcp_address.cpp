#include "io/tcp_server.h"

namespace morvane {

std::string tcp_address_text(const std::string& host, std::uint16_t port) {
  const bool v6 = host.find(':') != std::string::npos;
  return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

}  // namespace morvane
