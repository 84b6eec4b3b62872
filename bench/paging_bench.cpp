// One exchange paging 1,000 recipients against a loopback server, set beside
// the bare dialogue: the same commands and replies over the same kind of
// connection with nothing else done. Both pay the server's turnarounds; the
// difference is the exchange's own work, the 1,000 log appends included.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/data_locations.h"
#include "common/memory_row_list.h"
#include "paging/send_log.h"
#include "paging/send_pages.h"
#include "platform/tcp.h"

namespace {

constexpr int kRecipients = 1000;

// Answers every command at once: 250 to all but QUIT, which ends the session.
class LoopbackServer {
 public:
  LoopbackServer() {
    tw::platform::StartNetwork();
    listener_ = tw::platform::Listen("127.0.0.1", 0);
    thread_ = std::thread([this] { Run(); });
  }
  ~LoopbackServer() {
    stop_ = true;
    thread_.join();
  }
  int Port() const { return listener_->Port(); }

 private:
  void Run() {
    while (!stop_) {
      auto client = listener_->Accept(50);
      if (client) Serve(*client);
    }
  }
  static void Serve(tw::platform::Connection& client) {
    client.Send("220 SNPP bench gateway ready\r\n");
    std::string pending;
    char buffer[4096];
    for (;;) {
      const int n = client.Receive(buffer, sizeof buffer);
      if (n <= 0) return;
      pending.append(buffer, static_cast<size_t>(n));
      for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
        const bool quit = pending.compare(0, 4, "QUIT") == 0;
        pending.erase(0, end + 1);
        client.Send(quit ? "221 OK, goodbye\r\n" : "250 OK\r\n");
        if (quit) return;
      }
    }
  }

  std::unique_ptr<tw::platform::Listener> listener_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class BenchForm final : public tw::PageForm, public tw::Dialogs {
 public:
  BenchForm() {
    for (int i = 0; i < kRecipients; ++i)
      send_to_.AppendRow(
          {u"Recipient " + tw::NumberText(i) + u", Test", tw::NumberText(10000 + i)});
  }
  tw::Text FromText() override { return u"Desk"; }
  tw::Text MessageText() override { return u"Plant alarm: boiler 3 pressure high, call the desk"; }
  tw::RowList& SendToList() override { return send_to_; }
  tw::RowList& AvailableList() override { return available_; }
  void ClearMessage() override {}
  void ClearSearch() override {}
  tw::Dialogs& Boxes() override { return *this; }
  void ShowProgress(int, int) override {}
  tw::BoxAnswer ShowBox(const tw::Text&, const tw::Text&, tw::BoxIcon, tw::BoxButtons,
                        bool) override {
    return tw::BoxAnswer::kOk;
  }
  tw::Text Prompt(const tw::Text&, const tw::Text&, const tw::Text&, bool) override { return {}; }

 private:
  tw::MemoryRowList send_to_{{299, 0}};
  tw::MemoryRowList available_{{299, 0}};
};

// The send log goes to the current directory: a fresh folder for the run.
class InScratchFolder {
 public:
  InScratchFolder() : previous_(std::filesystem::current_path()) {
    folder_ = std::filesystem::temp_directory_path() /
              ("tellwave-bench-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
    tw::InitDataLocations();
  }
  ~InScratchFolder() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }

