#include "toolkit/list_view.h"

#include <algorithm>
#include <string>

namespace tw {
namespace {

// A row's colour lives in its item's lParam, so the control carries it along
// when rows above are inserted or removed. The flag tells a colour from the
// 0 of an uncoloured row (black is a colour too).
constexpr LPARAM kColourFlag = 0x01000000;

// How many suspensions through SetRedraw a list is under; absent when none.
// Suspensions nest: a refill inside a refill must not switch drawing back on
// before the outer one ends.
constexpr wchar_t kRedrawOffProperty[] = L"TwRedrawOff";

INT_PTR Suspensions(HWND list) {
  return reinterpret_cast<INT_PTR>(GetPropW(list, kRedrawOffProperty));
}

LPWSTR Wide(const Text& text) {
  return reinterpret_cast<LPWSTR>(const_cast<char16_t*>(text.c_str()));
}

void EnsureListClassRegistered() {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
    return InitCommonControlsEx(&init) != FALSE;
  }();
  (void)registered;
}

bool IsListView(HWND window) {
  wchar_t name[32];
  return window && GetClassNameW(window, name, 32) > 0 && lstrcmpiW(name, WC_LISTVIEWW) == 0;
}

int ItemCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

bool RowExists(HWND list, int row) { return row >= 0 && row < ItemCount(list); }

void SetSubItemText(HWND list, int row, int column, const Text& text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = Wide(text);
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// Inserts a row with its texts; empty sub-items need no message, as a new
// item's sub-items start empty.
void InsertItem(HWND list, int index, const Row& cells, int columns) {
  const Text empty;
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = index;
  item.pszText = Wide(cells.empty() ? empty : cells[0]);
  item.lParam = 0;
  const int at = static_cast<int>(
      SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (at < 0) return;
  const int filled = std::min(columns, static_cast<int>(cells.size()));
  for (int c = 1; c < filled; ++c)
    if (!cells[c].empty()) SetSubItemText(list, at, c, cells[c]);
}

int FocusedItem(HWND list) {
  return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

// Runs a bulk change with drawing suspended: a visible list that redraws
// and re-measures its scroll bars after every single row makes a thousand
// rows take many seconds.
template <typename Change>
void Quietly(ListViewRows& rows, Change change) {
  rows.SetRedraw(false);
  change();
  rows.SetRedraw(true);
}

}  // namespace

HWND CreateListView(HWND parent, int id, int x, int y, int width, int height,
                    const std::vector<ListColumn>& columns, const ListViewOptions& options) {
  EnsureListClassRegistered();
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | options.extra_style;
  if (!options.multiple_selection) style |= LVS_SINGLESEL;
  if (options.show_selection_always) style |= LVS_SHOWSELALWAYS;
  HWND list = CreateWindowExW(options.window_ex_style, WC_LISTVIEWW, L"", style, x, y, width,
                              height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), nullptr);
  if (!list) return nullptr;

  DWORD list_style = options.extra_list_style;
  if (options.whole_row_select) list_style |= LVS_EX_FULLROWSELECT;
  if (options.grid_lines) list_style |= LVS_EX_GRIDLINES;
  if (list_style) SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, list_style, list_style);
  if (options.font) SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(options.font), FALSE);
  for (const ListColumn& column : columns) AddListColumn(list, column);
  return list;
}

int AddListColumn(HWND list, const ListColumn& column) {
  const int index = ListViewRows(list).ColumnCount();
  LVCOLUMNW lvc{};
  lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  lvc.cx = column.width;
  lvc.pszText = Wide(column.title);
  lvc.iSubItem = index;
  return static_cast<int>(
      SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lvc)));
}

void SetRowColour(HWND list, int row, COLORREF colour) {
  if (!RowExists(list, row)) return;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.lParam = colour == CLR_NONE ? 0 : (static_cast<LPARAM>(colour & 0x00FFFFFF) | kColourFlag);
  SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  SendMessageW(list, LVM_REDRAWITEMS, static_cast<WPARAM>(row), static_cast<LPARAM>(row));
}

COLORREF RowColour(HWND list, int row) {
  if (!RowExists(list, row)) return CLR_NONE;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return CLR_NONE;
  if (!(item.lParam & kColourFlag)) return CLR_NONE;
  return static_cast<COLORREF>(item.lParam & 0x00FFFFFF);
}

bool HandleListCustomDraw(LPARAM lparam, LRESULT* result) {
  const auto* header = reinterpret_cast<const NMHDR*>(lparam);
  if (!header || header->code != static_cast<UINT>(NM_CUSTOMDRAW) || !IsListView(header->hwndFrom))
    return false;
  auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lparam);
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      *result = CDRF_NOTIFYITEMDRAW;
      return true;
    case CDDS_ITEMPREPAINT:
      // The item's colour covers all its columns.
      if (draw->nmcd.lItemlParam & kColourFlag)
        draw->clrTextBk = static_cast<COLORREF>(draw->nmcd.lItemlParam & 0x00FFFFFF);
      *result = CDRF_DODEFAULT;
      return true;
    default:
      *result = CDRF_DODEFAULT;
      return true;
  }
}

