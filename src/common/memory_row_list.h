#pragma once
// An in-memory RowList: the store behind unit tests, fuzzers and benchmarks.
#include <algorithm>

#include "common/row_list.h"

namespace tw {

class MemoryRowList final : public RowList {
 public:
  // Column widths; a width of 0 hides a column.
  explicit MemoryRowList(std::vector<int> widths) : widths_(std::move(widths)) {}

  int RowCount() const override { return static_cast<int>(rows_.size()); }
  int ColumnCount() const override { return static_cast<int>(widths_.size()); }
  int ColumnWidth(int column) const override {
    return column >= 0 && column < ColumnCount() ? widths_[column] : 0;
  }
  void SetColumnWidth(int column, int width) override {
    if (column >= 0 && column < ColumnCount()) widths_[column] = width;
  }
  Text Cell(int row, int column) const override {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return {};
    return rows_[row].cells[column];
  }
  void SetCell(int row, int column, const Text& text) override {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return;
    rows_[row].cells[column] = text;
  }
  void InsertRow(int index, const Row& cells) override {
    index = std::clamp(index, 0, RowCount());
    rows_.insert(rows_.begin() + index, Entry{Padded(cells), false});
  }
  void AppendRows(const std::vector<Row>& rows) override {
    rows_.reserve(rows_.size() + rows.size());
    for (const Row& r : rows) rows_.push_back(Entry{Padded(r), false});
  }
  void RemoveRow(int row) override {
    if (row >= 0 && row < RowCount()) rows_.erase(rows_.begin() + row);
  }
  void RemoveRows(const std::vector<int>& rows) override {
    std::vector<Entry> kept;
    kept.reserve(rows_.size());
    size_t next = 0;
    for (int i = 0; i < RowCount(); ++i) {
      if (next < rows.size() && rows[next] == i) {
        ++next;
        continue;
      }
      kept.push_back(std::move(rows_[i]));
    }
    rows_ = std::move(kept);
  }
  void RemoveAllRows() override { rows_.clear(); }
  bool IsSelected(int row) const override {
    return row >= 0 && row < RowCount() && rows_[row].selected;
  }
  void SetSelected(int row, bool selected) override {
    if (row >= 0 && row < RowCount()) rows_[row].selected = selected;
  }
  std::vector<int> SelectedRows() const override {
    std::vector<int> out;
    for (int i = 0; i < RowCount(); ++i)
      if (rows_[i].selected) out.push_back(i);
    return out;
  }
  void EnsureVisible(int row) override { last_made_visible_ = row; }
  void SetRedraw(bool on) override { redraw_ = on; }

  // For tests: the row last scrolled into view and whether drawing is on.
  int LastMadeVisible() const { return last_made_visible_; }
  bool RedrawOn() const { return redraw_; }

 private:
  struct Entry {
    Row cells;
    bool selected;
  };
  Row Padded(const Row& cells) const {
    Row r(widths_.size());
    for (size_t i = 0; i < r.size() && i < cells.size(); ++i) r[i] = cells[i];
    return r;
  }
  std::vector<int> widths_;
  std::vector<Entry> rows_;
  int last_made_visible_ = -1;
  bool redraw_ = true;
};

}  // namespace tw
