#include "selection/picker.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "platform/encoding.h"

namespace tw {
namespace {

// Display names are padded to this length in the sort key, so a name sorts
// before every longer name it begins ("Lee, Al" before "Lee, Alan") unless
// the longer one continues with a character below the blank.
constexpr size_t kSortNameWidth = 100;

// The sort key of a row: the display name padded with blanks, then every
// column's text followed by a line feed. Comparing keys as Text compares
// code units as unsigned 16-bit numbers, which is the order wanted.
Text SortKey(const Row& cells) {
  const Text& name = cells.empty() ? Text() : cells[0];
  size_t length = std::max(name.size(), kSortNameWidth);
  for (const Text& cell : cells) length += cell.size() + 1;
  Text key;
  key.reserve(length);
  key += name;
  if (name.size() < kSortNameWidth) key.append(kSortNameWidth - name.size(), u' ');
  for (const Text& cell : cells) {
    key += cell;
    key += u'\n';
  }
  return key;
}

// Empties the list and fills it again with rows in key order. The caller
// suspends drawing. Rows with equal keys are identical, so which of them
// comes first cannot be seen; the stable sort only makes runs repeatable.
void RefillSorted(RowList& list, std::vector<Row> rows) {
  std::vector<Text> keys;
  keys.reserve(rows.size());
  for (const Row& r : rows) keys.push_back(SortKey(r));
  std::vector<size_t> order(rows.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });
  keys.clear();
  keys.shrink_to_fit();

  std::vector<Row> sorted;
  sorted.reserve(rows.size());
  for (size_t i : order) sorted.push_back(std::move(rows[i]));
  rows.clear();
  list.RemoveAllRows();
  list.AppendRows(sorted);
}

std::vector<Row> ReadAllRows(const RowList& list) {
  std::vector<Row> rows;
  const int n = list.RowCount();
  rows.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) rows.push_back(list.ReadRow(i));
  return rows;
}

// The per-character lower-case mapping of every code unit, worked out once:
// a search runs on every keystroke over the whole directory, and the
// system's mapping costs a call per character.
const std::array<char16_t, 0x10000>& LowerTable() {
  static const auto table = [] {
    std::array<char16_t, 0x10000> t{};
    for (size_t c = 0; c < t.size(); ++c) t[c] = platform::LowerChar(static_cast<char16_t>(c));
    return t;
  }();
  return table;
}

void ClearSelection(RowList& list) {
  for (int row : list.SelectedRows()) list.SetSelected(row, false);
}

// The found row is selected first and the others cleared after: the focus
// then moves once, straight to the found row.
void SelectAlone(RowList& list, int row) {
  list.SetSelected(row, true);
  for (int other : list.SelectedRows())
    if (other != row) list.SetSelected(other, false);
  list.EnsureVisible(row);
}

}  // namespace

void MoveSelectedRows(RowList& source, RowList& destination, int row_count) {
  if (&source == &destination) return;
  std::vector<int> moving = source.SelectedRows();
  std::erase_if(moving, [row_count](int row) { return row < 0 || row >= row_count; });
  if (moving.empty()) return;

  // Moving the rows one by one and sorting the destination after each ends
  // with the destination holding its old rows and the moved ones in sorted
  // order; one sort of them all gives that state without n sorts.
  RedrawSuspended quiet_source(source);
  RedrawSuspended quiet_destination(destination);
  std::vector<Row> rows = ReadAllRows(destination);
  const size_t width = static_cast<size_t>(destination.ColumnCount());
  rows.reserve(rows.size() + moving.size());
  for (auto it = moving.rbegin(); it != moving.rend(); ++it) {
    Row moved{source.Cell(*it, 0), source.Cell(*it, 1)};
    moved.resize(width);
    rows.push_back(std::move(moved));
  }
  source.RemoveRows(moving);
  RefillSorted(destination, std::move(rows));
}

void SortListByName(RowList& list) {
  RedrawSuspended quiet(list);
  RefillSorted(list, ReadAllRows(list));
}

bool FindInList(RowList& list, const Text& search, MatchPosition* match, int column) {
  if (search.empty()) {
    ClearSelection(list);
    return false;
  }
  std::vector<int> columns;
  if (column == -1) {
    columns.push_back(0);
    for (int c = 1; c < list.ColumnCount() && list.ColumnWidth(c) != 0; ++c) columns.push_back(c);
  } else {
    columns.push_back(column);
  }

  const auto& lower = LowerTable();
  Text needle = search;
  for (char16_t& c : needle) c = lower[c];
  const auto same = [&lower](char16_t cell_char, char16_t needle_char) {
    return lower[cell_char] == needle_char;
  };

  const int rows = list.RowCount();
  for (int row = 0; row < rows; ++row) {
    for (int c : columns) {
      const Text cell = list.Cell(row, c);
      if (cell.size() < needle.size()) continue;
      if (std::search(cell.begin(), cell.end(), needle.begin(), needle.end(), same) == cell.end())
        continue;
      if (match) *match = MatchPosition{c, row};
      SelectAlone(list, row);
      return true;
    }
  }
  ClearSelection(list);
  return false;
}

PagerIdDisplay PagerIdDisplayFor(bool show_pager_ids) {
  return show_pager_ids ? PagerIdDisplay{true, kSearchLabelWithIds}
                        : PagerIdDisplay{false, kSearchLabelNamesOnly};
}

void SetPagerIdWidths(RowList& list, bool show_pager_ids) {
  list.SetColumnWidth(0, show_pager_ids ? kNameWidthWithIds : kNameWidthNamesOnly);
  list.SetColumnWidth(1, show_pager_ids ? kPagerIdWidthWithIds : kPagerIdWidthNamesOnly);
}

PagerIdDisplay TogglePagerIds(RowList& available, RowList& send_to, bool& show_pager_ids) {
  show_pager_ids = !show_pager_ids;
  SetPagerIdWidths(available, show_pager_ids);
  SetPagerIdWidths(send_to, show_pager_ids);
  return PagerIdDisplayFor(show_pager_ids);
}

}  // namespace tw
