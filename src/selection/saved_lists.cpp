#include "selection/saved_lists.h"

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/data_locations.h"
#include "directory/directory_file.h"
#include "platform/encoding.h"
#include "platform/file.h"

namespace tw {

namespace {

constexpr TextView kListExtension = u".lst";
// The longest file name a Windows folder holds, in UTF-16 units.
constexpr size_t kLongestFileName = 255;

char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c; }

bool EndsWithListExtension(TextView name, bool ignore_case) {
  if (name.size() < kListExtension.size()) return false;
  const TextView tail = name.substr(name.size() - kListExtension.size());
  if (!ignore_case) return tail == kListExtension;
  return std::equal(tail.begin(), tail.end(), kListExtension.begin(),
                    [](char16_t a, char16_t b) { return AsciiUpper(a) == AsciiUpper(b); });
}

// The file of a typed name: ".lst" is added unless the name already ends in
// exactly that, so "team.LST" becomes "team.LST.lst".
Text ListFileName(const Text& typed) {
  return EndsWithListExtension(typed, false) ? typed : typed + Text(kListExtension);
}

Text ListPath(const Text& folder, const Text& list_name) {
  return folder + list_name + Text(kListExtension);
}

// Only the last level is made: without the user's documents folder there is
// nowhere sensible to keep lists, and nothing is reported.
void EnsureListsFolder(const Text& folder) {
  if (platform::QueryPath(folder) != platform::PathKind::kMissing) return;
  Text level = folder;
  if (!level.empty() && level.back() == platform::kPathSeparator) level.pop_back();
  platform::CreateFolder(level);
}

// Windows opens these as devices whatever follows their first dot.
bool IsDeviceName(TextView name) {
  TextView base = name.substr(0, std::min(name.find(u'.'), name.size()));
  while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
  Text upper;
  for (char16_t c : base) upper += AsciiUpper(c);
  static const TextView kDevices[] = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"};
  if (std::find(std::begin(kDevices), std::end(kDevices), upper) != std::end(kDevices)) return true;
  if (upper.size() == 4 && (upper.starts_with(u"COM") || upper.starts_with(u"LPT"))) {
    const char16_t n = upper[3];
    return (n >= u'0' && n <= u'9') || n == u'\u00b9' || n == u'\u00b2' || n == u'\u00b3';
  }
  return false;
}

std::string ListFileContent(const RowList& send_to) {
  std::string bytes;
  for (int r = 0; r < send_to.RowCount(); ++r) {
    const Text name = send_to.Cell(r, 0);
    if (name.empty()) continue;
    bytes += platform::TextToAnsi(name + u";" + send_to.Cell(r, 1));
    bytes += "\r\n";
  }
  return bytes;
}

void RefillSavedLists(RowList& saved_lists) {
  RedrawSuspended suspended(saved_lists);
  saved_lists.RemoveAllRows();
  RefreshSavedLists(saved_lists);
}

// The directory rows a loaded list takes out of the Available list. A saved
// row takes the topmost row with its name and pager ID, and only when there
// is none the topmost row with exactly its name: one person listed under an
// old pager ID still leaves the Available list, while a name that merely
// contains another ("Aaron-Smith, Joan" for "Smith, Jo") never does.
std::vector<int> RowsTakenByMembers(const RowList& members, const RowList& available) {
  // The rows of each key, bottom first, so back() is the topmost.
  std::map<std::pair<Text, Text>, std::vector<int>> by_name_and_id;
  std::map<Text, std::vector<int>> by_name;
  for (int r = available.RowCount() - 1; r >= 0; --r) {
    Text name = available.Cell(r, 0);
    by_name_and_id[{name, available.Cell(r, 1)}].push_back(r);
    by_name[std::move(name)].push_back(r);
  }
  std::vector<bool> taken(available.RowCount(), false);
  auto take_topmost = [&taken](std::vector<int>& rows) {
    while (!rows.empty() && taken[rows.back()]) rows.pop_back();
    if (rows.empty()) return false;
    taken[rows.back()] = true;
    return true;
  };

  for (int m = members.RowCount() - 1; m >= 0; --m) {
    const Text name = members.Cell(m, 0);
    // A line without a name never came from the directory and is nobody.
    if (name.empty()) continue;
    auto exact = by_name_and_id.find({name, members.Cell(m, 1)});
    if (exact != by_name_and_id.end() && take_topmost(exact->second)) continue;
    auto same_name = by_name.find(name);
    if (same_name != by_name.end()) take_topmost(same_name->second);
  }

  std::vector<int> rows;
  for (int r = 0; r < static_cast<int>(taken.size()); ++r)
    if (taken[r]) rows.push_back(r);
  return rows;
}

}  // namespace

std::optional<Text> ListNameFault(const Text& name) {
  static constexpr TextView kForbidden = u"\\/:*?\"<>|";
  for (char16_t c : name) {
    if (c < 0x20) return Text(u"A list name cannot contain control characters.");
    if (kForbidden.find(c) != TextView::npos)
      return Text(u"A list name cannot contain any of the characters \\ / : * ? \" < > |");
  }
  if (!name.empty() && (name.back() == u'.' || name.back() == u' '))
    return Text(u"A list name cannot end with a dot or a blank.");
  const Text file_name = ListFileName(name);
  if (file_name.size() == kListExtension.size())
    return Text(u"Type a name in front of \".lst\".");
  if (file_name.size() > kLongestFileName)
    return u"A list name can be at most " + NumberText(kLongestFileName - kListExtension.size()) +
           u" characters long.";
  if (IsDeviceName(file_name)) {
    Text why = u"\"";
    why.append(file_name, 0, file_name.find(u'.'));
    why += u"\" is the name of a device and cannot name a list.";
    return why;
  }
  return std::nullopt;
}

