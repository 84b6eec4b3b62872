#include "directory/win/cell_edit.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <new>
#include <optional>
#include <string>
#include <vector>

namespace tw {

Text CellTextBeforeEdit;
HWND EditorHeader = nullptr;
WNDPROC EditorGridPrevProc = nullptr;

namespace {

std::optional<bool> new_system;
HBRUSH header_brush = nullptr;
// Set when Escape reaches the edit box. Some list views report an accepted
// empty text exactly as they report a cancelled edit (no text at all); this
// tells the two apart. One edit at a time, so one flag serves them all.
bool edit_cancelled = false;

bool IsVistaOrLater() {
  OSVERSIONINFOEXW wanted{};
  wanted.dwOSVersionInfoSize = sizeof wanted;
  wanted.dwMajorVersion = 6;
  wanted.dwMinorVersion = 0;
  DWORDLONG mask = 0;
  mask = VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
  mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
  return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION, mask) != FALSE;
}

bool CommonControlsSixOrLater() {
  HMODULE library = LoadLibraryW(L"comctl32.dll");
  if (!library) return false;
  bool six = false;
  auto get_version =
      reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(library, "DllGetVersion")));
  if (get_version) {
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    if (SUCCEEDED(get_version(&info))) six = info.dwMajorVersion >= 6;
  }
  FreeLibrary(library);
  return six;
}

void WorkOutNewSystem() {
  if (!new_system) new_system = IsVistaOrLater() && CommonControlsSixOrLater();
}

CellEditState* StateOf(HWND grid) {
  return grid ? static_cast<CellEditState*>(GetPropW(grid, kCellEditProperty)) : nullptr;
}

WNDPROC OldProcOf(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(GetPropW(hwnd, kCellEditOldProcProperty));
}

