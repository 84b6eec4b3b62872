#pragma once
// A list of rows of texts with a selected flag per row. The program keeps
// recipient rows and directory rows only in its list controls; the logic
// reaches them through this interface, which the list-view control
// implements on Windows and MemoryRowList implements for tests.
#include <vector>

#include "common/text.h"

namespace tw {

using Row = std::vector<Text>;

class RowList {
 public:
  virtual ~RowList() = default;

  virtual int RowCount() const = 0;
  virtual int ColumnCount() const = 0;
  virtual int ColumnWidth(int column) const = 0;
  virtual void SetColumnWidth(int column, int width) = 0;

  // A cell of a row or column that does not exist reads as empty.
  virtual Text Cell(int row, int column) const = 0;
  virtual void SetCell(int row, int column, const Text& text) = 0;

  // Rows with fewer cells than columns are padded with empty cells.
  virtual void InsertRow(int index, const Row& cells) = 0;
  virtual void AppendRows(const std::vector<Row>& rows) = 0;
  virtual void RemoveRow(int row) = 0;
  // Indexes ascending and distinct; the other rows keep their order.
  virtual void RemoveRows(const std::vector<int>& rows) = 0;
  virtual void RemoveAllRows() = 0;

  virtual bool IsSelected(int row) const = 0;
  // Selecting also gives the row the focus; deselecting takes both away.
  virtual void SetSelected(int row, bool selected) = 0;
  virtual std::vector<int> SelectedRows() const = 0;
  // Scrolls only as far as needed to make the row at least partly visible.
  virtual void EnsureVisible(int row) = 0;

  // Suspends or resumes drawing while the list is refilled.
  virtual void SetRedraw(bool on) = 0;

  void AppendRow(const Row& cells) { InsertRow(RowCount(), cells); }
  Row ReadRow(int row) const {
    Row cells;
    for (int c = 0; c < ColumnCount(); ++c) cells.push_back(Cell(row, c));
    return cells;
  }
};

// Suspends drawing for the life of the object.
class RedrawSuspended {
 public:
  explicit RedrawSuspended(RowList& list) : list_(list) { list_.SetRedraw(false); }
  ~RedrawSuspended() { list_.SetRedraw(true); }
  RedrawSuspended(const RedrawSuspended&) = delete;
  RedrawSuspended& operator=(const RedrawSuspended&) = delete;

 private:
  RowList& list_;
};

}  // namespace tw
