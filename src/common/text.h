#pragma once
// Text in the program is UTF-16, as the Windows controls hold it.
#include <string>
#include <string_view>

namespace tw {

using Text = std::u16string;
using TextView = std::u16string_view;

// UTF-8 to UTF-16. Invalid or truncated sequences become U+FFFD each.
Text Utf8ToText(std::string_view bytes);
// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD.
std::string TextToUtf8(TextView text);

// ASCII-only conversions for literals and tests.
Text AsciiToText(std::string_view ascii);

// Decimal text of a non-negative number, as in "120".
Text NumberText(long long value);

}  // namespace tw
