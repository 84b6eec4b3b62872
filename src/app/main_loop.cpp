// The main event loop: enable rules, then dispatch by control and menu item.
#include <algorithm>

#include "about/win/about_window.h"
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/main_window_ids.h"
#include "app/startup.h"
#include "common/data_locations.h"
#include "common/settings.h"
#include "directory/directory_file.h"
#include "directory/win/editor_window.h"
#include "paging/send_pages.h"
#include "selection/picker.h"
#include "selection/saved_lists.h"


// The editor takes the main window's place by opening under its number; the
// About window must not.
static_assert(tw::kEditorWindow == tw::kMainWindow);
static_assert(tw::kAboutWindow != tw::kMainWindow);
namespace tw {

using toolkit::ControlEventType;
using toolkit::Event;
using toolkit::EventKind;

int& CharactersLeft() {
  static int value = kMessageLimit;
  return value;
}

bool& ShowPagerIds() {
  static bool value = false;
  return value;
}

Text& OfferedListName() {
  static Text value;
  return value;
}

namespace {

constexpr char16_t kTitle[] = u"Tellwave";

// The main window as the paging exchange sees it.
class MainWindowForm final : public PageForm {
 public:
  Text FromText() override { return toolkit::GetText(kMainWindow, kFromField); }
  Text MessageText() override { return toolkit::GetText(kMainWindow, kMessageField); }
  RowList& SendToList() override { return send_to_; }
  RowList& AvailableList() override { return available_; }
  void ClearMessage() override {
    toolkit::SetText(kMainWindow, kMessageField, {});
    toolkit::SetText(kMainWindow, kMessageLabel, MessageCounterText(kMessageLimit));
  }
  void ClearSearch() override { toolkit::SetText(kMainWindow, kSearchField, {}); }
  Dialogs& Boxes() override { return toolkit::Boxes(); }
  // The exchange holds the thread; the title tells how far it has come and
  // the window keeps painting meanwhile, dropping whatever the user does.
  void ShowProgress(int done, int total) override {
    const Text title = done < total ? Text(kTitle) + u" - Sending page " + NumberText(done + 1) + u" of " +
                                          NumberText(total) + u"\u2026"
                                    : Text(kTitle);
    if (title != shown_title_) {
      toolkit::SetWindowTitle(kMainWindow, title);
      shown_title_ = title;
    }
    toolkit::KeepResponsive();
  }

