#pragma once
// What the directory editor does with its grid and its questions, apart
// from the window: the baseline it compares against, the placeholder rows,
// and the Save and Close flows. The grid's rows are the editor's only store.
#include <vector>

#include "common/dialogs.h"
#include "common/row_list.h"
#include "common/text.h"

namespace tw {

inline constexpr char16_t kEditorTitle[] =
    u"Editing Pager List - Any starting with '#' will not be shown in program listing, doubleclick to edit";

// The cells of a row added with Add Row: hidden from the picker until the
// operator gives it a name.
Row PlaceholderRow();

// Whether the prompt's answer is the edit password: every character, in
// order and case, nothing trimmed.
bool PasswordAccepted(const Text& answer);

// The summed length, in UTF-16 code units, of columns 1 to 3 of every row.
long long GridTextLength(const RowList& grid);

// What the grid held after its last load or Save.
struct EditorBaseline {
  long long row_count = 0;
  long long text_length = 0;
  // Columns 1 to 3 of every row: an edit that keeps every length (one digit
  // typed over another) still counts as a change.
  std::vector<Row> content;
};
EditorBaseline TakeEditorBaseline(const RowList& grid);
bool GridChangedSince(const RowList& grid, const EditorBaseline& baseline);

// Add Row: the placeholder at the top, scrolled into view.
void InsertPlaceholderRow(RowList& grid);
// Delete Row: the selected row goes at once. False when none was selected.
bool DeleteSelectedRow(RowList& grid);

enum class SaveOutcome {
  kSaved,       // written, compacted and read back
  kReloaded,    // not written; the file compacted and read back
  kCancelled,   // nothing touched
  kNotWritten,  // the file could not be replaced; the grid kept as it was
};
// Asks whether to overwrite the directory file and acts on the answer. The
// caller shades the grid and takes a new baseline after kSaved and kReloaded.
SaveOutcome RunSaveFlow(RowList& grid, Dialogs& boxes, const Text& path);

// Close: true when the grid is as at the baseline, or the operator agrees
// to leave with unsaved changes.
bool ConfirmLeaveEditor(const RowList& grid, const EditorBaseline& baseline, Dialogs& boxes);

}  // namespace tw
