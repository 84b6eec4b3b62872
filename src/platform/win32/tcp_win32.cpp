#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "platform/call_within.h"
#include "platform/clock.h"
#include "platform/tcp.h"

namespace tw::platform {

namespace {

// A send the peer does not take within this time counts as failed.
constexpr DWORD kSendTimeoutMs = 10000;

// Waits for one socket to become readable (or writable); select's count.
int WaitFor(SOCKET s, bool write, int timeout_ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  fd_set errors;
  FD_ZERO(&errors);
  FD_SET(s, &errors);
  timeval tv{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  // A failed non-blocking connect shows in the except set on Windows.
  return ::select(0, write ? nullptr : &set, write ? &set : nullptr, write ? &errors : nullptr,
                  &tv);
}

class WinConnection final : public Connection {
 public:
  explicit WinConnection(SOCKET s) : s_(s) {}
  ~WinConnection() override { ::closesocket(s_); }

  PollResult Poll(int timeout_ms) override {
    const int n = WaitFor(s_, false, timeout_ms);
    if (n == SOCKET_ERROR) return PollResult::kDisconnected;
    if (n == 0) return PollResult::kNothing;
    // Readable also means closed; a peek tells the two apart.
    char c;
    const int got = ::recv(s_, &c, 1, MSG_PEEK);
    if (got > 0) return PollResult::kData;
    return PollResult::kDisconnected;
  }

  int Receive(char* buffer, int max) override {
    const int n = ::recv(s_, buffer, max, 0);
    return n == SOCKET_ERROR ? -1 : n;
  }

  bool Send(std::string_view bytes) override {
    size_t done = 0;
    while (done < bytes.size()) {
      const int chunk = static_cast<int>(std::min<size_t>(bytes.size() - done, 1 << 20));
      const int n = ::send(s_, bytes.data() + done, chunk, 0);
      if (n == SOCKET_ERROR) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }

 private:
  SOCKET s_;
};

void SetBlocking(SOCKET s, bool blocking) {
  u_long nonblocking = blocking ? 0 : 1;
  ::ioctlsocket(s, FIONBIO, &nonblocking);
}

// A dotted address directly; a name through the system's lookup, which
// takes no time limit of its own.
std::optional<in_addr> Resolve(const std::string& host, int timeout_ms) {
  in_addr direct{};
  if (::inet_pton(AF_INET, host.c_str(), &direct) == 1) return direct;
  return CallWithin<in_addr>(timeout_ms, [host]() -> std::optional<in_addr> {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    std::optional<in_addr> address;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) == 0 && found)
      address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    if (found) ::freeaddrinfo(found);
    return address;
  });
}

void Report(ConnectFailure* failure, ConnectFailure what) {
  if (failure) *failure = what;
}

sockaddr_in Endpoint(in_addr address, int port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<u_short>(port));
  sa.sin_addr = address;
  return sa;
}

}  // namespace

bool StartNetwork() {
  static bool started = false;
  if (started) return true;
  WSADATA data;
  started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  return started;
}

std::unique_ptr<Connection> Connect(const std::string& host, int port, int timeout_ms,
                                    ConnectFailure* failure) {
  const long long deadline = MonotonicMs() + timeout_ms;
  const std::optional<in_addr> address = Resolve(host, timeout_ms);
  if (!address) {
    Report(failure,
           MonotonicMs() >= deadline ? ConnectFailure::kTimedOut : ConnectFailure::kUnresolved);
    return nullptr;
  }
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    Report(failure, ConnectFailure::kOther);
    return nullptr;
  }
  SetBlocking(s, false);
  const sockaddr_in sa = Endpoint(*address, port);
  if (::connect(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == SOCKET_ERROR) {
    const int error = ::WSAGetLastError();
    if (error != WSAEWOULDBLOCK) {
      Report(failure, error == WSAECONNREFUSED ? ConnectFailure::kRefused : ConnectFailure::kOther);
      ::closesocket(s);
      return nullptr;
    }
    const long long left = deadline - MonotonicMs();
    const int n = WaitFor(s, true, left > 0 ? static_cast<int>(left) : 0);
    int so_error = 0;
    int len = sizeof so_error;
    ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&so_error), &len);
    if (n <= 0 || so_error != 0) {
      Report(failure, n == 0                        ? ConnectFailure::kTimedOut
                      : so_error == WSAECONNREFUSED ? ConnectFailure::kRefused
                                                    : ConnectFailure::kOther);
      ::closesocket(s);
      return nullptr;
    }
  }
  SetBlocking(s, true);
  // Commands are single small writes, each awaited by its reply.
  const BOOL one = TRUE;
  ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&kSendTimeoutMs),
               sizeof kSendTimeoutMs);
  Report(failure, ConnectFailure::kNone);
  return std::make_unique<WinConnection>(s);
}

namespace {

class WinListener final : public Listener {
 public:
  WinListener(SOCKET s, int port) : s_(s), port_(port) {}
  ~WinListener() override { ::closesocket(s_); }
  int Port() const override { return port_; }

  std::unique_ptr<Connection> Accept(int timeout_ms) override {
    if (WaitFor(s_, false, timeout_ms) <= 0) return nullptr;
    const SOCKET s = ::accept(s_, nullptr, nullptr);
    if (s == INVALID_SOCKET) return nullptr;
    // An accepted socket inherits the listener's mode; keep it blocking.
    SetBlocking(s, true);
    const BOOL one = TRUE;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    return std::make_unique<WinConnection>(s);
  }

 private:
  SOCKET s_;
  int port_;
};

}  // namespace

std::unique_ptr<Listener> Listen(const std::string& address, int port) {
  if (!StartNetwork()) return nullptr;
  in_addr a{};
  if (::inet_pton(AF_INET, address.c_str(), &a) != 1) return nullptr;
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return nullptr;
  // Nobody else may bind the same port while we listen on it.
  const BOOL one = TRUE;
  ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&one), sizeof one);
  sockaddr_in sa = Endpoint(a, port);
  int len = sizeof sa;
  if (::bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == SOCKET_ERROR ||
      ::listen(s, 16) == SOCKET_ERROR ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len) == SOCKET_ERROR) {
    ::closesocket(s);
    return nullptr;
  }
  return std::make_unique<WinListener>(s, ntohs(sa.sin_port));
}

}  // namespace tw::platform
