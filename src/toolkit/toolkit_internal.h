#pragma once
// What the toolkit's own files share; nothing outside src/toolkit includes it.
#include <windows.h>

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "toolkit/toolkit.h"

namespace tw::toolkit::detail {

struct WindowState {
  int number = 0;
  HWND hwnd = nullptr;
  HWND tooltip = nullptr;
  // Menu item numbers this window's WM_COMMANDs may carry; anything else
  // without a control handle is not a menu choice (IsDialogMessage sends
  // IDOK and IDCANCEL that way) and is dropped.
  std::set<int> menu_items;
  std::vector<std::pair<UINT, int>> shortcuts;  // virtual key, menu item
  // Control handles by id. GetDlgItem asks the window server for the list
  // of children every time, and the main loop looks up controls on every
  // pass.
  std::map<int, HWND> controls;
};

WindowState* FindWindowState(int window);
WindowState* FindWindowState(HWND hwnd);

// Queues an event unless the thread is busy or the same event is already the
// last one waiting.
void PushEvent(const Event& event);

// While > 0, EN_CHANGE notifications come from the program, not the user.
extern int quiet_changes;

// The font every control gets unless told otherwise.
HFONT DefaultFont();

// Creates a child control with the default font; nullptr when the window is
// not open or creation fails.
HWND CreateControl(int window, int id, const wchar_t* window_class, const Text& text,
                   DWORD style, DWORD ex_style, Rect at);

// The decoded PNG resource, composited over the colour, owned by the toolkit.
HBITMAP PngBitmap(int png_resource, COLORREF background);
void ReleasePictures();
void ReleaseFonts();

// The window that owns message boxes and prompts: the active window when it
// is one of ours, else the most recently opened one, else none.
HWND DialogOwner();

void RegisterPromptClass();

inline const wchar_t* Wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline Text FromWide(const wchar_t* text) { return Text(reinterpret_cast<const char16_t*>(text)); }

}  // namespace tw::toolkit::detail
