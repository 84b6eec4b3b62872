#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>

#include "platform/call_within.h"
#include "platform/clock.h"
#include "platform/tcp.h"

namespace tw::platform {

namespace {

// A send the peer does not take within this time counts as failed.
constexpr int kSendTimeoutSeconds = 10;

class PosixConnection final : public Connection {
 public:
  explicit PosixConnection(int fd) : fd_(fd) {}
  ~PosixConnection() override { ::close(fd_); }

  PollResult Poll(int timeout_ms) override {
    pollfd p{fd_, POLLIN, 0};
    int n;
    do {
      n = ::poll(&p, 1, timeout_ms);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return PollResult::kDisconnected;
    if (n == 0) return PollResult::kNothing;
    // A close reads as pending data too: the receive then yields 0 bytes.
    // Telling the two apart here would cost a call on every reply.
    if (p.revents & POLLIN) return PollResult::kData;
    return PollResult::kDisconnected;  // POLLHUP, POLLERR, POLLNVAL
  }

  int Receive(char* buffer, int max) override {
    if (receive_limit_ms_ != 0) {
      timeval none{0, 0};
      ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &none, sizeof none);
      receive_limit_ms_ = 0;
    }
    ssize_t n;
    do {
      n = ::recv(fd_, buffer, static_cast<size_t>(max), 0);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<int>(n);
  }

  // A receive with the system's own time limit: one call per reply where a
  // poll and a receive would be two.
  int ReceiveWithin(char* buffer, int max, int timeout_ms) override {
    if (timeout_ms <= 0) {
      const ssize_t n = ::recv(fd_, buffer, static_cast<size_t>(max), MSG_DONTWAIT);
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return kReceiveTimedOut;
      return n < 0 ? -1 : static_cast<int>(n);
    }
    if (timeout_ms != receive_limit_ms_) {
      timeval limit{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
      if (::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0)
        return Connection::ReceiveWithin(buffer, max, timeout_ms);
      receive_limit_ms_ = timeout_ms;
    }
    ssize_t n;
    do {
      n = ::recv(fd_, buffer, static_cast<size_t>(max), 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return kReceiveTimedOut;
    return n < 0 ? -1 : static_cast<int>(n);
  }

  bool Send(std::string_view bytes) override {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += static_cast<size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
  int receive_limit_ms_ = 0;  // 0: none set, receives wait without end
};

void SetBlocking(int fd, bool blocking) {
  const int flags = ::fcntl(fd, F_GETFL, 0);
  ::fcntl(fd, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK));
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
  sa.sin_port = htons(static_cast<uint16_t>(port));
  sa.sin_addr = address;
  return sa;
}

}  // namespace

bool StartNetwork() { return true; }

std::unique_ptr<Connection> Connect(const std::string& host, int port, int timeout_ms,
                                    ConnectFailure* failure) {
  const long long deadline = MonotonicMs() + timeout_ms;
  const std::optional<in_addr> address = Resolve(host, timeout_ms);
  if (!address) {
    Report(failure,
           MonotonicMs() >= deadline ? ConnectFailure::kTimedOut : ConnectFailure::kUnresolved);
    return nullptr;
  }
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    Report(failure, ConnectFailure::kOther);
    return nullptr;
  }
  SetBlocking(fd, false);
  const sockaddr_in sa = Endpoint(*address, port);
  int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
  if (rc != 0 && errno != EINPROGRESS) {
    Report(failure, errno == ECONNREFUSED ? ConnectFailure::kRefused : ConnectFailure::kOther);
    ::close(fd);
    return nullptr;
  }
  if (rc != 0) {
    pollfd p{fd, POLLOUT, 0};
    int n;
    do {
      const long long left = deadline - MonotonicMs();
      n = ::poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
      Report(failure, n == 0 ? ConnectFailure::kTimedOut : ConnectFailure::kOther);
      ::close(fd);
      return nullptr;
    }
    int error = 0;
    socklen_t len = sizeof error;
    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len);
    if (error != 0) {
      Report(failure, error == ECONNREFUSED ? ConnectFailure::kRefused : ConnectFailure::kOther);
      ::close(fd);
      return nullptr;
    }
  }
  SetBlocking(fd, true);
  // Commands are single small writes, each awaited by its reply.
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  timeval send_limit{kSendTimeoutSeconds, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &send_limit, sizeof send_limit);
  Report(failure, ConnectFailure::kNone);
  return std::make_unique<PosixConnection>(fd);
}

namespace {

class PosixListener final : public Listener {
 public:
  PosixListener(int fd, int port) : fd_(fd), port_(port) {}
  ~PosixListener() override { ::close(fd_); }
  int Port() const override { return port_; }

  std::unique_ptr<Connection> Accept(int timeout_ms) override {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeout_ms) <= 0) return nullptr;
    const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return nullptr;
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return std::make_unique<PosixConnection>(fd);
  }

 private:
  int fd_;
  int port_;
};

}  // namespace

std::unique_ptr<Listener> Listen(const std::string& address, int port) {
  in_addr a{};
  if (::inet_pton(AF_INET, address.c_str(), &a) != 1) return nullptr;
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  // A server restarted at once must get its port back.
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in sa = Endpoint(a, port);
  socklen_t len = sizeof sa;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(fd, 16) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixListener>(fd, ntohs(sa.sin_port));
}

}  // namespace tw::platform
