// The whole paging exchange against a server that answers with arbitrary
// bytes split at arbitrary points. Whatever it says: every command stays one
// line, nobody is paged twice, "Success" only when every page was taken,
// and the log holds exactly the pages counted as sent.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "common/memory_row_list.h"
#include "paging/send_pages.h"

namespace {

class ScriptedConnection final : public tw::platform::Connection {
 public:
  ScriptedConnection(std::vector<uint8_t> sizes, std::string bytes, std::string* sent)
      : sizes_(std::move(sizes)), bytes_(std::move(bytes)), sent_(sent) {}
  tw::platform::PollResult Poll(int) override {
    return pos_ < bytes_.size() ? tw::platform::PollResult::kData
                                : tw::platform::PollResult::kDisconnected;
  }
  int Receive(char* buffer, int max) override {
    if (pos_ >= bytes_.size()) return 0;
    size_t chunk = sizes_.empty() ? bytes_.size() : 1 + sizes_[turn_++ % sizes_.size()];
    chunk = std::min({chunk, bytes_.size() - pos_, static_cast<size_t>(max)});
    std::copy_n(bytes_.data() + pos_, chunk, buffer);
    pos_ += chunk;
    return static_cast<int>(chunk);
  }
  bool Send(std::string_view bytes) override {
    sent_->append(bytes);
    return true;
  }

 private:
  std::vector<uint8_t> sizes_;
  std::string bytes_;
  std::string* sent_;
  size_t pos_ = 0;
  size_t turn_ = 0;
};

class Form final : public tw::PageForm, public tw::Dialogs {
 public:
  Form() : send_to_({299, 0}), available_({299, 0}) {
    send_to_.AppendRow({u"Doe, Jo", u"111"});
    send_to_.AppendRow({u"Roe, Al\r\nPAGE 8009", u"22\n2"});
    send_to_.AppendRow({u"Poe, Ed", u"333"});
  }
  tw::Text FromText() override { return u"Desk"; }
  tw::Text MessageText() override { return u"Call me \u00e9\rSEND"; }
  tw::RowList& SendToList() override { return send_to_; }
  tw::RowList& AvailableList() override { return available_; }
  void ClearMessage() override {}
  void ClearSearch() override {}
  tw::Dialogs& Boxes() override { return *this; }
  void ShowProgress(int, int) override {}
  tw::BoxAnswer ShowBox(const tw::Text& title, const tw::Text&, tw::BoxIcon, tw::BoxButtons,
                        bool) override {
    titles.push_back(title);
    return tw::BoxAnswer::kOk;
  }
  tw::Text Prompt(const tw::Text&, const tw::Text&, const tw::Text&, bool) override { return {}; }
  std::vector<tw::Text> titles;

 private:
  tw::MemoryRowList send_to_;
  tw::MemoryRowList available_;
};

int LogLines() {
  int lines = 0;
  for (const auto& e : std::filesystem::directory_iterator(".")) {
    if (e.path().filename().string().rfind("Pages-", 0) != 0) continue;
    std::ifstream in(e.path(), std::ios::binary);
    lines += static_cast<int>(std::count(std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>(), '\n'));
    in.close();
    std::filesystem::remove(e.path());
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The send log goes to the current folder; keep it out of the way.
  // One folder per process: fuzzers running side by side must not count
  // each other's log lines.
  const auto dir = std::filesystem::temp_directory_path() /
                   ("tellwave-exchange-fuzz-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t n_sizes = std::min<size_t>(data[0] % 8, size - 1);
  std::vector<uint8_t> sizes(data + 1, data + 1 + n_sizes);
  std::string bytes(reinterpret_cast<const char*>(data + 1 + n_sizes), size - 1 - n_sizes);
  std::string sent;
  Form form;
  tw::PagingServer server{"127.0.0.1", 444, (data[0] & 0x80) ? "desk" : "", 50, 50};
  const tw::ExchangeReport report = tw::SendPagesOver(
      form, server, std::make_unique<ScriptedConnection>(sizes, bytes, &sent));

  // Every command is one line ending in a single LF.
  if (!sent.empty() && sent.back() != '\n') std::abort();
  if (sent.find('\r') != std::string::npos) std::abort();
  int pages = 0, sends = 0;
  size_t pos = 0;
  while (pos < sent.size()) {
    const size_t end = sent.find('\n', pos);
    const std::string line = sent.substr(pos, end - pos);
    if (line.rfind("PAGE ", 0) == 0) ++pages;
    if (line == "SEND") ++sends;
    pos = end + 1;
  }
  if (pages > 3 || sends > 3) std::abort();  // one pass at most
  int sent_pages = 0;
  for (const auto& p : report.pages) sent_pages += p.outcome == tw::PageOutcome::kSent;
  if (sent_pages != report.sent || report.sent > sends) std::abort();
  const bool success = std::find(form.titles.begin(), form.titles.end(), u"Success") != form.titles.end();
  if (success != (report.sent == 3)) std::abort();
  if (LogLines() != report.sent) std::abort();
  return 0;
}