 private:
  ListViewRows send_to_ = SendToRows();
  ListViewRows available_ = AvailableRows();
  Text shown_title_ = kTitle;
};

std::optional<PagingServer>& PagingServerOverride() {
  static std::optional<PagingServer> server;
  return server;
}

bool HasMessageAndRecipients() {
  return toolkit::TextLength(kMainWindow, kMessageField) > 0 && SendToRows().RowCount() > 0;
}

void SendFromWindow() {
  if (!HasMessageAndRecipients()) return;
  MainWindowForm form;
  SendPages(form, PagingServerOverride().value_or(BuildPagingServer()));
  toolkit::SetWindowTitle(kMainWindow, kTitle);
}

void ReloadAvailable() {
  ListViewRows available = AvailableRows();
  RedrawSuspended quiet(available);
  LoadRecipientLines(available, DirectoryPath());
}

void MoveRows(int from_id, int to_id) {
  ListViewRows from(toolkit::ControlHandle(kMainWindow, from_id));
  ListViewRows to(toolkit::ControlHandle(kMainWindow, to_id));
  MoveSelectedRows(from, to, from.RowCount());
}

// The message counter follows the user's edits only.
void UpdateMessageCounter() {
  CharactersLeft() = std::max(0, kMessageLimit - toolkit::TextLength(kMainWindow, kMessageField));
  toolkit::SetText(kMainWindow, kMessageLabel, MessageCounterText(CharactersLeft()));
  CharactersLeft() = kMessageLimit;
}

void ShowOrHidePagerIds() {
  ListViewRows available = AvailableRows();
  ListViewRows send_to = SendToRows();
  const PagerIdDisplay display = TogglePagerIds(available, send_to, ShowPagerIds());
  toolkit::SetMenuCheck(kMainWindow, kShowPagerIdsItem, display.checked);
  toolkit::SetText(kMainWindow, kSearchLabel, display.search_label);
}

void OfferRemovalOfSelectedList() {
  const std::optional<ListRemovalOffer> offer = OfferListRemoval(SavedListsRows());
  if (!offer) return;
  OfferedListName() = offer->name;
  toolkit::SetPopupItemText(kListPopupMenu, kRemoveListItem, offer->item_text);
  toolkit::ShowPopupMenu(kListPopupMenu, kMainWindow);
}

void ClearPagers() {
  ListViewRows available = AvailableRows();
  ListViewRows send_to = SendToRows();
  RedrawSuspended quiet_available(available);
  RedrawSuspended quiet_send_to(send_to);
  send_to.RemoveAllRows();
  available.RemoveAllRows();
  LoadRecipientLines(available, DirectoryPath());
}

void LeaveProgram() { CompactDirectoryFile(DirectoryPath()); }

// True when the item was an exit path.
bool OnMenu(int item) {
  switch (item) {
    case kEditPagerListItem:
      // The editor took the main window's place; whatever was typed or
      // picked went with it, and the window comes back new.
      if (EditPagerList()) RebuildMainWindow();
      break;
    case kExitItem:
      LeaveProgram();
      return true;
    case kShowPagerIdsItem:
      ShowOrHidePagerIds();
      break;
    case kUpdatePagerListItem: {
      SendToRows().RemoveAllRows();
      AvailableRows().RemoveAllRows();
      ReloadAvailable();
      break;
    }
    case kAboutItem:
      ShowAboutWindow(u"About Tellwave");
      break;
    case kEnterShortcutItem:
      // Unlike SendButton, Enter does not ask for a From name.
      SendFromWindow();
      break;
    case kRemoveListItem: {
      ListViewRows saved = SavedListsRows();
      RemoveRecipientList(OfferedListName(), toolkit::Boxes(), saved);
      break;
    }
    default:
      break;
  }
  return false;
}

// First by control, whatever the event type; true when it was an exit path.
bool OnControl(int id, ControlEventType type) {
  switch (id) {
    case kAddButton:
      MoveRows(kAvailableList, kSendToList);
      break;
    case kRemoveButton:
      MoveRows(kSendToList, kAvailableList);
      break;
    case kClearPagersButton:
      ClearPagers();
      break;
    case kSaveToListButton: {
      ListViewRows saved = SavedListsRows();
      SaveRecipientList(toolkit::Boxes(), SendToRows(), saved);
      break;
    }
    case kSendButton:
      SendFromWindow();
      break;
    case kExitButton:
      LeaveProgram();
      return true;
    case kMessageField:
      if (type == ControlEventType::kChanged) UpdateMessageCounter();
      break;
    case kSearchField:
      if (type == ControlEventType::kChanged) {
        ListViewRows available = AvailableRows();
        FindInList(available, toolkit::GetText(kMainWindow, kSearchField), nullptr, -1);
      }
      break;
    case kFromLabel:
      toolkit::SetText(kMainWindow, kFromField, {});
      break;
    case kMessageLabel:
      toolkit::SetText(kMainWindow, kMessageField, {});
      toolkit::SetText(kMainWindow, kMessageLabel, MessageCounterText(kMessageLimit));
      break;
    default:
      break;
  }
  return false;
}

// Then by event type.
void OnControlType(int id, ControlEventType type) {
  if (type == ControlEventType::kRightClick && id == kSavedListsList) {
    OfferRemovalOfSelectedList();
  } else if (type == ControlEventType::kDoubleClick) {
    if (id == kAvailableList) {
      MoveRows(kAvailableList, kSendToList);
    } else if (id == kSendToList) {
      MoveRows(kSendToList, kAvailableList);
    } else if (id == kSavedListsList) {
      ListViewRows send_to = SendToRows();
      ListViewRows available = AvailableRows();
      LoadRecipientList(SavedListsRows(), send_to, available);
    }
  }
}

}  // namespace

void SetPagingServerForTesting(std::optional<PagingServer> server) { PagingServerOverride() = std::move(server); }

void SetButtonStates() {
  const int recipients = SendToRows().RowCount();
  const bool fields_filled = toolkit::TextLength(kMainWindow, kMessageField) > 0 &&
                             toolkit::TextLength(kMainWindow, kFromField) > 0;
  toolkit::Enable(kMainWindow, kSendButton, fields_filled && recipients > 0);
  toolkit::Enable(kMainWindow, kClearPagersButton, recipients > 0);
  toolkit::Enable(kMainWindow, kSaveToListButton, recipients > 0);
}

bool DispatchMainEvent(const Event& event) {
  if (event.window != kMainWindow) return false;
  switch (event.kind) {
    case EventKind::kMenu:
      return OnMenu(event.id);
    case EventKind::kClose:
      LeaveProgram();
      return true;
    case EventKind::kControl:
      if (OnControl(event.id, event.type)) return true;
      OnControlType(event.id, event.type);
      return false;
  }
  return false;
}

bool RunMainLoopPass(int wait_ms) {
  const std::optional<Event> event = toolkit::WaitEvent(wait_ms);
  TrimWorkingSet();
  SetButtonStates();
  return event && DispatchMainEvent(*event);
}

void RunMainLoop() {
  while (!RunMainLoopPass(1)) {
  }
}

}  // namespace tw
