#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include "io/system_error.h"
#include "io/tcp_server.h"

namespace morvane {

namespace {

std::string address_text(const TcpEndpoint& at) { return at.host + ":" + std::to_string(at.port); }

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

 private:
  bool accept_client() {
    sockaddr_in peer{};
    int len = sizeof peer;
    SOCKET s = accept(listen_, reinterpret_cast<sockaddr*>(&peer), &len);
    if (s == INVALID_SOCKET) return false;
    u_long nonblocking = 1;
    ioctlsocket(s, FIONBIO, &nonblocking);
    client_ = s;
    if (notice_) {
      char host[INET_ADDRSTRLEN] = "?";
      inet_ntop(AF_INET, &peer.sin_addr, host, sizeof host);
      notice_(std::string("connection from ") + host + ":" + std::to_string(ntohs(peer.sin_port)));
    }
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

bool resolve_ipv4(const std::string& host, in_addr& out) {
  if (inet_pton(AF_INET, host.c_str(), &out) == 1) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
  out = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
  freeaddrinfo(found);
  return true;
}

}  // namespace

std::unique_ptr<TcpServer> TcpServer::open(const TcpEndpoint& at, Notice notice, std::string& error) {
  auto wsa = std::make_unique<WinsockSession>();
  const std::string where = "cannot listen on TCP " + address_text(at) + ": ";
  if (!wsa->ok()) {
    error = where + "no network support";
    return nullptr;
  }
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(at.port);
  if (!resolve_ipv4(at.host, addr.sin_addr)) {
    error = where + "unknown host";
    return nullptr;
  }
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    error = where + system_error_text(WSAGetLastError());
    return nullptr;
  }
  // Nobody else may take the same port while we hold it.
  BOOL exclusive = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof exclusive);
  u_long nonblocking = 1;
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 4) != 0 ||
      ioctlsocket(s, FIONBIO, &nonblocking) != 0) {
    error = where + system_error_text(WSAGetLastError());
    closesocket(s);
    return nullptr;
  }
  int len = sizeof addr;
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  return std::make_unique<Win32TcpServer>(std::move(wsa), s, ntohs(addr.sin_port), std::move(notice));
}

}  // namespace morvane