void RefreshSavedLists(RowList& saved_lists) {
  const Text folder = ListsFolder();
  EnsureListsFolder(folder);
  for (const platform::FolderEntry& entry : platform::ListFolder(folder, u"*.lst")) {
    // Windows also matches "*.lst" through short names ("a.lstold"); such a
    // file would show under a name whose ".lst" file does not exist.
    if (entry.is_folder || !EndsWithListExtension(entry.name, true)) continue;
    saved_lists.AppendRow({entry.name.substr(0, entry.name.rfind(u'.'))});
  }
}

void SaveRecipientList(Dialogs& dialogs, const RowList& send_to, RowList& saved_lists) {
  const Text folder = ListsFolder();
  for (;;) {
    const Text name =
        dialogs.Prompt(u"Save Pager List", u"Type in a name for your pager list.", Text());
    if (name.empty()) {
      dialogs.ShowBox(u"Error", u"You must type a filename.", BoxIcon::kError);
      break;
    }
    // The name becomes part of a path: anything but a plain file name could
    // write outside the lists folder or onto a device.
    if (const std::optional<Text> fault = ListNameFault(name)) {
      dialogs.ShowBox(u"Error", *fault, BoxIcon::kError);
      continue;
    }
    const Text path = folder + ListFileName(name);
    const platform::PathKind kind = platform::QueryPath(path);
    if (kind == platform::PathKind::kFolder) {
      dialogs.ShowBox(u"Error", u"Already exists as a directory", BoxIcon::kError);
      continue;
    }
    bool written = true;
    if (kind == platform::PathKind::kMissing) {
      EnsureListsFolder(folder);
      written = platform::CreateFileWithContent(path, ListFileContent(send_to));
    } else if (dialogs.ShowBox(u"File Exists", u"Overwrite Existing File?", BoxIcon::kQuestion,
                               BoxButtons::kYesNoCancel) == BoxAnswer::kYes) {
      // One-step replace: the old list stays whole unless the new one is
      // complete, and the two are never mixed.
      written = platform::ReplaceFileContent(path, ListFileContent(send_to));
    }
    // The refilled list shows the name either way, so only a box tells the
    // operator that an overwritten list still holds its old members.
    if (!written)
      dialogs.ShowBox(u"Error", u"The list " + name + u" could not be saved.", BoxIcon::kError);
    break;
  }
  RefillSavedLists(saved_lists);
}

std::optional<ListRemovalOffer> OfferListRemoval(const RowList& saved_lists) {
  const std::vector<int> selected = saved_lists.SelectedRows();
  if (selected.empty()) return std::nullopt;
  Text name = saved_lists.Cell(selected.front(), 0);
  Text item_text = u"Remove " + name + u" ?";
  return ListRemovalOffer{std::move(name), std::move(item_text)};
}

void RemoveRecipientList(const Text& name, Dialogs& dialogs, RowList& saved_lists) {
  const Text folder = ListsFolder();
  if (dialogs.ShowBox(Text(), u"Are you sure you wish to remove " + name + u" ?",
                      BoxIcon::kQuestion, BoxButtons::kYesNo, true) != BoxAnswer::kYes)
    return;
  // The selected row is the one offered; should the selection have moved
  // meanwhile, the row of the named list goes rather than another list's.
  const std::vector<int> selected = saved_lists.SelectedRows();
  int row = -1;
  if (!selected.empty() && saved_lists.Cell(selected.front(), 0) == name) {
    row = selected.front();
  } else {
    for (int r = 0; r < saved_lists.RowCount() && row < 0; ++r)
      if (saved_lists.Cell(r, 0) == name) row = r;
  }
  // A list whose file stays (read-only, in use) keeps its row: it would be
  // back at the next refill, after the operator was shown it gone.
  const Text path = ListPath(folder, name);
  if (!platform::DeleteFileAt(path) && platform::QueryPath(path) != platform::PathKind::kMissing) {
    dialogs.ShowBox(u"Error", u"The list " + name + u" could not be removed.", BoxIcon::kError);
    return;
  }
  if (row >= 0) saved_lists.RemoveRow(row);
}

void LoadRecipientList(const RowList& saved_lists, RowList& send_to, RowList& available) {
  const std::vector<int> selected = saved_lists.SelectedRows();
  if (selected.empty()) return;
  const Text path = ListPath(ListsFolder(), saved_lists.Cell(selected.front(), 0));

  RedrawSuspended send_to_suspended(send_to);
  send_to.RemoveAllRows();
  RedrawSuspended available_suspended(available);
  available.RemoveAllRows();

  LoadRecipientLines(send_to, path);
  LoadRecipientLines(available, DirectoryPath());
  available.RemoveRows(RowsTakenByMembers(send_to, available));
  for (int r : available.SelectedRows()) available.SetSelected(r, false);
}

}  // namespace tw
