#include "directory/win/editor_window.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>

#include "common/data_locations.h"
#include "directory/directory_editing.h"
#include "directory/directory_file.h"
#include "directory/win/cell_edit.h"
#include "toolkit/list_view.h"
#include "toolkit/toolkit.h"

namespace tw {

namespace {

using toolkit::Event;
using toolkit::EventKind;

constexpr int kClientWidth = 768;
constexpr int kClientHeight = 580;

// The open editor; one at a time.
struct OpenEditor {
  HWND grid = nullptr;
  EditorBaseline baseline;
};
std::optional<OpenEditor> editor;

WNDPROC grid_lines_prev_proc = nullptr;

// The list view draws its grid lines in a system colour; the editor's are
// black. They are drawn again over every paint, where the list view drew
// its own: at the left edge of every column and the right edge of the last,
// and below every row down to the bottom of the list.
void DrawGridLines(HWND grid) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(grid, LVM_GETHEADER, 0, 0));
  RECT area{};
  GetClientRect(grid, &area);
  RECT header_rect{};
  if (header && IsWindowVisible(header)) {
    GetWindowRect(header, &header_rect);
    MapWindowPoints(nullptr, grid, reinterpret_cast<POINT*>(&header_rect), 2);
    area.top = std::max(area.top, header_rect.bottom);
  }
  HDC dc = GetDCEx(grid, nullptr, DCX_CACHE | DCX_CLIPCHILDREN | DCX_CLIPSIBLINGS);
  if (!dc) return;
  IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
  HPEN pen = CreatePen(PS_SOLID, 1, kGridLineColour);
  HGDIOBJ old_pen = SelectObject(dc, pen);

  const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  int right = 0;
  for (int i = 0; i < columns; ++i) {
    RECT item{};
    SendMessageW(header, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item));
    // The header moves left as the list scrolls to the right.
    const int x = item.left + header_rect.left;
    MoveToEx(dc, x, area.top, nullptr);
    LineTo(dc, x, area.bottom);
    right = std::max(right, static_cast<int>(item.right + header_rect.left));
  }
  if (columns > 0) {
    MoveToEx(dc, right, area.top, nullptr);
    LineTo(dc, right, area.bottom);
  }

  if (SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0) > 0) {
    RECT row{};
    row.left = LVIR_BOUNDS;
    const WPARAM top = static_cast<WPARAM>(SendMessageW(grid, LVM_GETTOPINDEX, 0, 0));
    if (SendMessageW(grid, LVM_GETITEMRECT, top, reinterpret_cast<LPARAM>(&row)) && row.bottom > row.top) {
      for (int y = row.bottom - 1; y < area.bottom; y += row.bottom - row.top) {
        MoveToEx(dc, area.left, y, nullptr);
        LineTo(dc, area.right, y);
      }
    }
  }
  SelectObject(dc, old_pen);
  DeleteObject(pen);
  ReleaseDC(grid, dc);
}

LRESULT CALLBACK EditorGridLinesProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = CallWindowProcW(grid_lines_prev_proc, hwnd, message, wparam, lparam);
  if (message == WM_PAINT && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE)) DrawGridLines(hwnd);
  return result;
}

ListViewRows GridRows() { return ListViewRows(editor->grid); }

void AddRow() {
  ListViewRows rows = GridRows();
  rows.InsertRow(0, PlaceholderRow());
  SetRowColour(editor->grid, 0, kNewRowColour);
  rows.EnsureVisible(0);
}

void Save() {
  ListViewRows rows = GridRows();
  const SaveOutcome outcome = RunSaveFlow(rows, toolkit::Boxes(), DirectoryPath());
  // After Cancel, or a file that could not be written, the grid still holds
  // the operator's unsaved edits: the old baseline must keep showing them.
  if (outcome == SaveOutcome::kSaved || outcome == SaveOutcome::kReloaded) {
    ShadeAlternateRows(editor->grid);
    editor->baseline = TakeEditorBaseline(rows);
  }
}

bool MayLeave() {
  // Alt+F4 can come while a cell is being edited, with the cell blanked
  // behind its box: the edit ends first, as a click elsewhere would end it.
  if (SendMessageW(editor->grid, LVM_GETEDITCONTROL, 0, 0)) SetFocus(editor->grid);
  return ConfirmLeaveEditor(GridRows(), editor->baseline, toolkit::Boxes());
}

}  // namespace

