#pragma once
// The server's side of an SNPP dialogue: reply lines collected across
// receives, each wait bounded by a deadline.
#include <functional>
#include <string>

#include "platform/tcp.h"

namespace tw {

enum class ReplyStatus {
  kLine,      // a whole reply line (its CR LF or LF taken off)
  kTimedOut,  // no whole line before the deadline
  kClosed,    // the server closed the connection or it failed
  kTooLong,   // more bytes than any reply holds without a line end
};

struct Reply {
  ReplyStatus status;
  std::string line;  // the bytes received, nothing decoded
};

// The three-digit code a reply line begins with, or -1 when it has none.
int ReplyCode(const std::string& line);
// True for a line with a three-digit code that begins with first_digit.
bool ReplyCodeIs(const std::string& line, char first_digit);

class ReplyReader {
 public:
  // while_waiting is called about every tenth of a second that passes
  // without a reply, so the caller can keep its window painted.
  ReplyReader(platform::Connection& connection, std::function<void()> while_waiting);

  // The next line; one receive may hold several lines, and one line may
  // arrive over several receives.
  Reply NextLine(long long deadline_ms);
  // The next reply: continuation lines ("220-...") are passed over, so a
  // greeting over several lines is one reply.
  Reply NextReply(long long deadline_ms);

 private:
  platform::Connection& connection_;
  std::function<void()> while_waiting_;
  std::string pending_;
  bool closed_ = false;
};

}  // namespace tw
