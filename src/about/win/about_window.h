#pragma once
// The About window: product, version, contact details and credits, with
// links that start an e-mail to the author and open the author's web page.
#include "common/text.h"

namespace tw {

// The window number of AboutWindow, apart from the main window's 0, and the
// control ids inside it.
inline constexpr int kAboutWindow = 2;
inline constexpr int kAboutTextBox = 40;
inline constexpr int kContactLink = 41;
inline constexpr int kHomepageLink = 42;
inline constexpr int kAboutOkButton = 43;

// Shows AboutWindow with the given title and runs its own event loop until
// OK or the Enter key ends it. Every event that is not its own, the main
// window's included, is taken and dropped meanwhile. Returns at once when
// the window cannot be opened.
void ShowAboutWindow(const Text& title);

// The six lines of the About text, CR LF between them.
Text AboutText();
// What the links hand to the desktop shell.
Text ContactAddressToOpen();
Text HomepageAddressToOpen();

}  // namespace tw
