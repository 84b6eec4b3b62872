#pragma once
// A TCP client, just enough for one SNPP exchange, and a loopback listener
// for the development server and the tests.
#include <memory>
#include <string>
#include <string_view>

namespace tw::platform {

// Starts the network layer (WSAStartup on Windows); true when ready.
// Repeated calls after a successful one are harmless.
bool StartNetwork();

enum class PollResult { kNothing, kData, kDisconnected };

class Connection {
 public:
  virtual ~Connection() = default;  // closes
  // Waits at most timeout_ms (0: does not wait). A connection the peer
  // closed may report kData; the receive then yields 0.
  virtual PollResult Poll(int timeout_ms) = 0;
  // Bytes received (0 when the peer closed, -1 on error), at most max.
  virtual int Receive(char* buffer, int max) = 0;
  // True when every byte was handed to the system.
  virtual bool Send(std::string_view bytes) = 0;

  // Like Receive, but waits at most timeout_ms for the first byte and gives
  // kReceiveTimedOut when none came.
  static constexpr int kReceiveTimedOut = -2;
  virtual int ReceiveWithin(char* buffer, int max, int timeout_ms) {
    switch (Poll(timeout_ms)) {
      case PollResult::kNothing:
        return kReceiveTimedOut;
      case PollResult::kDisconnected:
        return 0;
      default:
        return Receive(buffer, max);
    }
  }
};

// Why no connection resulted.
enum class ConnectFailure { kNone, kUnresolved, kRefused, kTimedOut, kOther };

// A dotted IPv4 address is used as it is; other names are looked up and the
// first IPv4 address is taken. Null when no connection results in time; the
// whole attempt, the name lookup included, takes at most about timeout_ms.
std::unique_ptr<Connection> Connect(const std::string& host, int port, int timeout_ms,
                                    ConnectFailure* failure = nullptr);

// A listening socket on a local IPv4 address.
class Listener {
 public:
  virtual ~Listener() = default;
  // The port it listens on (the one the system chose when asked for 0).
  virtual int Port() const = 0;
  // Waits at most timeout_ms for the next client; null when none came.
  virtual std::unique_ptr<Connection> Accept(int timeout_ms) = 0;
};

// Listens on a dotted IPv4 address; port 0 lets the system choose. Null when
// the address cannot be bound.
std::unique_ptr<Listener> Listen(const std::string& address, int port);

}  // namespace tw::platform
