#pragma once
// Where the program's files live.
#include "common/text.h"

namespace tw {

// Fixes DirectoryPath from the data mode and the current directory; called
// once at startup. Tests may call it again after changing directory.
void InitDataLocations();
// Full path of pagers.dat, fixed by InitDataLocations.
const Text& DirectoryPath();
// Folder of the daily send logs, ending with a separator; in Local mode the
// current directory read again at each call.
Text SendLogFolder();
// USERPROFILE + "\Documents\Tellwave\", worked out afresh at each call.
Text ListsFolder();

// Appends a separator unless the folder already ends with one.
Text WithTrailingSeparator(Text folder);

}  // namespace tw