void ShadeAlternateRows(HWND grid) {
  const int count = static_cast<int>(SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; row += 2) SetRowColour(grid, row, kShadeColour);
}

bool OpenDirectoryEditor(const Text& title) {
  HFONT font = toolkit::LoadFont(u"Arial", 15);
  toolkit::WindowOptions options;
  options.system_menu = false;
  options.minimise_box = false;
  if (!toolkit::OpenWindow(kEditorWindow, title, kClientWidth, kClientHeight, options)) return false;

  ListViewOptions grid_options;
  grid_options.whole_row_select = true;
  grid_options.grid_lines = true;
  grid_options.extra_style = LVS_SHAREIMAGELISTS;
  grid_options.extra_list_style = LVS_EX_DOUBLEBUFFER;
  grid_options.window_ex_style = WS_EX_CLIENTEDGE;
  HWND grid = CreateListView(toolkit::WindowHandle(kEditorWindow), kEditorGrid, 10, 10, 748, 515, {{Text(), 0}},
                             grid_options);
  if (!grid) {
    toolkit::CloseWindow(kEditorWindow);
    return false;
  }
  InstallEditorHeaderDraw(grid);
  AddListColumn(grid, {u"Last Name", 242});
  AddListColumn(grid, {u"First Name", 242});
  AddListColumn(grid, {u"Pager ID:", 243});

  toolkit::AddButton(kEditorWindow, kAddRowButton, {20, 545, 80, 25}, u"Add Row");
  toolkit::AddButton(kEditorWindow, kDeleteRowButton, {120, 545, 80, 25}, u"Delete Row");
  toolkit::AddButton(kEditorWindow, kEditorSaveButton, {450, 545, 80, 25}, u"Save");
  toolkit::AddButton(kEditorWindow, kEditorCloseButton, {670, 545, 80, 25}, u"Close", true);

  toolkit::Focus(kEditorWindow, kEditorGrid);
  if (font) toolkit::SetFont(kEditorWindow, kEditorGrid, font);
  grid_lines_prev_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(grid, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditorGridLinesProc)));

  ListViewRows rows(grid);
  {
    RedrawSuspended quiet(rows);
    LoadDirectoryIntoGrid(rows, DirectoryPath());
  }
  editor = OpenEditor{grid, TakeEditorBaseline(rows)};
  ShadeAlternateRows(grid);
  EnableCellEditing(grid);
  return true;
}

bool DirectoryEditorPass(int wait_ms) {
  if (!editor) return true;
  const std::optional<Event> event = toolkit::WaitEvent(wait_ms);
  if (!event || event->window != kEditorWindow) return false;
  // Alt+F4 asks the same as the Close button, so nothing unsaved is lost
  // without a question.
  if (event->kind == EventKind::kClose) return MayLeave();
  if (event->kind != EventKind::kControl) return false;
  switch (event->id) {
    case kAddRowButton:
      AddRow();
      break;
    case kDeleteRowButton: {
      ListViewRows rows = GridRows();
      DeleteSelectedRow(rows);
      break;
    }
    case kEditorSaveButton:
      Save();
      break;
    case kEditorCloseButton:
      return MayLeave();
    default:
      break;
  }
  return false;
}

void CloseDirectoryEditor() {
  toolkit::CloseWindow(kEditorWindow);
  editor.reset();
}

void RunDirectoryEditor(const Text& title) {
  if (!OpenDirectoryEditor(title)) {
    toolkit::Boxes().ShowBox(u"Error", u"The pager list editor could not be opened.", BoxIcon::kError);
    return;
  }
  while (!DirectoryEditorPass(1)) {
  }
  CloseDirectoryEditor();
}

bool EditPagerList() {
  Dialogs& boxes = toolkit::Boxes();
  const Text answer =
      boxes.Prompt(u"Password Required", u"Please enter the password to edit the pager list", Text(), true);
  if (!PasswordAccepted(answer)) {
    boxes.ShowBox(u"Error", u"Wrong password entered", BoxIcon::kError);
    return false;
  }
  RunDirectoryEditor(kEditorTitle);
  return true;
}

}  // namespace tw
