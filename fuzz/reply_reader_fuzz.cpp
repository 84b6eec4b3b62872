// Arbitrary server bytes, split at arbitrary points, through the reply
// reader: every line it gives is a piece of the input without its line end,
// and together with what is left they account for every byte.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "paging/reply_reader.h"
#include "platform/clock.h"

namespace {

// Hands out the input in chunks whose sizes the input itself chooses.
class ScriptedConnection final : public tw::platform::Connection {
 public:
  ScriptedConnection(const uint8_t* sizes, size_t n_sizes, std::string bytes)
      : sizes_(sizes), n_sizes_(n_sizes), bytes_(std::move(bytes)) {}
  tw::platform::PollResult Poll(int) override {
    return pos_ < bytes_.size() ? tw::platform::PollResult::kData
                                : tw::platform::PollResult::kDisconnected;
  }
  int Receive(char* buffer, int max) override {
    if (pos_ >= bytes_.size()) return 0;
    size_t chunk = n_sizes_ ? 1 + sizes_[turn_++ % n_sizes_] : bytes_.size();
    chunk = std::min({chunk, bytes_.size() - pos_, static_cast<size_t>(max)});
    std::copy_n(bytes_.data() + pos_, chunk, buffer);
    pos_ += chunk;
    return static_cast<int>(chunk);
  }
  bool Send(std::string_view) override { return true; }

 private:
  const uint8_t* sizes_;
  size_t n_sizes_;
  std::string bytes_;
  size_t pos_ = 0;
  size_t turn_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t n_sizes = std::min<size_t>(data[0] % 8, size - 1);
  const std::string bytes(reinterpret_cast<const char*>(data + 1 + n_sizes), size - 1 - n_sizes);
  ScriptedConnection connection(data + 1, n_sizes, bytes);
  tw::ReplyReader reader(connection, [] {});
  std::string rebuilt;
  for (int guard = 0; guard < 100000; ++guard) {
    const tw::Reply reply = reader.NextLine(tw::platform::MonotonicMs() + 1000);
    if (reply.status != tw::ReplyStatus::kLine) break;
    if (reply.line.find('\n') != std::string::npos) std::abort();
    if (bytes.find(reply.line) == std::string::npos) std::abort();
    (void)tw::ReplyCode(reply.line);
    rebuilt += reply.line;
  }
  if (rebuilt.size() > bytes.size()) std::abort();
  return 0;
}