WNDPROC Subclass(HWND hwnd, WNDPROC proc) {
  return reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

void SetStyleBits(HWND hwnd, LONG_PTR bits, bool on) {
  LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  LONG_PTR changed = on ? (style | bits) : (style & ~bits);
  if (changed != style) SetWindowLongPtrW(hwnd, GWL_STYLE, changed);
}

Text CellText(HWND grid, int row, int column) {
  std::wstring buffer(256, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    auto length = static_cast<size_t>(SendMessageW(grid, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    if (length + 1 < buffer.size()) return Text(buffer.begin(), buffer.begin() + length);
    buffer.resize(buffer.size() * 2);
  }
}

void SetCellText(HWND grid, int row, int column, const Text& text) {
  std::wstring wide(text.begin(), text.end());
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  SendMessageW(grid, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

Text WindowText(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(hwnd, buffer.data(), length + 1);
  return Text(buffer.begin(), buffer.begin() + got);
}

Text DigitsOnly(const Text& text) {
  Text digits;
  for (char16_t c : text)
    if (c >= u'0' && c <= u'9') digits.push_back(c);
  return digits;
}

RECT SubItemRect(HWND grid, int row, int column) {
  RECT rect{};
  rect.top = column;
  rect.left = LVIR_BOUNDS;
  SendMessageW(grid, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
  return rect;
}

void SetColumnZeroOrder(HWND grid, int order) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(grid, LVM_GETHEADER, 0, 0));
  HDITEMW item{};
  item.mask = HDI_ORDER;
  item.iOrder = order;
  SendMessageW(header, HDM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

// A report-view list view: the only kind whose cells this can edit.
bool IsMultiColumnList(HWND control) {
  if (!control || !IsWindow(control)) return false;
  if ((GetWindowLongPtrW(control, GWL_STYLE) & LVS_TYPEMASK) != LVS_REPORT) return false;
  wchar_t name[64] = {};
  GetClassNameW(control, name, 64);
  if (lstrcmpiW(name, WC_LISTVIEWW) != 0) return false;
  return SendMessageW(control, LVM_GETHEADER, 0, 0) != 0;
}

LRESULT OnBeginLabelEdit(HWND grid, CellEditState* state) {
  const int row = static_cast<int>(state->EditRow);
  const int column = static_cast<int>(state->EditColumn);
  state->EditControl = nullptr;
  edit_cancelled = false;

  HWND box = reinterpret_cast<HWND>(SendMessageW(grid, LVM_GETEDITCONTROL, 0, 0));
  if (box && !GetPropW(box, kCellEditOldProcProperty))
    SetPropW(box, kCellEditOldProcProperty, reinterpret_cast<HANDLE>(Subclass(box, CellEditBoxProc)));

  CellTextBeforeEdit = CellText(grid, row, column);
  if (box) {
    std::wstring wide(CellTextBeforeEdit.begin(), CellTextBeforeEdit.end());
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  }
  // Nothing may show through behind the box while it is open.
  SetCellText(grid, row, column, Text());

  RECT cell = SubItemRect(grid, row, column);
  state->CellLeft = cell.left;
  state->CellTop = cell.top;
  state->CellHeight = cell.bottom - cell.top;
  state->CellWidth = SendMessageW(grid, LVM_GETCOLUMNWIDTH, column, 0);
  return 0;
}

LRESULT OnEndLabelEdit(HWND grid, CellEditState* state, const NMLVDISPINFOW* info) {
  const int row = static_cast<int>(state->EditRow);
  const int column = static_cast<int>(state->EditColumn);
  std::optional<Text> accepted;
  if (info->item.pszText) {
    accepted = Text(info->item.pszText, info->item.pszText + lstrlenW(info->item.pszText));
  } else if (!edit_cancelled) {
    // Accepted, but reported without a text: the box was left empty.
    HWND box = reinterpret_cast<HWND>(SendMessageW(grid, LVM_GETEDITCONTROL, 0, 0));
    if (box && WindowText(box).empty()) accepted = Text();
  }
  if (accepted) {
    // Pasted text escapes the typing filter; a pager ID holds digits only,
    // or the paging server refuses it.
    SetCellText(grid, row, column, column == kPagerIdColumn ? DigitsOnly(*accepted) : *accepted);
  } else {
    SetCellText(grid, row, column, CellTextBeforeEdit);
  }
  edit_cancelled = false;
  SetStyleBits(grid, LVS_EDITLABELS, false);
  if (NewSystem()) SetColumnZeroOrder(grid, 0);
  return 0;
}

}  // namespace

bool NewSystem() { return new_system.value_or(false); }

void SetNewSystemForTesting(bool value) { new_system = value; }

int EnableCellEditing(HWND grid) {
  WorkOutNewSystem();
  if (!IsMultiColumnList(grid)) return 0;
  if (GetPropW(grid, kCellEditProperty)) return 0;
  auto* state = new (std::nothrow) CellEditState{};
  if (!state) return 0;

  // Idle, the list view must never start label editing by itself (a click
  // on a selected row, F2): that would edit the hidden column 0.
  SetStyleBits(grid, LVS_EDITLABELS, false);
  state->PrevGridProc = Subclass(grid, CellEditGridProc);
  SetPropW(grid, kCellEditProperty, state);

  HWND parent = GetParent(grid);
  if (parent && !GetPropW(parent, kCellEditOldProcProperty))
    SetPropW(parent, kCellEditOldProcProperty, reinterpret_cast<HANDLE>(Subclass(parent, CellEditParentProc)));
  return 1;
}

int BeginCellEdit(CellEditState* state, HWND grid) {
  if (NewSystem()) {
    // Newer list views put the label edit box where column 0 stands; with
    // the zero-width column 0 just left of the edited column, the box
    // starts at the cell and nothing visible moves.
    HWND header = reinterpret_cast<HWND>(SendMessageW(grid, LVM_GETHEADER, 0, 0));
    int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    if (count > 0) {
      std::vector<int> order(static_cast<size_t>(count), 0);
      SendMessageW(grid, LVM_GETCOLUMNORDERARRAY, count, reinterpret_cast<LPARAM>(order.data()));
      bool passed_zero = false;
      for (int position = 0; position < count; ++position) {
        if (order[position] == state->EditColumn) {
          SetColumnZeroOrder(grid, passed_zero ? position - 1 : position);
          break;
        }
        if (order[position] == 0) passed_zero = true;
      }
    }
  }

  RECT cell = SubItemRect(grid, static_cast<int>(state->EditRow), static_cast<int>(state->EditColumn));
  RECT client{};
  GetClientRect(grid, &client);
  const int width = cell.right - cell.left;
  if (cell.left < 0 || width >= client.right - client.left)
    SendMessageW(grid, LVM_SCROLL, cell.left, 0);
  else if (cell.right > client.right)
    SendMessageW(grid, LVM_SCROLL, cell.right - client.right, 0);

  SetStyleBits(grid, LVS_EDITLABELS, true);
  SendMessageW(grid, LVM_EDITLABELW, static_cast<WPARAM>(state->EditRow), 0);
  return 0;
}

LRESULT CALLBACK CellEditGridProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  CellEditState* state = StateOf(hwnd);
  if (!state) return DefWindowProcW(hwnd, message, wparam, lparam);
  WNDPROC previous = state->PrevGridProc;

  switch (message) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHEADERW*>(lparam);
      switch (header->hdr.code) {
        case HDN_BEGINTRACKW:
          // Column 0 is hidden at width 0 and must stay so.
          return header->iItem == 0 ? TRUE : FALSE;
        case HDN_DIVIDERDBLCLICKW:
          // A double click on a divider sizes the column to its content,
          // which would open the hidden column 0 as well.
          if (header->iItem == 0) return 0;
          break;
        case HDN_ENDTRACKW:
          InvalidateRect(hwnd, nullptr, TRUE);
          return 0;
      }
      break;
    }
    case WM_LBUTTONDBLCLK: {
      LVHITTESTINFO hit{};
      hit.pt.x = static_cast<short>(LOWORD(lparam));
      hit.pt.y = static_cast<short>(HIWORD(lparam));
      SendMessageW(hwnd, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      // A zero-width column can only be "hit" beside the last column; an
      // edit there would be invisible and write into the hidden column.
      if (hit.iItem != -1 && hit.iSubItem >= 0 && SendMessageW(hwnd, LVM_GETCOLUMNWIDTH, hit.iSubItem, 0) > 0) {
        state->EditRow = hit.iItem;
        state->EditColumn = hit.iSubItem;
        BeginCellEdit(state, hwnd);
      }
      // The list view never sees the double click itself; its first click
      // has already selected the row.
      return 0;
    }
    case WM_NCDESTROY: {
      LRESULT result = CallWindowProcW(previous, hwnd, message, wparam, lparam);
      RemovePropW(hwnd, kCellEditProperty);
      delete state;
      return result;
    }
  }
  return CallWindowProcW(previous, hwnd, message, wparam, lparam);
}

LRESULT CALLBACK CellEditParentProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  WNDPROC previous = OldProcOf(hwnd);
  if (!previous) return DefWindowProcW(hwnd, message, wparam, lparam);

  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lparam);
    if (header->code == LVN_BEGINLABELEDITW || header->code == LVN_ENDLABELEDITW) {
      CellEditState* state = StateOf(header->hwndFrom);
      // Label edits of other lists in this window are not ours to take.
      if (state) {
        if (header->code == LVN_BEGINLABELEDITW) return OnBeginLabelEdit(header->hwndFrom, state);
        return OnEndLabelEdit(header->hwndFrom, state, reinterpret_cast<const NMLVDISPINFOW*>(lparam));
      }
    }
  } else if (message == WM_NCDESTROY) {
    LRESULT result = CallWindowProcW(previous, hwnd, message, wparam, lparam);
    RemovePropW(hwnd, kCellEditOldProcProperty);
    return result;
  }
  return CallWindowProcW(previous, hwnd, message, wparam, lparam);
}

