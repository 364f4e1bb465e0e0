#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdlib>

#include "io/system_error.h"
#include "io/tcp_server.h"

namespace morvane {

namespace {

class WinsockSession {
 public:
  WinsockSession() { ok_ = WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
  ~WinsockSession() {
    if (ok_) WSACleanup();
  }
  bool ok() const { return ok_; }

 private:
  WSADATA data_{};
  bool ok_ = false;
};

// Never handed on to a program this one starts.
void keep_private(SOCKET s) { SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0); }

std::string peer_text(const sockaddr_storage& peer) {
  char host[NI_MAXHOST] = "?";
  char service[NI_MAXSERV] = "?";
  getnameinfo(reinterpret_cast<const sockaddr*>(&peer), sizeof peer, host, sizeof host, service, sizeof service,
              NI_NUMERICHOST | NI_NUMERICSERV);
  return tcp_address_text(host, static_cast<std::uint16_t>(std::atoi(service)));
}

class Win32TcpServer final : public TcpServer {
 public:
  Win32TcpServer(std::unique_ptr<WinsockSession> wsa, SOCKET s, std::uint16_t port, Notice notice)
      : wsa_(std::move(wsa)), listen_(s), port_(port), notice_(std::move(notice)) {}
  ~Win32TcpServer() override {
    drop_client();
    closesocket(listen_);
  }

  int poll(std::uint8_t* buf, int capacity) override {
    if (client_ == INVALID_SOCKET && !accept_client()) return 0;
    const int n = recv(client_, reinterpret_cast<char*>(buf), capacity, 0);
    if (n > 0) return n;
    if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK) {
      drop_client();
      if (notice_) notice_("connection closed");
    }
    return 0;
  }

  std::uint16_t port() const override { return port_; }

  std::size_t waiting() const override {
    u_long count = 0;
    return client_ != INVALID_SOCKET && ioctlsocket(client_, FIONREAD, &count) == 0 ? count : 0;
  }

  void wait(int ms) override {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(client_ != INVALID_SOCKET ? client_ : listen_, &ready);
    timeval limit{ms / 1000, (ms % 1000) * 1000};
    select(0, &ready, nullptr, nullptr, &limit);
  }

 private:
  bool accept_client() {
    sockaddr_storage peer{};
    int len = sizeof peer;
    SOCKET s = accept(listen_, reinterpret_cast<sockaddr*>(&peer), &len);
    if (s == INVALID_SOCKET) return false;
    keep_private(s);
    u_long nonblocking = 1;
    ioctlsocket(s, FIONBIO, &nonblocking);
    client_ = s;
    if (notice_) notice_("connection from " + peer_text(peer));
    return true;
  }
  void drop_client() {
    if (client_ != INVALID_SOCKET) closesocket(client_);
    client_ = INVALID_SOCKET;
  }

  std::unique_ptr<WinsockSession> wsa_;
  SOCKET listen_;
  SOCKET client_ = INVALID_SOCKET;
  std::uint16_t port_;
  Notice notice_;
};

// Listens on the first address the host resolves to that can be taken;
// INVALID_SOCKET with the error in `error` (0: the host resolves to nothing).
SOCKET listen_on(const TcpEndpoint& at, int& error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  error = 0;
  const std::string service = std::to_string(at.port);
  if (getaddrinfo(at.host.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr) return INVALID_SOCKET;
  SOCKET s = INVALID_SOCKET;
  for (const addrinfo* a = found; a != nullptr && s == INVALID_SOCKET; a = a->ai_next) {
    s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (s == INVALID_SOCKET) {
      error = WSAGetLastError();
      continue;
    }
    keep_private(s);
    // Nobody else may take the same port while we hold it.
    BOOL exclusive = TRUE;
    setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
    u_long nonblocking = 1;
    if (bind(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0 || listen(s, 4) != 0 ||
        ioctlsocket(s, FIONBIO, &nonblocking) != 0) {
      error = WSAGetLastError();
      closesocket(s);
      s = INVALID_SOCKET;
    }
  }
  freeaddrinfo(found);
  return s;
}

std::uint16_t bound_port(SOCKET s) {
  sockaddr_storage addr{};
  int len = sizeof addr;
  if (getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return 0;
  if (addr.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6*>(&addr)->sin6_port);
  return ntohs(reinterpret_cast<const sockaddr_in*>(&addr)->sin_port);
}

}  // namespace

std::unique_ptr<TcpServer> TcpServer::open(const TcpEndpoint& at, Notice notice, std::string& error) {
  auto wsa = std::make_unique<WinsockSession>();
  const std::string where = "cannot listen on TCP " + tcp_address_text(at.host, at.port) + ": ";
  if (!wsa->ok()) {
    error = where + "no network support";
    return nullptr;
  }
  int code = 0;
  const SOCKET s = listen_on(at, code);
  if (s == INVALID_SOCKET) {
    error = where + (code == 0 ? std::string("unknown host") : system_error_text(code));
    return nullptr;
  }
  return std::make_unique<Win32TcpServer>(std::move(wsa), s, bound_port(s), std::move(notice));
}

}  // namespace morvane
