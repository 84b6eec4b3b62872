#include "gui_support/gui_driver.h"

#include <commctrl.h>

#include <set>

#include "app/main_window.h"
#include "app/main_window_ids.h"
#include "common/data_locations.h"
#include "selection/saved_lists.h"
#include "support/temp_folder.h"
#include "toolkit/list_view.h"
#include "toolkit/toolkit.h"

namespace tw::testing {

namespace {

LPARAM PointParam(POINT at) { return MAKELPARAM(static_cast<short>(at.x), static_cast<short>(at.y)); }

bool Usable(HWND control) { return control != nullptr && IsWindowVisible(control) && IsWindowEnabled(control); }

POINT Middle(HWND control) {
  RECT client;
  GetClientRect(control, &client);
  return {client.right / 2, client.bottom / 2};
}

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof(name));
  return name;
}

}  // namespace

bool Click(HWND control) { return ClickAt(control, Middle(control)); }

bool ClickAt(HWND control, POINT at) {
  if (!Usable(control)) return false;
  PostMessageW(control, WM_MOUSEMOVE, 0, PointParam(at));
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(at));
  PostMessageW(control, WM_LBUTTONUP, 0, PointParam(at));
  return true;
}

bool DoubleClickAt(HWND control, POINT at) {
  if (!Usable(control)) return false;
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(at));
  PostMessageW(control, WM_LBUTTONUP, 0, PointParam(at));
  PostMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, PointParam(at));
  PostMessageW(control, WM_LBUTTONUP, 0, PointParam(at));
  return true;
}

bool RightClickAt(HWND control, POINT at) {
  if (!Usable(control)) return false;
  PostMessageW(control, WM_RBUTTONDOWN, MK_RBUTTON, PointParam(at));
  PostMessageW(control, WM_RBUTTONUP, 0, PointParam(at));
  return true;
}

POINT RowPoint(HWND list, int row) {
  RECT cell = {};
  cell.left = LVIR_LABEL;
  SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
  return {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
}

POINT BelowLastRow(HWND list) {
  RECT client;
  GetClientRect(list, &client);
  return {client.right / 3, client.bottom - 3};
}

void Type(HWND control, const Text& text) {
  SetFocus(control);
  for (char16_t unit : text) PostMessageW(control, WM_CHAR, unit, 1);
}

void PressKey(HWND focus, UINT virtual_key) {
  PostMessageW(focus, WM_KEYDOWN, virtual_key, 1);
  PostMessageW(focus, WM_KEYUP, virtual_key, 0xC0000001);
}

void ChooseMenuItem(HWND window, int item) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(item, 0), 0); }

void PressCloseBox(HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

Text WindowText(HWND hwnd) {
  // Another thread's window is asked with a time limit: a test thread that
  // waits for the window's thread must not hang the whole run.
  wchar_t buffer[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &copied);
  return Text(reinterpret_cast<const char16_t*>(buffer));
}

Answerer::Answerer(std::vector<Answer> answers) : answers_(std::move(answers)), thread_([this] { Watch(); }) {}

Answerer::~Answerer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  thread_.join();
}

std::vector<SeenDialog> Answerer::Seen() {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

bool Answerer::WaitDone(std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (next_ >= answers_.size()) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

namespace {

struct Found {
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectDialogs(HWND hwnd, LPARAM param) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != GetCurrentProcessId() || !IsWindowVisible(hwnd)) return TRUE;
  const std::string name = ClassOf(hwnd);
  if (name == "#32770" || name == "TellwavePrompt" || name == "#32768")
    reinterpret_cast<Found*>(param)->windows.push_back(hwnd);
  return TRUE;
}

}  // namespace

void Answerer::Watch() {
  std::set<HWND> answered;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_ || next_ >= answers_.size()) return;
    }
    Found found;
    EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&found));
    for (auto it = answered.begin(); it != answered.end();) it = IsWindow(*it) ? std::next(it) : answered.erase(it);
    for (HWND dialog : found.windows) {
      if (answered.count(dialog) != 0) continue;
      // Let the dialog finish building before it is read and answered.
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      SeenDialog seen;
      seen.window_class = ClassOf(dialog);
      seen.title = WindowText(dialog);
      const bool prompt = seen.window_class == "TellwavePrompt";
      const bool menu = seen.window_class == "#32768";
      if (menu) {
        DWORD_PTR handle = 0;
        SendMessageTimeoutW(dialog, MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, 2000, &handle);
        auto popup = reinterpret_cast<HMENU>(handle);
        wchar_t item[256] = {};
        GetMenuStringW(popup, 0, item, 256, MF_BYPOSITION);
        seen.text = Text(reinterpret_cast<const char16_t*>(item));
      } else {
        seen.text = prompt ? WindowText(GetDlgItem(dialog, 101)) : WindowText(GetDlgItem(dialog, 0xFFFF));
      }
      // A box that went away meanwhile, or one not yet showing its text,
      // must not use up the answer meant for the next one.
      if (!IsWindow(dialog) || !IsWindowVisible(dialog) || (!menu && seen.text.empty())) continue;
      Answer answer;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.push_back(seen);
        answer = answers_[next_++];
      }
      answered.insert(dialog);
      if (menu) {
        // The menu's own loop reads the keys from the thread's queue.
        if (answer.escape) {
          PressKey(dialog, VK_ESCAPE);
        } else {
          PressKey(dialog, VK_DOWN);
          PressKey(dialog, VK_RETURN);
        }
      } else if (prompt) {
        HWND field = GetDlgItem(dialog, toolkit::kPromptFieldId);
        if (answer.escape) {
          PressKey(field, VK_ESCAPE);
        } else {
          for (char16_t unit : answer.typed) PostMessageW(field, WM_CHAR, unit, 1);
          HWND ok = GetDlgItem(dialog, toolkit::kPromptOkId);
          if (answer.enter) {
            PressKey(field, VK_RETURN);
          } else if (answer.close) {
            PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
          } else {
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(toolkit::kPromptOkId, BN_CLICKED),
                         reinterpret_cast<LPARAM>(ok));
          }
        }
      } else {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, answer.button)));
      }
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

InCurrentDirectory::InCurrentDirectory(const Text& folder) {
  wchar_t old[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, old);
  old_ = old;
  SetCurrentDirectoryW(reinterpret_cast<const wchar_t*>(folder.c_str()));
}

InCurrentDirectory::~InCurrentDirectory() { SetCurrentDirectoryW(old_.c_str()); }

bool StartWithMainWindow(std::string_view directory_bytes) {
  Text here(MAX_PATH, u'\0');
  here.resize(GetCurrentDirectoryW(MAX_PATH, reinterpret_cast<wchar_t*>(here.data())));
  WriteBytes(WithTrailingSeparator(here) + u"pagers.dat", directory_bytes);
  InitDataLocations();
  toolkit::Startup();
  if (!OpenMainWindow(kMainWindowX, kMainWindowY, kMainWindowWidth, kMainWindowHeight))
    return false;
  ListViewRows saved = SavedListsRows();
  RefreshSavedLists(saved);
  return true;
}

}  // namespace tw::testing
