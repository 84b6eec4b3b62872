#pragma once
// The two shapes a directory line takes in the program.
#include "common/text.h"

namespace tw {

// A row of the picker lists: column 0 the display name, column 1 the pager ID.
struct RecipientRow {
  Text display_name;
  Text pager_id;
};

// A directory line as the editor grid shows it.
struct PagerRecord {
  Text last_name;
  Text first_name;
  Text pager_id;
};

}  // namespace tw
