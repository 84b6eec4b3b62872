#pragma once

namespace tw {

// The whole life of the program: startup, the main event loop, shutdown.
// Returns the process exit code, 0 on every path.
int RunTellwave();

}  // namespace tw
