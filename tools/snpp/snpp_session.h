#pragma once
// One client's session with the development SNPP server: RFC 1861 level 1
// (PAGE, MESS, SEND, RESE, QUIT, HELP) with LOGI accepted.
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/tcp.h"

namespace tw::snpp {

struct ServerOptions {
  int port = 444;
  // Pager IDs as the client writes them (with any prefix), refused at PAGE.
  std::set<std::string> refused_ids;
  // Messages longer than this many bytes are refused; 0: no limit.
  size_t max_message = 0;
  // When set, PAGE is refused until LOGI names this user.
  std::string required_login;
  // A client that says nothing for this long is sent away.
  int idle_timeout_ms = 300000;
};

struct AcceptedPage {
  std::vector<std::string> pager_ids;
  std::string message;
};

// Runs one session to its end. Each page the server accepts is handed to
// on_page before SEND is answered.
void ServeClient(platform::Connection& client, const ServerOptions& options,
                 const std::function<void(const AcceptedPage&)>& on_page);

// The reply to one command line (without its line end), given the session's
// state; an empty reply is never given. Exposed for tests.
class Session {
 public:
  explicit Session(const ServerOptions& options) : options_(options) {}
  std::string Greeting() const;
  // The reply, CR LF included; sets `done` after QUIT.
  std::string Answer(const std::string& line, bool& done,
                     const std::function<void(const AcceptedPage&)>& on_page);

 private:
  const ServerOptions& options_;
  bool logged_in_ = false;
  std::vector<std::string> pager_ids_;
  std::string message_;
  bool has_message_ = false;
};

}  // namespace tw::snpp
