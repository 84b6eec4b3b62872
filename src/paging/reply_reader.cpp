#include "paging/reply_reader.h"

#include <algorithm>

#include "platform/clock.h"

namespace tw {

namespace {
// RFC 1861 keeps a reply line well under this; anything longer is not a reply.
constexpr size_t kMaxLine = 4096;
constexpr int kReceiveBuffer = 1024;
constexpr int kWaitSliceMs = 100;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool HasCode(const std::string& line) {
  return line.size() >= 3 && IsDigit(line[0]) && IsDigit(line[1]) && IsDigit(line[2]) &&
         (line.size() == 3 || line[3] == ' ' || line[3] == '-');
}
}  // namespace

int ReplyCode(const std::string& line) {
  if (!HasCode(line)) return -1;
  return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

bool ReplyCodeIs(const std::string& line, char first_digit) {
  return HasCode(line) && line[0] == first_digit;
}

ReplyReader::ReplyReader(platform::Connection& connection, std::function<void()> while_waiting)
    : connection_(connection), while_waiting_(std::move(while_waiting)) {}

Reply ReplyReader::NextLine(long long deadline_ms) {
  for (;;) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return {ReplyStatus::kLine, std::move(line)};
    }
    if (pending_.size() > kMaxLine) return {ReplyStatus::kTooLong, {}};
    if (closed_) {
      // The close ends a last line that had no line end of its own.
      if (pending_.empty()) return {ReplyStatus::kClosed, {}};
      std::string line = std::move(pending_);
      pending_.clear();
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return {ReplyStatus::kLine, std::move(line)};
    }
    const long long left = deadline_ms - platform::MonotonicMs();
    if (left <= 0) return {ReplyStatus::kTimedOut, {}};
    char buffer[kReceiveBuffer];
    const int n = connection_.ReceiveWithin(
        buffer, kReceiveBuffer, static_cast<int>(std::min<long long>(left, kWaitSliceMs)));
    if (n == platform::Connection::kReceiveTimedOut) {
      if (while_waiting_) while_waiting_();
    } else if (n <= 0) {
      closed_ = true;
    } else {
      pending_.append(buffer, static_cast<size_t>(n));
    }
  }
}

Reply ReplyReader::NextReply(long long deadline_ms) {
  for (;;) {
    Reply r = NextLine(deadline_ms);
    if (r.status != ReplyStatus::kLine || !HasCode(r.line) || r.line.size() == 3 ||
        r.line[3] != '-')
      return r;
  }
}

}  // namespace tw
