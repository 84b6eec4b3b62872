#pragma once
// A TCP client, just enough for one SNPP exchange.
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
  // Waits at most timeout_ms (0: does not wait).
  virtual PollResult Poll(int timeout_ms) = 0;
  // Bytes received (0 when the peer closed, -1 on error), at most max.
  virtual int Receive(char* buffer, int max) = 0;
  // True when every byte was handed to the system.
  virtual bool Send(std::string_view bytes) = 0;
};

// A dotted IPv4 address is used as it is; other names are looked up and the
// first IPv4 address is taken. Null when no connection results in time.
std::unique_ptr<Connection> Connect(const std::string& host, int port, int timeout_ms);

}  // namespace tw::platform