LRESULT CALLBACK CellEditBoxProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  WNDPROC previous = OldProcOf(hwnd);
  if (!previous) return DefWindowProcW(hwnd, message, wparam, lparam);
  CellEditState* state = StateOf(GetParent(hwnd));

  switch (message) {
    case WM_ERASEBKGND: {
      LRESULT result = CallWindowProcW(previous, hwnd, message, wparam, lparam);
      if (state && !state->EditControl) {
        state->EditControl = hwnd;
        SendMessageW(hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(4, 0));
        // The list view selects the whole text; typing must add to it.
        SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(-1), 0);
      }
      return result;
    }
    case WM_WINDOWPOSCHANGING:
      if (state) {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lparam);
        pos->x = static_cast<int>(state->CellLeft);
        pos->cx = static_cast<int>(state->CellWidth);
        if (NewSystem()) {
          pos->y = static_cast<int>(state->CellTop);
          pos->cy = static_cast<int>(state->CellHeight);
        } else {
          pos->y = static_cast<int>(state->CellTop) - 2;
          pos->cy = static_cast<int>(state->CellHeight) + 3;
        }
      }
      break;
    case WM_KEYDOWN:
      if (wparam == VK_ESCAPE) edit_cancelled = true;
      break;
    case WM_CHAR:
      if (state && state->EditColumn == kPagerIdColumn && wparam != 8 && (wparam < '0' || wparam > '9')) return 0;
      break;
    case WM_DESTROY: {
      LRESULT result = CallWindowProcW(previous, hwnd, message, wparam, lparam);
      // Some list views put the box's own procedure back while they destroy
      // it; this procedure then never sees WM_NCDESTROY.
      if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(CellEditBoxProc))
        RemovePropW(hwnd, kCellEditOldProcProperty);
      return result;
    }
    case WM_NCDESTROY: {
      LRESULT result = CallWindowProcW(previous, hwnd, message, wparam, lparam);
      RemovePropW(hwnd, kCellEditOldProcProperty);
      return result;
    }
  }
  return CallWindowProcW(previous, hwnd, message, wparam, lparam);
}