 private:
  std::filesystem::path previous_;
  std::filesystem::path folder_;
};

void BM_SendPages1000(benchmark::State& state) {
  InScratchFolder scratch;
  LoopbackServer server;
  for (auto _ : state) {
    state.PauseTiming();
    BenchForm form;
    state.ResumeTiming();
    const tw::ExchangeReport report =
        tw::SendPages(form, tw::PagingServer{"127.0.0.1", server.Port(), ""});
    if (report.sent != kRecipients) state.SkipWithError("not every page was sent");
  }
  state.counters["pages/s"] =
      benchmark::Counter(kRecipients, benchmark::Counter::kIsIterationInvariantRate);
}

// Reads one reply line; false when the connection ends first.
bool ReadLine(tw::platform::Connection& c, std::string& pending) {
  char buffer[1024];
  for (;;) {
    const size_t end = pending.find('\n');
    if (end != std::string::npos) {
      pending.erase(0, end + 1);
      return true;
    }
    const int n = c.Receive(buffer, sizeof buffer);
    if (n <= 0) return false;
    pending.append(buffer, static_cast<size_t>(n));
  }
}

// The same commands and replies, and nothing else.
class BareDialogue {
 public:
  BareDialogue() {
    for (int i = kRecipients - 1; i >= 0; --i)
      pages_.push_back("PAGE 800" + std::to_string(10000 + i) + "\n");
  }
  bool Run(int port) const {
    auto c = tw::platform::Connect("127.0.0.1", port, 10000);
    std::string pending;
    bool ok = c && ReadLine(*c, pending);
    for (const std::string& page : pages_) {
      ok = ok && c->Send(page) && ReadLine(*c, pending) && c->Send(kMess) &&
           ReadLine(*c, pending) && c->Send("SEND\n") && ReadLine(*c, pending);
    }
    return ok && c->Send("QUIT\n") && ReadLine(*c, pending);
  }

 private:
  static constexpr char kMess[] =
      "MESS From:Desk Message: Plant alarm: boiler 3 pressure high, call the desk\n";
  std::vector<std::string> pages_;
};

void BM_BareDialogue1000(benchmark::State& state) {
  LoopbackServer server;
  const BareDialogue bare;
  for (auto _ : state) {
    if (!bare.Run(server.Port())) state.SkipWithError("the dialogue broke off");
  }
  state.counters["pages/s"] =
      benchmark::Counter(kRecipients, benchmark::Counter::kIsIterationInvariantRate);
}

// Both, turn about, so that whatever else the machine does weighs on each
// alike; "ratio" is the exchange's time over the bare dialogue's.
void BM_ExchangeOverBareDialogue(benchmark::State& state) {
  InScratchFolder scratch;
  LoopbackServer server;
  const BareDialogue bare;
  double bare_seconds = 0;
  double exchange_seconds = 0;
  for (auto _ : state) {
    BenchForm form;
    const auto t0 = std::chrono::steady_clock::now();
    const bool bare_ok = bare.Run(server.Port());
    const auto t1 = std::chrono::steady_clock::now();
    const tw::ExchangeReport report =
        tw::SendPages(form, tw::PagingServer{"127.0.0.1", server.Port(), ""});
    const auto t2 = std::chrono::steady_clock::now();
    if (!bare_ok || report.sent != kRecipients) state.SkipWithError("a page was lost");
    bare_seconds += std::chrono::duration<double>(t1 - t0).count();
    exchange_seconds += std::chrono::duration<double>(t2 - t1).count();
    state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
  }
  state.counters["bare_ms"] = bare_seconds * 1000 / static_cast<double>(state.iterations());
  state.counters["exchange_ms"] = exchange_seconds * 1000 / static_cast<double>(state.iterations());
  state.counters["ratio"] = bare_seconds > 0 ? exchange_seconds / bare_seconds : 0;
}

// The log's share of the exchange: the same 1,000 appends alone.
void BM_AppendSendLog1000(benchmark::State& state) {
  InScratchFolder scratch;
  for (auto _ : state) {
    for (int i = 0; i < kRecipients; ++i) {
      tw::AppendSendLog(u"Recipient " + tw::NumberText(i) + u", Test", tw::NumberText(10000 + i),
                        u"1:07 pm", u"Plant alarm: boiler 3 pressure high, call the desk", u"Desk",
                        u"operator", u"DESK-7");
    }
  }
}

BENCHMARK(BM_AppendSendLog1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareDialogue1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SendPages1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExchangeOverBareDialogue)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(3);

}  // namespace

BENCHMARK_MAIN();
