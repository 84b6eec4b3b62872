#include "directory/directory_editing.h"

#include "common/settings.h"
#include "directory/directory_file.h"

namespace tw {

namespace {

constexpr int kFirstDataColumn = 1;
constexpr int kLastDataColumn = 3;

std::vector<Row> GridContent(const RowList& grid) {
  std::vector<Row> content;
  content.reserve(static_cast<size_t>(grid.RowCount()));
  for (int r = 0; r < grid.RowCount(); ++r) {
    Row cells;
    for (int c = kFirstDataColumn; c <= kLastDataColumn; ++c) cells.push_back(grid.Cell(r, c));
    content.push_back(std::move(cells));
  }
  return content;
}

}  // namespace

Row PlaceholderRow() { return {Text(), u"#CHANGEME", u"CHANGEME", u"CHANGEME"}; }

bool PasswordAccepted(const Text& answer) { return answer == kEditPassword; }

long long GridTextLength(const RowList& grid) {
  long long length = 0;
  for (int r = 0; r < grid.RowCount(); ++r)
    for (int c = kFirstDataColumn; c <= kLastDataColumn; ++c) length += static_cast<long long>(grid.Cell(r, c).size());
  return length;
}

EditorBaseline TakeEditorBaseline(const RowList& grid) {
  return {grid.RowCount(), GridTextLength(grid), GridContent(grid)};
}

bool GridChangedSince(const RowList& grid, const EditorBaseline& baseline) {
  // The counts settle most cases without reading every cell twice.
  if (grid.RowCount() != baseline.row_count || GridTextLength(grid) != baseline.text_length) return true;
  return GridContent(grid) != baseline.content;
}

void InsertPlaceholderRow(RowList& grid) {
  grid.InsertRow(0, PlaceholderRow());
  grid.EnsureVisible(0);
}

bool DeleteSelectedRow(RowList& grid) {
  const std::vector<int> selected = grid.SelectedRows();
  if (selected.empty()) return false;
  grid.RemoveRow(selected.front());
  return true;
}

SaveOutcome RunSaveFlow(RowList& grid, Dialogs& boxes, const Text& path) {
  const BoxAnswer answer =
      boxes.ShowBox(u"File Exists", u"Overwrite Existing File?", BoxIcon::kQuestion, BoxButtons::kYesNoCancel);
  // Cancel means the operator has not decided: the edits stay in the grid.
  if (answer == BoxAnswer::kCancel) return SaveOutcome::kCancelled;
  if (answer == BoxAnswer::kYes && !SaveDirectoryFromGrid(grid, path)) {
    // Reading the file back now would replace the operator's edits with
    // the old content they meant to overwrite.
    boxes.ShowBox(u"Error", u"The pager list could not be saved. Your changes are still in the editor.",
                  BoxIcon::kError);
    return SaveOutcome::kNotWritten;
  }
  CompactDirectoryFile(path);
  grid.RemoveAllRows();
  LoadDirectoryIntoGrid(grid, path);
  return answer == BoxAnswer::kYes ? SaveOutcome::kSaved : SaveOutcome::kReloaded;
}

bool ConfirmLeaveEditor(const RowList& grid, const EditorBaseline& baseline, Dialogs& boxes) {
  if (!GridChangedSince(grid, baseline)) return true;
  return boxes.ShowBox(u"Warning", u"Changes not saved, continue?", BoxIcon::kQuestion, BoxButtons::kYesNo) ==
         BoxAnswer::kYes;
}

}  // namespace tw