// ------------------------------------------------------------ ListViewRows

int ListViewRows::RowCount() const { return ItemCount(list_); }

int ListViewRows::ColumnCount() const {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
  if (!header) return 0;
  return std::max(0, static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)));
}

int ListViewRows::ColumnWidth(int column) const {
  if (column < 0 || column >= ColumnCount()) return 0;
  return static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

void ListViewRows::SetColumnWidth(int column, int width) {
  if (column < 0 || column >= ColumnCount()) return;
  SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

Text ListViewRows::Cell(int row, int column) const {
  if (!RowExists(list_, row) || column < 0 || column >= ColumnCount()) return {};
  // The control gives no length beforehand; a text that fills the buffer
  // may have been cut, so the buffer grows until one does not. Names fit
  // the first one, which costs no allocation: a search reads every row.
  char16_t first[256];
  std::u16string grown;
  char16_t* buffer = first;
  int size = 256;
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<LPWSTR>(buffer);
    item.cchTextMax = size;
    const int length = static_cast<int>(SendMessageW(
        list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    if (length < size - 1) {
      const auto* text = reinterpret_cast<const char16_t*>(item.pszText);
      return Text(text, static_cast<size_t>(std::max(0, length)));
    }
    size *= 2;
    grown.assign(static_cast<size_t>(size), u'\0');
    buffer = grown.data();
  }
}

void ListViewRows::SetCell(int row, int column, const Text& text) {
  if (!RowExists(list_, row) || column < 0 || column >= ColumnCount()) return;
  SetSubItemText(list_, row, column, text);
}

void ListViewRows::InsertRow(int index, const Row& cells) {
  InsertItem(list_, std::clamp(index, 0, RowCount()), cells, ColumnCount());
}

void ListViewRows::AppendRows(const std::vector<Row>& rows) {
  if (rows.empty()) return;
  const int columns = ColumnCount();
  int at = RowCount();
  Quietly(*this, [&] {
    // Lets the control allocate room for all rows at once.
    SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(at + rows.size()), 0);
    for (const Row& cells : rows) InsertItem(list_, at++, cells, columns);
  });
}

void ListViewRows::RemoveRow(int row) {
  if (RowExists(list_, row)) SendMessageW(list_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

void ListViewRows::RemoveRows(const std::vector<int>& rows) {
  if (rows.empty()) return;
  Quietly(*this, [&] {
    // A removed focused row hands the focus on to a neighbour, which the
    // next removal may take away again; moving the focus is slow in some
    // list-view implementations, so a focus that goes with its row is
    // dropped once beforehand.
    const int focused = FocusedItem(list_);
    if (focused >= 0 && std::binary_search(rows.begin(), rows.end(), focused)) {
      LVITEMW item{};
      item.stateMask = LVIS_FOCUSED;
      item.state = 0;
      SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(focused), reinterpret_cast<LPARAM>(&item));
    }
    // From the bottom up, so the indexes still to remove stay valid and the
    // control moves as few of its items as it can.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) RemoveRow(*it);
  });
}

void ListViewRows::RemoveAllRows() { SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0); }

bool ListViewRows::IsSelected(int row) const {
  if (!RowExists(list_, row)) return false;
  return (SendMessageW(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) &
          LVIS_SELECTED) != 0;
}

void ListViewRows::SetSelected(int row, bool selected) {
  // Row -1 would mean every row to the control.
  if (!RowExists(list_, row)) return;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = selected ? (LVIS_SELECTED | LVIS_FOCUSED) : 0;
  SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  // A Shift+click by the user then extends the selection from this row.
  if (selected) SendMessageW(list_, LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(row));
}

std::vector<int> ListViewRows::SelectedRows() const {
  std::vector<int> rows;
  const int count = RowCount();
  int row = -1;
  // Each answer must lie past the last; anything else (a missing control
  // answers 0 to everything) ends the walk.
  for (;;) {
    const int next = static_cast<int>(
        SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
    if (next <= row || next >= count) break;
    rows.push_back(row = next);
  }
  return rows;
}

void ListViewRows::EnsureVisible(int row) {
  if (RowExists(list_, row)) SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), TRUE);
}

void ListViewRows::SetRedraw(bool on) {
  if (!list_) return;
  const INT_PTR suspensions = Suspensions(list_);
  if (!on) {
    if (suspensions == 0) SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SetPropW(list_, kRedrawOffProperty, reinterpret_cast<HANDLE>(suspensions + 1));
    return;
  }
  if (suspensions > 1) {
    SetPropW(list_, kRedrawOffProperty, reinterpret_cast<HANDLE>(suspensions - 1));
    return;
  }
  RemovePropW(list_, kRedrawOffProperty);
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(list_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

}  // namespace tw
