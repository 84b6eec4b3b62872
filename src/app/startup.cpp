// The program's entry and exit.
#include "app/startup.h"

#include <windows.h>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/main_window_ids.h"
#include "common/data_locations.h"
#include "common/settings.h"
#include "directory/directory_file.h"
#include "directory/win/cell_edit.h"
#include "selection/saved_lists.h"
#include "toolkit/toolkit.h"

namespace tw {

void EnsureDirectoryFile() {
  const Text& path = DirectoryPath();
  const auto* wide = reinterpret_cast<const wchar_t*>(path.c_str());
  // A folder of that name counts as present too: nothing is created then.
  if (GetFileAttributesW(wide) != INVALID_FILE_ATTRIBUTES) return;
  // Held open without sharing while the operator reads the box, so nobody
  // writes into the new file before the program has looked at it.
  HANDLE file = CreateFileW(wide, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  // There is no main window yet: the box has no owner.
  MessageBoxW(nullptr, L"pagers.dat file missing, creating a blank file.", L"Error", MB_OK | MB_ICONWARNING);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

namespace {

std::function<bool()>& TrimOverride() {
  static std::function<bool()> trim;
  return trim;
}

bool TrimNow() {
  if (TrimOverride()) return TrimOverride()();
  return SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1)) != FALSE;
}

}  // namespace

void SetWorkingSetTrimForTesting(std::function<bool()> trim) { TrimOverride() = std::move(trim); }

void TrimWorkingSet() {
  // The loop calls this a thousand times a second; a system that refuses
  // once refuses every time, and a box on each pass would leave the operator
  // nothing but boxes. One box per run says it.
  static bool refusal_shown = false;
  if (TrimNow()) return;
  if (refusal_shown) return;
  refusal_shown = true;
  toolkit::Boxes().ShowBox(u"Error", u"Failed to free memory!", BoxIcon::kError);
}

int RunTellwave() {
  toolkit::Startup();
  CreateHeaderBrush();
  InitDataLocations();
  // The first label text of the main window is built from this.
  CharactersLeft() = kMessageLimit;
  EnsureDirectoryFile();
  if (OpenMainWindow(kMainWindowX, kMainWindowY, kMainWindowWidth, kMainWindowHeight)) {
    ListViewRows saved = SavedListsRows();
    RefreshSavedLists(saved);
    RunMainLoop();
  } else {
    // Without its window the program has nothing to offer; say so rather
    // than vanish.
    toolkit::Boxes().ShowBox(u"Error", u"The main window could not be opened.", BoxIcon::kError);
  }
  toolkit::Shutdown();
  return 0;
}

}  // namespace tw
