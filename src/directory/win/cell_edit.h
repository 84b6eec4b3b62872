#pragma once
// In-place editing of any cell of a multi-column list view, and the painted
// header of the directory editor's grid.
//
// A report-view list view can only edit its item labels (column 0). The
// procedures here turn that label editing into editing of the cell that was
// double-clicked: the grid's label edit box is moved over the cell, given
// the cell's text, and on its end the text goes back into that cell. They
// sit in front of the existing window procedures and pass on everything
// they do not handle; per-window state travels in window properties.
#include <windows.h>

#include "common/text.h"

namespace tw {

// One per grid, attached as the property "_LIEdit" and freed when the grid
// is destroyed.
struct CellEditState {
  WNDPROC PrevGridProc;
  HWND EditControl;
  long long EditRow;
  long long EditColumn;
  long long CellLeft;
  long long CellTop;
  long long CellWidth;
  long long CellHeight;
};

inline constexpr wchar_t kCellEditProperty[] = L"_LIEdit";
inline constexpr wchar_t kCellEditOldProcProperty[] = L"_LIEditOldProc";
// The column whose cells take digits only (the editor grid's Pager ID).
inline constexpr int kPagerIdColumn = 3;

// Installs in-place editing on a report-view list view. 1 when installed;
// 0 for a missing control, one that is not a multi-column list, a grid that
// already edits its cells, or when the record cannot be allocated.
int EnableCellEditing(HWND grid);
// Scrolls the recorded cell into view and starts the grid's label editing.
int BeginCellEdit(CellEditState* state, HWND grid);

LRESULT CALLBACK CellEditGridProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK CellEditParentProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK CellEditBoxProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// Whether the system places label edit boxes the newer way (Vista or later
// with common controls 6 or more). Worked out on the first EnableCellEditing.
bool NewSystem();
// Fixes NewSystem from now on, so that tests run either placement.
void SetNewSystemForTesting(bool value);

// The text of the cell being edited as it was when the edit began.
extern Text CellTextBeforeEdit;

// The painted header of the editor grid.
extern HWND EditorHeader;
extern WNDPROC EditorGridPrevProc;
LRESULT CALLBACK EditorHeaderDrawProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
// Keeps the grid's header as EditorHeader and puts EditorHeaderDrawProc in
// front of the grid's procedure, keeping the one replaced.
void InstallEditorHeaderDraw(HWND grid);

// The fill of the editor grid's header cells, RGB(185, 211, 238). Startup
// creates it; it lives until the process ends. HeaderBrush creates it on
// first use when startup has not.
HBRUSH CreateHeaderBrush();
HBRUSH HeaderBrush();

}  // namespace tw
