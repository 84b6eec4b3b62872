#include "snpp_session.h"

#include <algorithm>
#include <cctype>

#include "platform/clock.h"

namespace tw::snpp {

namespace {

// Longer than any command a level-1 client writes.
constexpr size_t kMaxLine = 8192;

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

std::string Trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string Session::Greeting() const { return "220 Tellwave development SNPP server ready\r\n"; }

std::string Session::Answer(const std::string& line, bool& done,
                            const std::function<void(const AcceptedPage&)>& on_page) {
  const size_t blank = line.find(' ');
  const std::string verb = Upper(line.substr(0, blank));
  // Everything after the verb and its one blank is the argument, as written.
  const std::string argument = blank == std::string::npos ? std::string() : line.substr(blank + 1);
  if (verb == "PAGE") {
    // A password may follow the pager ID; this server asks for none.
    const std::string id = Trimmed(argument).substr(0, Trimmed(argument).find(' '));
    if (!options_.required_login.empty() && !logged_in_) return "530 Login Required\r\n";
    if (id.empty() || options_.refused_ids.count(id)) return "550 Error, Invalid Pager ID\r\n";
    pager_ids_.push_back(id);
    return "250 Pager ID Accepted\r\n";
  }
  if (verb == "MESS") {
    if (has_message_) return "503 ERROR, Message Already Entered\r\n";
    if (argument.empty()) return "550 ERROR, Invalid Message\r\n";
    if (options_.max_message > 0 && argument.size() > options_.max_message)
      return "550 ERROR, Message Too Long (limit " + std::to_string(options_.max_message) +
             " bytes)\r\n";
    message_ = argument;
    has_message_ = true;
    return "250 Message OK\r\n";
  }
  if (verb == "SEND") {
    if (pager_ids_.empty() || !has_message_) return "503 Error, Pager ID or Message Incomplete\r\n";
    on_page({pager_ids_, message_});
    pager_ids_.clear();
    message_.clear();
    has_message_ = false;
    return "250 Message Sent Successfully\r\n";
  }
  if (verb == "RESE") {
    pager_ids_.clear();
    message_.clear();
    has_message_ = false;
    return "250 RESET OK\r\n";
  }
  if (verb == "LOGI") {
    const std::string user = Trimmed(argument.substr(0, argument.find(' ')));
    if (user.empty()) return "550 Error, Invalid Login\r\n";
    if (!options_.required_login.empty() && user != options_.required_login)
      return "550 Error, Invalid Login\r\n";
    logged_in_ = true;
    return "250 Login Accepted\r\n";
  }
  if (verb == "HELP") {
    return "214 PAGE <Pager ID>\r\n"
           "214 MESS <Message>\r\n"
           "214 SEND\r\n"
           "214 RESE\r\n"
           "214 LOGI <User> [Password]\r\n"
           "214 QUIT\r\n"
           "250 End of Help Information\r\n";
  }
  if (verb == "QUIT") {
    done = true;
    return "221 OK, goodbye\r\n";
  }
  return "500 Command Not Implemented\r\n";
}

void ServeClient(platform::Connection& client, const ServerOptions& options,
                 const std::function<void(const AcceptedPage&)>& on_page) {
  Session session(options);
  if (!client.Send(session.Greeting())) return;
  std::string pending;
  long long idle_since = platform::MonotonicMs();
  for (bool done = false; !done;) {
    for (size_t end; !done && (end = pending.find('\n')) != std::string::npos;) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!client.Send(session.Answer(line, done, on_page))) return;
    }
    if (done) break;
    if (pending.size() > kMaxLine) {
      client.Send("554 Error, Line Too Long\r\n");
      return;
    }
    if (platform::MonotonicMs() - idle_since > options.idle_timeout_ms) {
      client.Send("421 Timeout, Goodbye\r\n");
      return;
    }
    const platform::PollResult poll = client.Poll(200);
    if (poll == platform::PollResult::kDisconnected) return;
    if (poll == platform::PollResult::kNothing) continue;
    char buffer[4096];
    const int n = client.Receive(buffer, sizeof buffer);
    if (n <= 0) return;
    pending.append(buffer, static_cast<size_t>(n));
    idle_since = platform::MonotonicMs();
  }
}

}  // namespace tw::snpp
