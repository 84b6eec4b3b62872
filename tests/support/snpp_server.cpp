#include "support/snpp_server.h"

#include <chrono>

#include "platform/clock.h"

namespace tw::testing {

namespace {
constexpr int kSliceMs = 20;

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }
}  // namespace

ScriptedSnppServer::ScriptedSnppServer(SnppScript script) : script_(std::move(script)) {
  platform::StartNetwork();
  listener_ = platform::Listen("127.0.0.1", 0);
  if (!listener_) return;
  port_ = listener_->Port();
  thread_ = std::thread([this] { Serve(); });
}

ScriptedSnppServer::~ScriptedSnppServer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  if (thread_.joinable()) thread_.join();
}

std::string ScriptedSnppServer::Received(int wait_ms) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    done_cv_.wait_for(lock, std::chrono::milliseconds(wait_ms), [this] { return done_; });
    stop_ = true;
  }
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

std::vector<std::string> ScriptedSnppServer::Commands(int wait_ms) {
  const std::string bytes = Received(wait_ms);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(bytes.substr(start, end - start));
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

bool ScriptedSnppServer::Connected() {
  std::lock_guard<std::mutex> lock(mutex_);
  return connected_;
}

void ScriptedSnppServer::Answer(platform::Connection& client, const std::string& line, int index,
                                std::string& last_page, bool& hang_up) {
  std::string reply;
  if (StartsWith(line, "PAGE ")) {
    last_page = line.substr(5);
    reply = !script_.refuse_page_of.empty() && last_page == script_.refuse_page_of
                ? script_.refusal
                : script_.page_reply;
  } else if (StartsWith(line, "MESS ")) {
    reply =
        !script_.refuse_mess_after_page_of.empty() && last_page == script_.refuse_mess_after_page_of
            ? script_.refusal
            : script_.mess_reply;
  } else if (line == "SEND") {
    reply = script_.send_reply;
  } else if (line == "RESE") {
    last_page.clear();
    reply = script_.rese_reply;
  } else if (StartsWith(line, "LOGI ")) {
    reply = script_.logi_reply;
  } else if (line == "QUIT") {
    reply = script_.quit_reply;
    hang_up = script_.close_after_quit;
  } else {
    reply = script_.other_reply;
  }
  if (auto it = script_.reply_to_command.find(index); it != script_.reply_to_command.end())
    reply = it->second;
  if (script_.reply_delay_ms > 0) platform::SleepMs(script_.reply_delay_ms);
  if (!reply.empty()) client.Send(reply);
}

void ScriptedSnppServer::Serve() {
  auto stopping = [this] {
    std::lock_guard<std::mutex> lock(mutex_);
    return stop_;
  };
  std::unique_ptr<platform::Connection> client;
  while (!client && !stopping()) client = listener_->Accept(kSliceMs);
  if (client) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      connected_ = true;
    }
    for (size_t i = 0; i < script_.greeting.size(); ++i) {
      if (i > 0) platform::SleepMs(script_.greeting_pause_ms);
      client->Send(script_.greeting[i]);
    }
    for (int i = 0; i < script_.flood_count; ++i) {
      if (!client->Send(script_.flood)) break;
    }
    std::string pending;
    std::string last_page;
    int index = 0;
    bool hang_up = false;
    while (!hang_up && !stopping()) {
      const platform::PollResult poll = client->Poll(kSliceMs);
      if (poll == platform::PollResult::kNothing) continue;
      if (poll == platform::PollResult::kDisconnected) break;
      char buffer[4096];
      const int n = client->Receive(buffer, sizeof buffer);
      if (n <= 0) break;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        received_.append(buffer, static_cast<size_t>(n));
      }
      pending.append(buffer, static_cast<size_t>(n));
      for (size_t end; !hang_up && (end = pending.find('\n')) != std::string::npos;) {
        const std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        ++index;
        if (script_.close_at_command > 0 && index >= script_.close_at_command) {
          hang_up = true;
        } else if (script_.silent_from_command == 0 || index < script_.silent_from_command) {
          Answer(*client, line, index, last_page, hang_up);
        }
      }
    }
    client.reset();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  done_ = true;
  done_cv_.notify_all();
}

}  // namespace tw::testing
