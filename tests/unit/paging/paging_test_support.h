#pragma once
// Shared by the paging tests: a message form held in memory and the current
// directory moved into a temporary folder.
#include <filesystem>
#include <string>
#include <vector>

#include "common/dialogs.h"
#include "common/memory_row_list.h"
#include "paging/send_pages.h"
#include "support/temp_folder.h"

namespace tw::testing {

struct ShownBox {
  std::string title;
  std::string text;
  BoxIcon icon;
};

// The message form with what the main window would show, and a journal of
// what the exchange did to it, in order.
class MemoryPageForm final : public PageForm, public Dialogs {
 public:
  MemoryPageForm() : send_to_({299, 0}), available_({299, 0}) {}

  Text FromText() override { return from; }
  Text MessageText() override { return message; }
  RowList& SendToList() override { return send_to_; }
  RowList& AvailableList() override { return available_; }
  void ClearMessage() override {
    message.clear();
    message_label = u"Message:(120 Characters Left)";
    journal.push_back("clear message");
  }
  void ClearSearch() override {
    search.clear();
    journal.push_back("clear search");
  }
  Dialogs& Boxes() override { return *this; }
  void ShowProgress(int done, int total) override {
    if (progress.empty() || progress.back() != std::pair(done, total))
      progress.push_back({done, total});
  }
  BoxAnswer ShowBox(const Text& title, const Text& text, BoxIcon icon, BoxButtons, bool) override {
    boxes.push_back({Narrow(title), Narrow(text), icon});
    journal.push_back("box " + Narrow(title));
    return BoxAnswer::kOk;
  }
  Text Prompt(const Text&, const Text&, const Text&, bool) override { return {}; }

  MemoryRowList& send_to() { return send_to_; }
  MemoryRowList& available() { return available_; }

  Text from = u"Desk";
  Text message = u"Call me";
  Text search = u"Do";
  Text message_label = u"Message:(113 Characters Left)";
  std::vector<ShownBox> boxes;
  std::vector<std::string> journal;
  std::vector<std::pair<int, int>> progress;

 private:
  MemoryRowList send_to_;
  MemoryRowList available_;
};

// Makes a temporary folder the current directory (where the send log and
// pagers.dat live in Local mode) for the life of the object.
class InTempFolder {
 public:
  InTempFolder();
  ~InTempFolder();
  const TempFolder& folder() const { return folder_; }

 private:
  TempFolder folder_;
  std::filesystem::path previous_;
};

}  // namespace tw::testing
