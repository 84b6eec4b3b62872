#pragma once
// The recipient picker: moving people between AvailableList and SendToList,
// sorting a list by name, searching it, and showing or hiding the Pager ID
// column. Everything works on RowList, so the same code runs on the real
// list views and on in-memory lists in tests.
#include <cstdint>

#include "common/row_list.h"

namespace tw {

// Where FindInList found its match, column first.
struct MatchPosition {
  std::int32_t column = -1;
  std::int32_t row = -1;
};

// Column widths of both picker lists with the Pager ID column hidden and shown.
inline constexpr int kNameWidthNamesOnly = 299;
inline constexpr int kPagerIdWidthNamesOnly = 0;
inline constexpr int kNameWidthWithIds = 199;
inline constexpr int kPagerIdWidthWithIds = 100;

inline constexpr char16_t kSearchLabelNamesOnly[] = u"Search (Last Name or First Name):";
inline constexpr char16_t kSearchLabelWithIds[] = u"Search (Last Name, First Name, or Pager ID):";

// Moves the selected rows among the first row_count rows of source (the
// source's row count, taken by the caller just before) to destination.
// Columns 0 and 1 are carried over. The source keeps the order of the rows
// it keeps; the destination ends sorted by name with no row selected. A move
// with no selected row changes neither list, and neither does a list moved
// onto itself. Drawing of both lists is suspended meanwhile.
void MoveSelectedRows(RowList& source, RowList& destination, int row_count);

// Sorts the list by display name, then by the texts of all its columns,
// comparing code units as unsigned numbers (every upper-case ASCII letter
// before every lower-case one). Afterwards no row is selected.
void SortListByName(RowList& list);

// Finds the first row, from the top, with a cell that contains search,
// ignoring case. column is a column index, or -1 for every visible column
// (column 0 and those after it up to the first of width 0). A match is
// selected alone, scrolled into view and written to *match (when match is not
// null); without a match, or for an empty search, no row stays selected.
bool FindInList(RowList& list, const Text& search, MatchPosition* match, int column);

// What the main window shows for the state of ShowPagerIds: the check mark of
// "Show Pager ID's" and the text of SearchLabel.
struct PagerIdDisplay {
  bool checked = false;
  Text search_label;
};

PagerIdDisplay PagerIdDisplayFor(bool show_pager_ids);

// Sets the widths of columns 0 and 1 of one picker list for the state.
void SetPagerIdWidths(RowList& list, bool show_pager_ids);

// Inverts show_pager_ids and sets the column widths of available and then
// send_to. The window applies the returned check mark and label.
PagerIdDisplay TogglePagerIds(RowList& available, RowList& send_to, bool& show_pager_ids);

}  // namespace tw
