#pragma once
// The process-wide values the main window and its loop keep between events.
#include "common/text.h"

namespace tw {

// Holds MessageLimit between uses; the message counter works with it.
int& CharactersLeft();
// Whether the Pager ID column of both picker lists is shown.
bool& ShowPagerIds();
// The saved list last offered for removal through the popup menu.
Text& OfferedListName();

// Off whenever the main window is built.
inline void ResetShowPagerIds() { ShowPagerIds() = false; }

}  // namespace tw
