#pragma once
// The directory editor: behind the edit password, a window with the whole
// directory in a grid whose cells are edited where they stand, and the
// buttons Add Row, Delete Row, Save and Close. It takes the main window's
// place while it is open.
#include <windows.h>

#include "common/text.h"

namespace tw {

// The editor opens under the main window's number, which closes the main
// window: there is never more than one window of the program.
inline constexpr int kEditorWindow = 0;

inline constexpr int kEditorGrid = 10;
inline constexpr int kAddRowButton = 11;
inline constexpr int kDeleteRowButton = 12;
inline constexpr int kEditorSaveButton = 13;
inline constexpr int kEditorCloseButton = 14;

inline constexpr COLORREF kShadeColour = RGB(208, 208, 176);
inline constexpr COLORREF kNewRowColour = RGB(255, 255, 176);
inline constexpr COLORREF kGridLineColour = RGB(0, 0, 0);

// Asks for the edit password and, when it is right, runs the editor. True
// when the editor was entered, whether or not its window could be opened:
// the main window is gone then, and the caller builds it again
// (OpenMainWindow, then RefreshSavedLists).
bool EditPagerList();

// Runs the editor to its end: builds it, runs its loop, closes it. An
// editor that cannot be built says so and returns at once.
void RunDirectoryEditor(const Text& title);

// RunDirectoryEditor in its three stages, for whoever drives the editor
// pass by pass. OpenDirectoryEditor is false when the window could not be
// built; DirectoryEditorPass waits at most wait_ms for one event, acts on
// it, and is true when the editor is to be left.
bool OpenDirectoryEditor(const Text& title);
bool DirectoryEditorPass(int wait_ms = 1);
void CloseDirectoryEditor();

// Gives the even-indexed rows ShadeColour; odd rows keep their colour.
void ShadeAlternateRows(HWND grid);

}  // namespace tw
