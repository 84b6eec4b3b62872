#pragma once
// Tellwave's thin layer over Win32. Windows are known by small numbers,
// controls by their ids inside a window and menu items by their numbers;
// everything the user does arrives through one queue of events that the
// program's loops read with WaitEvent. Changes the program makes itself
// (texts, rows, selections) never queue events; only the user's actions do.
//
// One thread only: every function here must be called on the thread that
// opened the windows.
#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "common/dialogs.h"
#include "common/text.h"

namespace tw::toolkit {

// Registers the common-control classes and initialises COM for the calling
// thread. Call once before the first window; Shutdown releases what the
// toolkit holds (windows, fonts, pictures).
void Startup();
void Shutdown();

// ---------------------------------------------------------------- events

enum class EventKind { kControl, kMenu, kClose };
enum class ControlEventType { kChanged, kClick, kRightClick, kDoubleClick };

struct Event {
  EventKind kind = EventKind::kControl;
  int window = 0;  // the window number the event belongs to
  int id = 0;      // control id (kControl) or menu item number (kMenu)
  ControlEventType type = ControlEventType::kClick;  // kControl only

  friend bool operator==(const Event&, const Event&) = default;
};

// Handles the window messages that have arrived, waiting at most timeout_ms
// for the first, and returns the oldest queued event, if any. A timeout of 0
// only looks.
std::optional<Event> WaitEvent(int timeout_ms);
// Drops every queued event (a window that goes away takes its events along).
void DiscardEvents();

// While a long operation holds the thread: repaints and answers the system
// but drops the user's mouse and keyboard input, so nothing typed or
// clicked meanwhile acts later. Call it often during the operation.
void KeepResponsive();

// ---------------------------------------------------------------- windows

struct WindowOptions {
  bool system_menu = true;   // with the close box
  bool minimise_box = true;
};

// Opens a top-level window of the given client size, fixed in size and
// centred on the primary screen, under the number given. A window already
// open under that number is destroyed first, with its controls. Returns
// false when the window cannot be created.
bool OpenWindow(int window, const Text& title, int width, int height,
                const WindowOptions& options = {});
void CloseWindow(int window);
bool WindowIsOpen(int window);
HWND WindowHandle(int window);  // nullptr when not open
void SetWindowTitle(int window, const Text& title);
Text WindowTitle(int window);

// ---------------------------------------------------------------- menus

struct MenuItem {
  int item;
  Text text;
};
struct Menu {
  Text title;
  std::vector<MenuItem> items;
};
// Gives the window a menu bar; choosing an item queues a menu event.
void SetMenuBar(int window, const std::vector<Menu>& menus);
void SetMenuCheck(int window, int item, bool checked);
bool MenuChecked(int window, int item);

// Delivers the key (a virtual-key code, pressed with no modifier) as a menu
// event with the given item while the window is active, wherever the focus
// is inside it; the key press does not reach the focused control.
void AddShortcut(int window, UINT virtual_key, int item);

// Popup menus are known by their own numbers and hold numbered items.
void CreatePopupMenu(int popup, const std::vector<MenuItem>& items);
void SetPopupItemText(int popup, int item, const Text& text);
// Shows the popup one pixel up and to the left of the mouse pointer, owned
// by the window; a chosen item is queued as a menu event of that window.
void ShowPopupMenu(int popup, int window);

// ---------------------------------------------------------------- controls
// Every control is a child window whose id is its control number. Controls
// take the focus with Tab and Shift+Tab in the order they were created.

struct Rect {
  int x, y, width, height;
};

// A picture from a PNG resource compiled into the program; transparent
// parts show the window's background.
void AddPicture(int window, int id, Rect at, int png_resource);
void AddFrame(int window, int id, Rect at, const Text& caption);
void AddLabel(int window, int id, Rect at, const Text& text);

// A label that acts like a link: hand pointer, no underline, a click event
// when the left button is released over it. Colours default to the system's
// window-text colour at rest and black under the pointer.
struct LinkColours {
  std::optional<COLORREF> at_rest;
  std::optional<COLORREF> hovered;
};
void AddClickableLabel(int window, int id, Rect at, const Text& text,
                       const LinkColours& colours = {});
void AddTooltip(int window, int id, const Text& tip);

struct FieldOptions {
  int max_length = 0;  // 0: the control's own limit
  bool password = false;
};
// A single-line text field; the user's edits queue changed events.
void AddField(int window, int id, Rect at, const Text& text, const FieldOptions& options = {});

void AddButton(int window, int id, Rect at, const Text& text, bool default_button = false);
void AddPictureButton(int window, int id, Rect at, int png_resource);

// A multi-line rich-text box, every line centred, scroll bars as needed.
void AddRichText(int window, int id, Rect at, const Text& text);

HWND ControlHandle(int window, int id);  // nullptr when missing

// Report-view lists (list_view.h) are made as children of WindowHandle with
// their control id; the window turns the user's double clicks and right
// clicks on them into events, also over empty parts of the list.

// Texts set here never queue changed events.
Text GetText(int window, int id);
int TextLength(int window, int id);  // in UTF-16 code units
void SetText(int window, int id, const Text& text);

// Enabling or disabling a control that is already so costs nothing.
void Enable(int window, int id, bool enabled);
bool IsEnabled(int window, int id);
void Focus(int window, int id);
// The control id that holds the keyboard focus in the window, or 0.
int FocusedControl(int window);

// Fonts by face name and point size; nullptr when the font cannot be made.
// Fonts live until Shutdown.
HFONT LoadFont(const Text& face, int points, bool bold = false);
void SetFont(int window, int id, HFONT font);

// ---------------------------------------------------------------- dialogs

// Real message boxes and the text prompt, owned by the active window of the
// program (no owner when none is open).
Dialogs& Boxes();
// The text prompt's window class and the ids of its field and OK button,
// for whoever has to find them.
inline constexpr wchar_t kPromptClass[] = L"TellwavePrompt";
inline constexpr int kPromptFieldId = 100;
inline constexpr int kPromptOkId = IDOK;

// ---------------------------------------------------------------- desktop

// Hands the address to the desktop shell's default action; no waiting, no
// error dialogs, result not examined.
void ShellOpen(const Text& address);
// Whether the key is down right now.
bool KeyDown(int virtual_key);

// Tests replace the shell and the keyboard; an empty function restores them.
void SetShellOpenForTesting(std::function<void(const Text&)> open);
void SetKeyDownForTesting(std::function<bool(int)> key_down);

}  // namespace tw::toolkit
