#pragma once
#include <functional>

namespace tw {

// The whole life of the program: startup, the main event loop, shutdown.
// Returns the process exit code, 0 on every path.
int RunTellwave();

// Creates a blank pagers.dat when nothing exists at DirectoryPath, telling
// the operator while the new file is still open.
void EnsureDirectoryFile();

// Gives the process's pages back to the system; the main loop calls it on
// every pass. A refusal is shown once per run, not on every pass.
void TrimWorkingSet();
// Tests stand in for the system's answer to the trim request; an empty
// function restores the real call.
void SetWorkingSetTrimForTesting(std::function<bool()> trim);

}  // namespace tw
