#pragma once
// A scripted SNPP server on real loopback TCP, run on a thread of the test
// process. It answers like a level-1 server unless its script tells it to
// misbehave, and records every byte it receives.
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/tcp.h"

namespace tw::testing {

struct SnppScript {
  // Sent one after the other with a pause between them; empty: the server
  // never greets.
  std::vector<std::string> greeting = {"220 SNPP test gateway ready\r\n"};
  int greeting_pause_ms = 100;
  // Sent right after the greeting, `flood_count` times.
  std::string flood;
  int flood_count = 0;

  std::string page_reply = "250 Pager ID Accepted\r\n";
  std::string mess_reply = "250 Message OK\r\n";
  std::string send_reply = "250 Message Sent Successfully\r\n";
  std::string rese_reply = "250 RESET OK\r\n";
  std::string logi_reply = "250 Login Accepted\r\n";
  std::string quit_reply = "221 OK, goodbye\r\n";
  std::string other_reply = "500 Command Not Implemented\r\n";
  // Replies given instead of the above to the n-th command (1-based).
  std::map<int, std::string> reply_to_command;
  // "550 ..." to the PAGE of this pager ID as written (with its 800), or to
  // the MESS that follows it.
  std::string refuse_page_of;
  std::string refuse_mess_after_page_of;
  std::string refusal = "550 Error, Invalid Pager ID\r\n";
  // The server closes right after reading the n-th command, unanswered.
  int close_at_command = 0;
  // The server reads but no longer answers from the n-th command on.
  int silent_from_command = 0;
  // Whether the server hangs up after answering QUIT.
  bool close_after_quit = true;
  // Pause before every reply.
  int reply_delay_ms = 0;
};

class ScriptedSnppServer {
 public:
  explicit ScriptedSnppServer(SnppScript script = {});
  ~ScriptedSnppServer();
  ScriptedSnppServer(const ScriptedSnppServer&) = delete;
  ScriptedSnppServer& operator=(const ScriptedSnppServer&) = delete;

  int Port() const { return port_; }
  // Waits until the client has gone (at most wait_ms), stops the server and
  // returns every byte it received.
  std::string Received(int wait_ms = 20000);
  // The same, cut into the command lines (without their LF).
  std::vector<std::string> Commands(int wait_ms = 20000);
  // Whether a client connected at all.
  bool Connected();

 private:
  void Serve();
  void Answer(platform::Connection& client, const std::string& line, int index,
              std::string& last_page, bool& hang_up);

  SnppScript script_;
  std::unique_ptr<platform::Listener> listener_;
  int port_ = 0;
  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  bool stop_ = false;
  bool connected_ = false;
  std::string received_;
  std::thread thread_;
};

}  // namespace tw::testing