LRESULT CALLBACK EditorHeaderDrawProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = CallWindowProcW(EditorGridPrevProc, hwnd, message, wparam, lparam);
  if (message != WM_NOTIFY) return result;
  auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(lparam);
  if (draw->hdr.code != NM_CUSTOMDRAW || draw->hdr.hwndFrom != EditorHeader) return result;

  if (draw->dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw->dwDrawStage != CDDS_ITEMPREPAINT) return result;

  wchar_t title[100] = {};
  HDITEMW item{};
  item.mask = HDI_TEXT;
  item.pszText = title;
  item.cchTextMax = 100;
  SendMessageW(EditorHeader, HDM_GETITEMW, draw->dwItemSpec, reinterpret_cast<LPARAM>(&item));

  RECT rect = draw->rc;
  if (draw->uItemState & CDIS_SELECTED) {
    DrawFrameControl(draw->hdc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
    InflateRect(&rect, -1, -1);
  } else {
    DrawFrameControl(draw->hdc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH);
  }
  InflateRect(&rect, -1, -1);
  SetBkMode(draw->hdc, TRANSPARENT);
  FillRect(draw->hdc, &rect, HeaderBrush());
  SetTextColor(draw->hdc, RGB(0, 0, 0));
  // DT_VCENTER centres only single lines.
  DrawTextW(draw->hdc, title, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  return CDRF_SKIPDEFAULT;
}

void InstallEditorHeaderDraw(HWND grid) {
  EditorHeader = reinterpret_cast<HWND>(SendMessageW(grid, LVM_GETHEADER, 0, 0));
  EditorGridPrevProc = Subclass(grid, EditorHeaderDrawProc);
}

HBRUSH CreateHeaderBrush() {
  if (!header_brush) header_brush = CreateSolidBrush(RGB(185, 211, 238));
  return header_brush;
}

HBRUSH HeaderBrush() { return CreateHeaderBrush(); }

}  // namespace tw
