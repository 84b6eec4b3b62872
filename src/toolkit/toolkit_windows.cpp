// Top-level windows, menus, the event queue and the wait.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>

#include "resource_ids.h"
#include "toolkit/list_view.h"
#include "toolkit/toolkit_internal.h"

namespace tw::toolkit {

using detail::FindWindowState;
using detail::WindowState;
using detail::Wide;

namespace {

constexpr wchar_t kWindowClass[] = L"TellwaveWindow";

std::map<int, std::unique_ptr<WindowState>> windows;
std::deque<Event> queue;
// True while KeepResponsive runs: nothing the user does then is queued.
bool busy = false;
int last_opened = -1;
std::map<int, HMENU> popups;

bool ControlWantsClicks(HWND control) {
  wchar_t name[32] = {};
  GetClassNameW(control, name, 32);
  return lstrcmpiW(name, WC_LISTVIEWW) == 0;
}

LRESULT OnCommand(WindowState& state, WPARAM wparam, LPARAM lparam) {
  const int id = LOWORD(wparam);
  const int code = HIWORD(wparam);
  if (lparam == 0) {
    if (code == 0 && state.menu_items.count(id) != 0)
      detail::PushEvent({EventKind::kMenu, state.number, id});
    return 0;
  }
  if (code == BN_CLICKED) {
    wchar_t name[16] = {};
    GetClassNameW(reinterpret_cast<HWND>(lparam), name, 16);
    if (lstrcmpiW(name, L"Button") == 0)
      detail::PushEvent({EventKind::kControl, state.number, id, ControlEventType::kClick});
  } else if (code == EN_CHANGE && detail::quiet_changes == 0) {
    detail::PushEvent({EventKind::kControl, state.number, id, ControlEventType::kChanged});
  }
  return 0;
}

bool OnNotify(WindowState& state, LPARAM lparam, LRESULT* result) {
  if (HandleListCustomDraw(lparam, result)) return true;
  const auto* header = reinterpret_cast<const NMHDR*>(lparam);
  if (GetParent(header->hwndFrom) != state.hwnd || !ControlWantsClicks(header->hwndFrom)) return false;
  const int id = static_cast<int>(header->idFrom);
  if (header->code == NM_DBLCLK)
    detail::PushEvent({EventKind::kControl, state.number, id, ControlEventType::kDoubleClick});
  else if (header->code == NM_RCLICK)
    detail::PushEvent({EventKind::kControl, state.number, id, ControlEventType::kRightClick});
  return false;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  WindowState* state = FindWindowState(hwnd);
  if (state == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  switch (message) {
    case WM_COMMAND:
      return OnCommand(*state, wparam, lparam);
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (OnNotify(*state, lparam, &result)) return result;
      break;
    }
    case WM_CLOSE:
      // The program decides what a close request means; the window stays.
      detail::PushEvent({EventKind::kClose, state->number, 0});
      return 0;
    case WM_CTLCOLORSTATIC: {
      auto* link = static_cast<const LinkColours*>(GetPropW(reinterpret_cast<HWND>(lparam), L"_TwLinkColours"));
      if (link != nullptr) {
        const bool hovered = GetPropW(reinterpret_cast<HWND>(lparam), L"_TwLinkHovered") != nullptr;
        const auto colour = hovered ? link->hovered : link->at_rest;
        auto* dc = reinterpret_cast<HDC>(wparam);
        SetTextColor(dc, colour.value_or(GetSysColor(COLOR_WINDOWTEXT)));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void RegisterWindowClass() {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(IDI_TELLWAVE));
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  RegisterClassExW(&wc);
}

// Resizes the frame so that the client area keeps its size (a menu bar
// takes room from it) and centres the window on the primary screen.
void FitAndCentre(HWND hwnd, int width, int height) {
  RECT frame = {0, 0, width, height};
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  AdjustWindowRectEx(&frame, style, GetMenu(hwnd) != nullptr, ex_style);
  const int w = frame.right - frame.left;
  int h = frame.bottom - frame.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  // A menu bar that wraps onto two lines is taller than Adjust assumes.
  RECT client;
  GetClientRect(hwnd, &client);
  if (client.bottom != height) {
    h += height - client.bottom;
    SetWindowPos(hwnd, nullptr, x, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

bool IsInputMessage(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

bool ModifierDown() {
  return (GetKeyState(VK_CONTROL) & 0x8000) || (GetKeyState(VK_SHIFT) & 0x8000) ||
         (GetKeyState(VK_MENU) & 0x8000);
}

// Shortcuts are taken from the queue before the focused control sees the key.
bool TakeShortcut(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.hwnd == nullptr) return false;
  WindowState* state = FindWindowState(GetAncestor(msg.hwnd, GA_ROOT));
  if (state == nullptr || GetActiveWindow() != state->hwnd || ModifierDown()) return false;
  for (const auto& [key, item] : state->shortcuts) {
    if (key == msg.wParam) {
      detail::PushEvent({EventKind::kMenu, state->number, item});
      return true;
    }
  }
  return false;
}

// Tab and Shift+Tab move the focus through the controls in creation order.
// Only those keys go through IsDialogMessage: it would turn Enter and
// Escape into IDOK and IDCANCEL commands that read like menu items 1 and 2.
bool TakeTab(const MSG& msg) {
  if ((msg.message != WM_KEYDOWN && msg.message != WM_CHAR) || msg.wParam != VK_TAB) return false;
  WindowState* state = msg.hwnd ? FindWindowState(GetAncestor(msg.hwnd, GA_ROOT)) : nullptr;
  if (state == nullptr) return false;
  return IsDialogMessageW(state->hwnd, const_cast<MSG*>(&msg)) != FALSE;
}

void HandleWaitingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (TakeShortcut(msg) || TakeTab(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

namespace detail {

int quiet_changes = 0;

WindowState* FindWindowState(int window) {
  auto it = windows.find(window);
  return it == windows.end() ? nullptr : it->second.get();
}

WindowState* FindWindowState(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  for (auto& [number, state] : windows)
    if (state->hwnd == hwnd) return state.get();
  return nullptr;
}

void PushEvent(const Event& event) {
  if (busy) return;
  if (!queue.empty() && queue.back() == event) return;
  queue.push_back(event);
}

HWND DialogOwner() {
  HWND active = GetActiveWindow();
  if (FindWindowState(active) != nullptr) return active;
  if (WindowState* last = FindWindowState(last_opened)) return last->hwnd;
  return nullptr;
}

}  // namespace detail

void Startup() {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                               ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  RegisterWindowClass();
  detail::RegisterPromptClass();
}

void Shutdown() {
  while (!windows.empty()) CloseWindow(windows.begin()->first);
  for (auto& [number, menu] : popups) DestroyMenu(menu);
  popups.clear();
  queue.clear();
  detail::ReleasePictures();
  detail::ReleaseFonts();
  CoUninitialize();
}

std::optional<Event> WaitEvent(int timeout_ms) {
  if (queue.empty()) {
    // The main loop comes here a thousand times a second while idle; each
    // call into the window system is a round trip under Wine, so the wait
    // goes first (it returns at once when messages are waiting) and the
    // queue is read once after it.
    if (timeout_ms > 0)
      MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(timeout_ms), QS_ALLINPUT,
                                  MWMO_INPUTAVAILABLE);
    HandleWaitingMessages();
  }
  if (queue.empty()) return std::nullopt;
  Event event = queue.front();
  queue.pop_front();
  return event;
}

void DiscardEvents() { queue.clear(); }

void KeepResponsive() {
  busy = true;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (IsInputMessage(msg.message)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  busy = false;
}

bool OpenWindow(int window, const Text& title, int width, int height, const WindowOptions& options) {
  CloseWindow(window);
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
  if (options.system_menu) style |= WS_SYSMENU;
  if (options.minimise_box) style |= WS_MINIMIZEBOX;
  auto state = std::make_unique<WindowState>();
  state->number = window;
  WindowState* raw = state.get();
  windows[window] = std::move(state);
  // The window procedure finds its state by handle, so it is known before
  // the first message that matters (WM_CREATE needs nothing of ours).
  HWND hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, Wide(title), style, CW_USEDEFAULT,
                              CW_USEDEFAULT, width, height, nullptr, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
  if (hwnd == nullptr) {
    windows.erase(window);
    return false;
  }
  raw->hwnd = hwnd;
  FitAndCentre(hwnd, width, height);
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  UpdateWindow(hwnd);
  last_opened = window;
  return true;
}

void CloseWindow(int window) {
  auto it = windows.find(window);
  if (it == windows.end()) return;
  HWND hwnd = it->second->hwnd;
  windows.erase(it);
  if (hwnd != nullptr) DestroyWindow(hwnd);
  // Events of the old window must not reach whoever opens the number next.
  queue.erase(std::remove_if(queue.begin(), queue.end(), [&](const Event& e) { return e.window == window; }),
              queue.end());
  if (last_opened == window) last_opened = windows.empty() ? -1 : windows.rbegin()->first;
}

bool WindowIsOpen(int window) { return FindWindowState(window) != nullptr; }

HWND WindowHandle(int window) {
  WindowState* state = FindWindowState(window);
  return state ? state->hwnd : nullptr;
}

void SetWindowTitle(int window, const Text& title) {
  if (HWND hwnd = WindowHandle(window)) SetWindowTextW(hwnd, Wide(title));
}

Text WindowTitle(int window) {
  HWND hwnd = WindowHandle(window);
  if (hwnd == nullptr) return {};
  Text text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, u'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, reinterpret_cast<wchar_t*>(text.data()),
                                                 static_cast<int>(text.size()))));
  return text;
}

void SetMenuBar(int window, const std::vector<Menu>& menus) {
  WindowState* state = FindWindowState(window);
  if (state == nullptr) return;
  HMENU bar = CreateMenu();
  for (const Menu& menu : menus) {
    HMENU sub = ::CreatePopupMenu();
    for (const MenuItem& item : menu.items) {
      AppendMenuW(sub, MF_STRING, static_cast<UINT_PTR>(item.item), Wide(item.text));
      state->menu_items.insert(item.item);
    }
    AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), Wide(menu.title));
  }
  HMENU old = GetMenu(state->hwnd);
  SetMenu(state->hwnd, bar);
  if (old != nullptr) DestroyMenu(old);
  RECT client;
  GetClientRect(state->hwnd, &client);
  // Keep the client size the window was opened with.
  RECT frame;
  GetWindowRect(state->hwnd, &frame);
  RECT no_menu = {0, 0, 0, 0};
  AdjustWindowRectEx(&no_menu, static_cast<DWORD>(GetWindowLongPtrW(state->hwnd, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(state->hwnd, GWL_EXSTYLE)));
  const int width = (frame.right - frame.left) - (no_menu.right - no_menu.left);
  const int height = (frame.bottom - frame.top) - (no_menu.bottom - no_menu.top);
  FitAndCentre(state->hwnd, width, height);
}

void SetMenuCheck(int window, int item, bool checked) {
  if (HWND hwnd = WindowHandle(window))
    CheckMenuItem(GetMenu(hwnd), static_cast<UINT>(item), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool MenuChecked(int window, int item) {
  HWND hwnd = WindowHandle(window);
  if (hwnd == nullptr) return false;
  const UINT state = GetMenuState(GetMenu(hwnd), static_cast<UINT>(item), MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
}

void AddShortcut(int window, UINT virtual_key, int item) {
  if (WindowState* state = FindWindowState(window)) state->shortcuts.emplace_back(virtual_key, item);
}

void CreatePopupMenu(int popup, const std::vector<MenuItem>& items) {
  if (auto it = popups.find(popup); it != popups.end()) DestroyMenu(it->second);
  HMENU menu = ::CreatePopupMenu();
  for (const MenuItem& item : items)
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.item), Wide(item.text));
  popups[popup] = menu;
}

void SetPopupItemText(int popup, int item, const Text& text) {
  auto it = popups.find(popup);
  if (it == popups.end()) return;
  ModifyMenuW(it->second, static_cast<UINT>(item), MF_BYCOMMAND | MF_STRING, static_cast<UINT_PTR>(item),
              Wide(text));
}

void ShowPopupMenu(int popup, int window) {
  auto it = popups.find(popup);
  HWND owner = WindowHandle(window);
  if (it == popups.end() || owner == nullptr) return;
  POINT at;
  GetCursorPos(&at);
  // TPM_RETURNCMD hands the choice back here instead of as a WM_COMMAND,
  // which the owner could not tell from its menu bar's.
  const int chosen = TrackPopupMenu(it->second, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN,
                                    at.x - 1, at.y - 1, 0, owner, nullptr);
  if (chosen != 0) detail::PushEvent({EventKind::kMenu, window, chosen});
}

}  // namespace tw::toolkit
