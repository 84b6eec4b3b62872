#pragma once
// Drives real windows with the messages a user's actions produce, and
// answers real message boxes and prompts from a second thread.
#include <windows.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/text.h"

namespace tw::testing {

// A click of the left button in the middle of the control. A user cannot
// click a disabled or hidden control, so nothing is posted then; the result
// says whether the click was made.
bool Click(HWND control);
// The same at a point of the control's client area.
bool ClickAt(HWND control, POINT at);
bool DoubleClickAt(HWND control, POINT at);
bool RightClickAt(HWND control, POINT at);

// The middle of a list row's first visible cell, and a point of the list's
// client area below its last row.
POINT RowPoint(HWND list, int row);
POINT BelowLastRow(HWND list);

// Typing: the focus goes to the control and every UTF-16 code unit arrives as
// a WM_CHAR, as after TranslateMessage.
void Type(HWND control, const Text& text);
// A key press and release aimed at the control that has the focus.
void PressKey(HWND focus, UINT virtual_key);

// A menu choice as the menu bar reports it.
void ChooseMenuItem(HWND window, int item);
// The close box (same path as the system menu's Close).
void PressCloseBox(HWND window);

// Makes the folder the current directory for the object's life, as when
// Tellwave is started from it.
class InCurrentDirectory {
 public:
  explicit InCurrentDirectory(const Text& folder);
  ~InCurrentDirectory();
  InCurrentDirectory(const InCurrentDirectory&) = delete;
  InCurrentDirectory& operator=(const InCurrentDirectory&) = delete;

 private:
  std::wstring old_;
};

// What startup does before the main loop: pagers.dat in the current
// directory holds the bytes, the data locations are fixed, the toolkit is
// started, the main window opened and the saved lists filled. False when the
// window could not be opened.
bool StartWithMainWindow(std::string_view directory_bytes);

// Text of a window or control, from any thread.
Text WindowText(HWND hwnd);

// A message box or prompt seen by an Answerer.
struct SeenDialog {
  std::string window_class;
  Text title;
  Text text;  // the box's text, the prompt's message, a menu's first item
};

// Watches for dialogs of this process (message boxes, prompts and popup
// menus) on a thread of its own and answers them in order: for a box, by
// pressing the button (IDOK, IDYES, IDNO, IDCANCEL); for a prompt, by typing
// the text and pressing OK, or by Escape; for a popup menu, by choosing its
// first item, or by Escape. Dialogs beyond the answers are left open.
class Answerer {
 public:
  struct Answer {
    int button = IDOK;  // boxes
    Text typed;         // prompts
    bool escape = false;
    bool enter = false;  // prompts: confirm with the Enter key, not OK
    bool close = false;  // prompts: the close box
  };
  explicit Answerer(std::vector<Answer> answers);
  ~Answerer();
  Answerer(const Answerer&) = delete;
  Answerer& operator=(const Answerer&) = delete;
  Answerer(Answerer&&) = delete;

  // What was seen so far.
  std::vector<SeenDialog> Seen();
  // Waits until every answer was used (true) or the time is up (false).
  bool WaitDone(std::chrono::milliseconds limit = std::chrono::seconds(20));

 private:
  void Watch();

  std::vector<Answer> answers_;
  std::mutex mutex_;
  std::vector<SeenDialog> seen_;
  size_t next_ = 0;
  bool stop_ = false;
  std::thread thread_;
};

inline Answerer::Answer Press(int button) { return {button, {}, false}; }
inline Answerer::Answer TypeAndOk(Text text) { return {IDOK, std::move(text), false}; }
inline Answerer::Answer Escape() { return {IDCANCEL, {}, true}; }
inline Answerer::Answer ChooseFirstItem() { return {IDOK, {}, false}; }
inline Answerer::Answer TypeAndEnter(Text text) { return {IDOK, std::move(text), false, true}; }
inline Answerer::Answer TypeAndClose(Text text) { return {IDOK, std::move(text), false, false, true}; }

}  // namespace tw::testing
