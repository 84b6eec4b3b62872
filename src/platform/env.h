#pragma once
#include "common/text.h"

namespace tw::platform {

// The value of an environment variable; empty text when it is not set.
Text GetEnv(const char* name);

}  // namespace tw::platform
