#pragma once
// The recipient move done the slow way: one row at a time from the last
// index down, each appended to the destination, which is then sorted and
// rebuilt in full. Its end state is the reference for the one-sort move, on
// in-memory lists and on real list views alike.
#include <algorithm>
#include <utility>
#include <vector>

#include "common/row_list.h"

namespace tw::testing {

inline void SortOneByOne(RowList& list) {
  std::vector<std::pair<Text, Row>> keyed;
  for (int r = 0; r < list.RowCount(); ++r) {
    Row cells = list.ReadRow(r);
    Text key = cells.empty() ? Text() : cells[0];
    while (key.size() < 100) key.push_back(u' ');
    for (const Text& cell : cells) key += cell + u'\n';
    keyed.emplace_back(std::move(key), std::move(cells));
  }
  std::sort(keyed.begin(), keyed.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  list.SetRedraw(false);
  list.RemoveAllRows();
  for (const auto& entry : keyed) list.AppendRow(entry.second);
  list.SetRedraw(true);
}

inline void MoveOneByOne(RowList& source, RowList& destination, int row_count) {
  destination.SetRedraw(false);
  for (int i = row_count - 1; i >= 0; --i) {
    if (!source.IsSelected(i)) continue;
    destination.AppendRow({source.Cell(i, 0), source.Cell(i, 1)});
    source.RemoveRow(i);
    SortOneByOne(destination);
  }
  destination.SetRedraw(true);
}

// Rows and selection: what a user can see of a list.
struct ListState {
  std::vector<Row> rows;
  std::vector<int> selected;
  friend bool operator==(const ListState&, const ListState&) = default;
};

inline ListState StateOf(const RowList& list) {
  ListState s;
  for (int r = 0; r < list.RowCount(); ++r) s.rows.push_back(list.ReadRow(r));
  s.selected = list.SelectedRows();
  return s;
}

}  // namespace tw::testing
