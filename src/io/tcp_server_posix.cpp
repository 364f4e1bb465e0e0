#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "io/tcp_server.h"

namespace morvane {

namespace {

// Never handed on to a program this one starts (the print command).
int accept_private(int listen_fd, sockaddr_storage& peer) {
  socklen_t len = sizeof peer;
#ifdef __linux__
  return ::accept4(listen_fd, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_CLOEXEC);
#else
  const int fd = ::accept(listen_fd, reinterpret_cast<sockaddr*>(&peer), &len);
  if (fd >= 0) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  return fd;
#endif
}

std::string peer_text(const sockaddr_storage& peer) {
  char host[NI_MAXHOST] = "?";
  char service[NI_MAXSERV] = "?";
  ::getnameinfo(reinterpret_cast<const sockaddr*>(&peer), sizeof peer, host, sizeof host, service, sizeof service,
                NI_NUMERICHOST | NI_NUMERICSERV);
  return tcp_address_text(host, static_cast<std::uint16_t>(std::atoi(service)));
}

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

  std::size_t waiting() const override {
    int count = 0;
    return client_fd_ >= 0 && ::ioctl(client_fd_, FIONREAD, &count) == 0 && count > 0
               ? static_cast<std::size_t>(count)
               : 0;
  }

  void wait(int ms) override {
    pollfd watch{client_fd_ >= 0 ? client_fd_ : listen_fd_, POLLIN, 0};
    ::poll(&watch, 1, ms);
  }

 private:
  bool accept_client() {
    sockaddr_storage peer{};
    const int fd = accept_private(listen_fd_, peer);
    if (fd < 0) return false;
    client_fd_ = fd;
    if (notice_) notice_("connection from " + peer_text(peer));
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

// Listens on the first address the host resolves to that can be taken; -1
// with errno, or with `unknown` set when the host resolves to nothing.
int listen_on(const TcpEndpoint& at, bool& unknown) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(at.port);
  unknown = ::getaddrinfo(at.host.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr;
  if (unknown) return -1;
  int fd = -1;
  int error = 0;
  for (const addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
    fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      error = errno;
      continue;
    }
    // A port left in TIME_WAIT by the last run may be taken again; one that
    // is listened on still is refused.
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(fd, a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd, 4) != 0 ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
      error = errno;
      ::close(fd);
      fd = -1;
    }
  }
  ::freeaddrinfo(found);
  errno = error;
  return fd;
}

std::uint16_t bound_port(int fd) {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return 0;
  if (addr.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6*>(&addr)->sin6_port);
  return ntohs(reinterpret_cast<const sockaddr_in*>(&addr)->sin_port);
}

}  // namespace

std::unique_ptr<TcpServer> TcpServer::open(const TcpEndpoint& at, Notice notice, std::string& error) {
  bool unknown = false;
  const int fd = listen_on(at, unknown);
  if (fd < 0) {
    error = "cannot listen on TCP " + tcp_address_text(at.host, at.port) + ": " +
            (unknown ? std::string("unknown host") : std::strerror(errno));
    return nullptr;
  }
  return std::make_unique<PosixTcpServer>(fd, bound_port(fd), std::move(notice));
}

}  // namespace morvane
