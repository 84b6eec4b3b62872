#pragma once
// The 8-bit encoding of pagers.dat and the saved lists: the system's active
// ANSI code page on Windows, Windows-1252 where the platform has none.
#include <string>
#include <string_view>

#include "common/text.h"

namespace tw::platform {

Text AnsiToText(std::string_view bytes);
// Characters the code page lacks become a close substitute or "?".
std::string TextToAnsi(TextView text);

// Lower-case mapping of one UTF-16 code unit, the system's per-character rule.
char16_t LowerChar(char16_t c);

}  // namespace tw::platform
