#pragma once
// MainWindow, the program's one long-lived window, and the loop that drives
// everything while it is open.
#include <optional>

#include "common/text.h"
#include "paging/send_pages.h"
#include "toolkit/list_view.h"
#include "toolkit/toolkit.h"

namespace tw {

// Builds MainWindow afresh: empty fields, empty Send To list, Pager ID
// column hidden, AvailableList read from the directory file. The window is
// centred, whatever x and y say. False when the window cannot be opened.
bool OpenMainWindow(int x, int y, int width, int height);

// The three lists of the main window, over their controls.
ListViewRows AvailableRows();
ListViewRows SendToRows();
ListViewRows SavedListsRows();

// "Message:(" + count + " Characters Left)".
Text MessageCounterText(int characters_left);

// The main event loop; returns when one of the exit paths (File > Exit,
// ExitButton, a close request) has compacted the directory file.
void RunMainLoop();

// One pass of the loop: wait at most wait_ms for an event, trim the working
// set, set the enabled states of the buttons, dispatch the event. True when
// the pass took an exit path. Tests drive the window pass by pass.
bool RunMainLoopPass(int wait_ms = 1);

// Sets SendButton, ClearPagersButton and SaveToListButton by the texts of
// the fields and the rows of SendToList.
void SetButtonStates();

// Acts on one event as the main loop does; true when it was an exit path.
bool DispatchMainEvent(const toolkit::Event& event);

// Tests point the window's exchanges at a server of their own; nothing
// restores the build's server.
void SetPagingServerForTesting(std::optional<PagingServer> server);

// Runs after the directory editor has closed the main window: builds it
// again and fills its saved lists, as at startup.
void RebuildMainWindow();

}  // namespace tw
