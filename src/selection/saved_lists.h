#pragma once
// Saved recipient lists: named copies of the Send To list, kept as "*.lst"
// files of recipient lines in the user's lists folder (ListsFolder), shown
// in the saved-lists control by name and loaded again with a double click.
#include <optional>

#include "common/dialogs.h"
#include "common/row_list.h"
#include "common/text.h"

namespace tw {

// Appends one row per saved list, in the order the folder lists them,
// creating the lists folder when nothing is there yet. Callers empty the
// list first when it may hold rows.
void RefreshSavedLists(RowList& saved_lists);

// Asks for a name and writes the rows of send_to under it; ends by refilling
// saved_lists whatever happened. An existing list is replaced in one step or
// not at all, and a list that could not be written is reported.
void SaveRecipientList(Dialogs& dialogs, const RowList& send_to, RowList& saved_lists);

// What a right click on the saved lists offers: the selected list's name,
// which the main window remembers for RemoveRecipientList, and the text of
// the popup menu's item.
struct ListRemovalOffer {
  Text name;
  Text item_text;  // "Remove " + name + " ?"
};
// Nothing when no row is selected (a click below the last row): then no
// popup is shown.
std::optional<ListRemovalOffer> OfferListRemoval(const RowList& saved_lists);

// Asks whether to remove the named list (No is the default) and on Yes
// deletes its file and removes its row. A file that cannot be deleted is
// reported and keeps its row.
void RemoveRecipientList(const Text& name, Dialogs& dialogs, RowList& saved_lists);

// Replaces send_to with the selected saved list, in file order, and reloads
// available from the directory without the people the list holds. Does
// nothing when no saved list is selected.
void LoadRecipientList(const RowList& saved_lists, RowList& send_to, RowList& available);

// Why a typed list name cannot name a file in the lists folder, or nothing
// when it is a plain file name. The name is taken as typed, with or without
// its ".lst".
std::optional<Text> ListNameFault(const Text& name);

}  // namespace tw
