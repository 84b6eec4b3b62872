#pragma once
// The multi-column list in report view that every window of the program uses
// (the picker lists, the saved lists, the directory editor's grid), and its
// RowList over the control: the control itself is the only store of the rows.
//
// Notifications: changes made through this file (rows inserted, removed,
// selected, texts set, scrolling into view) make the control send only
// LVN_INSERTITEM, LVN_DELETEITEM, LVN_DELETEALLITEMS, LVN_ITEMCHANGING,
// LVN_ITEMCHANGED, scroll notifications and, while it paints, NM_CUSTOMDRAW.
// None of them is a user action: events for the user's clicks must be taken
// from NM_CLICK, NM_DBLCLK and NM_RCLICK, which only the mouse produces.
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "common/row_list.h"

namespace tw {

struct ListColumn {
  Text title;
  int width = 0;
};

struct ListViewOptions {
  bool multiple_selection = false;
  bool whole_row_select = false;
  // Keeps the selection visible while the list has no focus.
  bool show_selection_always = false;
  bool grid_lines = false;
  // Further window styles (LVS_SHAREIMAGELISTS, ...), added to
  // WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT.
  DWORD extra_style = 0;
  // Further extended list-view styles (LVS_EX_DOUBLEBUFFER, ...).
  DWORD extra_list_style = 0;
  // Extended window style.
  DWORD window_ex_style = WS_EX_CLIENTEDGE;
  // Null keeps the default font. The list does not own the font (take it
  // from toolkit::LoadFont, which keeps fonts for the whole process).
  HFONT font = nullptr;
};

// Creates the list as child control `id` of parent, with the columns in order.
// Returns null when the control cannot be created.
HWND CreateListView(HWND parent, int id, int x, int y, int width, int height,
                    const std::vector<ListColumn>& columns, const ListViewOptions& options);

// Appends a column at the right end; returns its index or -1.
int AddListColumn(HWND list, const ListColumn& column);

// Row background colours. A colour belongs to its row: it moves with the row
// when rows above it are inserted or removed. CLR_NONE means the list's own
// background. Rows inserted through ListViewRows start with CLR_NONE.
void SetRowColour(HWND list, int row, COLORREF colour);
COLORREF RowColour(HWND list, int row);

// Paints the row colours. The window procedure of a list's parent calls this
// for every WM_NOTIFY it receives; when it returns true the notification was
// a list view's NM_CUSTOMDRAW and *result is what the procedure must return.
bool HandleListCustomDraw(LPARAM lparam, LRESULT* result);

// RowList over a list-view control. Cheap to make: it holds only the handle.
class ListViewRows final : public RowList {
 public:
  explicit ListViewRows(HWND list) : list_(list) {}

  HWND Handle() const { return list_; }

  int RowCount() const override;
  int ColumnCount() const override;
  int ColumnWidth(int column) const override;
  void SetColumnWidth(int column, int width) override;

  Text Cell(int row, int column) const override;
  void SetCell(int row, int column, const Text& text) override;

  void InsertRow(int index, const Row& cells) override;
  void AppendRows(const std::vector<Row>& rows) override;
  void RemoveRow(int row) override;
  void RemoveRows(const std::vector<int>& rows) override;
  void RemoveAllRows() override;

  bool IsSelected(int row) const override;
  void SetSelected(int row, bool selected) override;
  std::vector<int> SelectedRows() const override;
  void EnsureVisible(int row) override;

  // WM_SETREDRAW. Suspensions nest: drawing comes back, and the whole list
  // is repainted once, when the last suspension is resumed. A resume without
  // a suspension switches drawing on.
  void SetRedraw(bool on) override;

 private:
  HWND list_;
};

}  // namespace tw
