#include "app/startup.h"

#include <windows.h>

#include "common/data_locations.h"
#include "directory/directory_file.h"

namespace tw {

// Placeholder until the main window exists: fixes the data locations,
// shows an empty window and compacts the directory when it is closed.
int RunTellwave() {
  InitDataLocations();
  MessageBoxW(nullptr, L"Tellwave", L"Tellwave", MB_OK);
  CompactDirectoryFile(DirectoryPath());
  return 0;
}

}  // namespace tw
