#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "io/tcp_server.h"

namespace morvane {

namespace {

std::string address_text(const TcpEndpoint& at) { return at.host + ":" + std::to_string(at.port); }

class PosixTcpServer final : public TcpServer {
 public:
  PosixTcpServer(int fd, std::uint16_t port, Notice notice)
      : listen_fd_(fd), port_(port), notice_(std::move(notice)) {}
  ~PosixTcpServer() override {
    drop_client();
    ::close(listen_fd_);
  }

  int poll(std::uint8_t* buf, int capacity) override {
    if (client_fd_ < 0 && !accept_client()) return 0;
    const ssize_t n = ::recv(client_fd_, buf, static_cast<std::size_t>(capacity), MSG_DONTWAIT);
    if (n > 0) return static_cast<int>(n);
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
      drop_client();
      if (notice_) notice_("connection closed");
    }
    return 0;
  }

  std::uint16_t port() const override { return port_; }

 private:
  bool accept_client() {
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    const int fd = ::accept(listen_fd_, reinterpret_cast<sockaddr*>(&peer), &len);
    if (fd < 0) return false;
    client_fd_ = fd;
    if (notice_) {
      char host[INET_ADDRSTRLEN] = "?";
      ::inet_ntop(AF_INET, &peer.sin_addr, host, sizeof host);
      notice_(std::string("connection from ") + host + ":" + std::to_string(ntohs(peer.sin_port)));
    }
    return true;
  }
  void drop_client() {
    if (client_fd_ >= 0) ::close(client_fd_);
    client_fd_ = -1;
  }

  int listen_fd_;
  int client_fd_ = -1;
  std::uint16_t port_;
  Notice notice_;
};

bool resolve_ipv4(const std::string& host, in_addr& out) {
  if (::inet_pton(AF_INET, host.c_str(), &out) == 1) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
  out = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
  ::freeaddrinfo(found);
  return true;
}

}  // namespace

std::unique_ptr<TcpServer> TcpServer::open(const TcpEndpoint& at, Notice notice, std::string& error) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(at.port);
  if (!resolve_ipv4(at.host, addr.sin_addr)) {
    error = "cannot listen on TCP " + address_text(at) + ": unknown host";
    return nullptr;
  }
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = "cannot listen on TCP " + address_text(at) + ": " + std::strerror(errno);
    return nullptr;
  }
  // A port left in TIME_WAIT by the last run may be taken again; one that is
  // listened on still is refused.
  const int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 4) != 0 ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
    error = "cannot listen on TCP " + address_text(at) + ": " + std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  return std::make_unique<PosixTcpServer>(fd, ntohs(addr.sin_port), std::move(notice));
}

}  // namespace morvane
