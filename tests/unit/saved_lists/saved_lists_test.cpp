#include "selection/saved_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/data_locations.h"
#include "common/memory_row_list.h"
#include "platform/file.h"
#include "support/scoped_env.h"
#include "support/scripted_dialogs.h"
#include "support/temp_folder.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::ScopedEnv;
using testing::ScriptedDialogs;
using testing::TempFolder;
using testing::WriteBytes;

using Rows = std::vector<std::vector<std::string>>;

Rows RowsOf(const RowList& list) {
  Rows out;
  for (int r = 0; r < list.RowCount(); ++r) {
    std::vector<std::string> cells;
    for (int c = 0; c < list.ColumnCount(); ++c) cells.push_back(TextToUtf8(list.Cell(r, c)));
    out.push_back(cells);
  }
  return out;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

std::vector<std::string> Names(const RowList& saved) {
  std::vector<std::string> out;
  for (int r = 0; r < saved.RowCount(); ++r) out.push_back(TextToUtf8(saved.Cell(r, 0)));
  return out;
}

// Every file below a folder, as paths relative to it with "/" between levels.
std::vector<std::string> FilesBelow(const Text& folder) {
  std::vector<std::string> out;
  const fs::path root(folder);
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_directory()) continue;
    const std::u8string rel = fs::relative(e.path(), root).generic_u8string();
    out.emplace_back(rel.begin(), rel.end());
  }
  std::sort(out.begin(), out.end());
  return out;
}

// A user profile with a documents folder in a temporary folder, and the
// process's current folder (where pagers.dat lives) in another.
class SavedListsTest : public ::testing::Test {
 protected:
  SavedListsTest() : user_profile_("USERPROFILE", profile_.path()) {
    fs::create_directory(fs::path(profile_.File("Documents")));
    old_current_ = fs::current_path();
    fs::current_path(fs::path(data_.path()));
    InitDataLocations();
  }
  ~SavedListsTest() override {
    platform::faults::Reset();
    fs::current_path(old_current_);
    InitDataLocations();
  }

  Text ListFile(const std::string& file_name) const { return ListsFolder() + Utf8ToText(file_name); }
  void WriteList(const std::string& file_name, const std::string& bytes) {
    fs::create_directories(fs::path(ListsFolder()));
    WriteBytes(ListFile(file_name), bytes);
  }
  std::vector<std::string> ListFiles() const { return FilesBelow(ListsFolder()); }

  void SetSendTo(const Rows& rows) {
    send_to_.RemoveAllRows();
    for (const auto& r : rows) send_to_.AppendRow({Utf8ToText(r[0]), Utf8ToText(r[1])});
  }
  void SelectSaved(const std::string& name) {
    for (int r = 0; r < saved_.RowCount(); ++r) saved_.SetSelected(r, saved_.Cell(r, 0) == Utf8ToText(name));
  }

  TempFolder profile_;
  TempFolder data_;
  ScopedEnv user_profile_;
  fs::path old_current_;
  MemoryRowList saved_{{299}};
  MemoryRowList send_to_{{299, 0}};
  MemoryRowList available_{{299, 0}};
};

// --- The list of saved lists ---------------------------------------------

TEST_F(SavedListsTest, RefreshCreatesTheFolderAndListsOnlyListFilesByName) {
  EXPECT_EQ(platform::QueryPath(ListsFolder()), platform::PathKind::kMissing);
  RefreshSavedLists(saved_);
  EXPECT_EQ(platform::QueryPath(ListsFolder()), platform::PathKind::kFolder);
  EXPECT_EQ(saved_.RowCount(), 0);

  WriteList("team.lst", "A, B;1\r\n");
  WriteList("night shift.lst", "");
  WriteList("v1.2.lst", "");
  WriteList("Upper.LST", "");
  WriteList("notes.txt", "");
  WriteList("old.lstold", "");
  WriteList("team.lst.bak", "");
  fs::create_directory(fs::path(ListFile("folder.lst")));

  // Appends to what is there: emptying is the caller's business.
  saved_.AppendRow({u"kept"});
  RefreshSavedLists(saved_);
  EXPECT_EQ(Sorted(Names(saved_)),
            Sorted({"kept", "team", "night shift", "v1.2", "Upper"}));
  EXPECT_EQ(saved_.Cell(0, 0), u"kept");
}

TEST_F(SavedListsTest, RefreshWithoutADocumentsFolderCreatesNothing) {
  fs::remove(fs::path(profile_.File("Documents")));
  RefreshSavedLists(saved_);
  EXPECT_EQ(saved_.RowCount(), 0);
  EXPECT_TRUE(testing::FolderNames(profile_.path()).empty());
}

// --- Saving ----------------------------------------------------------------

TEST_F(SavedListsTest, SaveWritesNamedRowsAsCrLfAnsiLinesUnderTheLstRule) {
  struct Case {
    const char* typed;
    const char* file;
    const char* shown;
  };
  const Case cases[] = {
      {"team", "team.lst", "team"},
      {"team.lst", "team.lst", "team"},
      {"team.LST", "team.LST.lst", "team.LST"},
      {"Smith, Jo; night", "Smith, Jo; night.lst", "Smith, Jo; night"},
      {"v1.2", "v1.2.lst", "v1.2"},
  };
  SetSendTo({{"Doe, John", "555"}, {"", "777"}, {"D\xC3\xA9j\xC3\xA0, Al", "1;2"}, {"Roe, Ann", ""}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    fs::remove_all(fs::path(ListsFolder()));
    RefreshSavedLists(saved_);
    saved_.AppendRow({u"stale"});
    {
      ScriptedDialogs dialogs;
      dialogs.Type(Utf8ToText(c.typed));
      SaveRecipientList(dialogs, send_to_, saved_);
      ASSERT_EQ(dialogs.calls().size(), 1u) << "no box after a good save";
      const auto& prompt = dialogs.calls()[0];
      EXPECT_TRUE(prompt.is_prompt);
      EXPECT_EQ(prompt.title, u"Save Pager List");
      EXPECT_EQ(prompt.text, u"Type in a name for your pager list.");
      EXPECT_EQ(prompt.initial, u"");
      EXPECT_FALSE(prompt.password);
    }
    EXPECT_EQ(ListFiles(), std::vector<std::string>{c.file});
    // The row without a name is left out; é and à are single bytes.
    EXPECT_EQ(ReadBytes(ListFile(c.file)), "Doe, John;555\r\nD\xE9j\xE0, Al;1;2\r\nRoe, Ann;\r\n");
    EXPECT_EQ(Names(saved_), std::vector<std::string>{c.shown});
  }
}

TEST_F(SavedListsTest, EmptyOrCancelledNameWritesNothingAndStillRefills) {
  WriteList("old.lst", "A, B;1\r\n");
  saved_.AppendRow({u"stale"});
  SetSendTo({{"Doe, John", "555"}});
  ScriptedDialogs dialogs;
  dialogs.Type(u"");
  SaveRecipientList(dialogs, send_to_, saved_);
  EXPECT_EQ(dialogs.Transcript(), (std::vector<std::string>{
                                      "prompt Save Pager List: Type in a name for your pager list.",
                                      "box Error: You must type a filename."}));
  EXPECT_EQ(dialogs.Boxes()[0].icon, BoxIcon::kError);
  EXPECT_EQ(ListFiles(), std::vector<std::string>{"old.lst"});
  EXPECT_EQ(Names(saved_), std::vector<std::string>{"old"});
}

TEST_F(SavedListsTest, FolderNamesAreRefusedAndAskedAgainUntilAPlainOneComes) {
  RefreshSavedLists(saved_);
  fs::create_directory(fs::path(ListFile("team.lst")));
  fs::create_directory(fs::path(ListFile("crew.lst")));
  SetSendTo({{"Doe, John", "555"}});
  ScriptedDialogs dialogs;
  dialogs.Type(u"team").Type(u"crew.lst").Type(u"other");
  SaveRecipientList(dialogs, send_to_, saved_);
  const std::string prompt = "prompt Save Pager List: Type in a name for your pager list.";
  const std::string refused = "box Error: Already exists as a directory";
  EXPECT_EQ(dialogs.Transcript(),
            (std::vector<std::string>{prompt, refused, prompt, refused, prompt}));
  EXPECT_EQ(dialogs.Boxes()[0].icon, BoxIcon::kError);
  EXPECT_EQ(ReadBytes(ListFile("other.lst")), "Doe, John;555\r\n");
  EXPECT_EQ(Names(saved_), std::vector<std::string>{"other"});
}

TEST_F(SavedListsTest, OverwriteOnlyOnYesAndTheListIsRefilledWhateverTheAnswer) {
  const std::string old_content = "Old, One;1\r\nOld, Two;2\r\n";
  const struct {
    BoxAnswer answer;
    std::string expected;
  } cases[] = {
      {BoxAnswer::kYes, "New, Only;9\r\n"},
      {BoxAnswer::kNo, old_content},
      {BoxAnswer::kCancel, old_content},
  };
  SetSendTo({{"New, Only", "9"}});
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    WriteList("team.lst", old_content);
    saved_.RemoveAllRows();
    saved_.AppendRow({u"stale"});
    ScriptedDialogs dialogs;
    dialogs.Type(u"team").Press(c.answer);
    SaveRecipientList(dialogs, send_to_, saved_);
    ASSERT_EQ(dialogs.Boxes().size(), 1u);
    const auto box = dialogs.Boxes()[0];
    EXPECT_EQ(box.title, u"File Exists");
    EXPECT_EQ(box.text, u"Overwrite Existing File?");
    EXPECT_EQ(box.icon, BoxIcon::kQuestion);
    EXPECT_EQ(box.buttons, BoxButtons::kYesNoCancel);
    EXPECT_EQ(ReadBytes(ListFile("team.lst")), c.expected);
    EXPECT_EQ(ListFiles(), std::vector<std::string>{"team.lst"});
    EXPECT_EQ(Names(saved_), std::vector<std::string>{"team"});
  }
}

// A name that is not a plain file name would put the list outside the lists
// folder, or onto a device: it is refused with the reason, and asked again.
TEST_F(SavedListsTest, NamesThatAreNotPlainFileNamesAreRefusedWithAReason) {
  const char* const refused[] = {
      "..\\..\\Desktop\\x", "../../Desktop/x", "C:\\Windows\\x", "C:x", "sub/x", "sub\\x",
      "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "tab\there", "new\nline", "bell\x07",
      "dot.", "blank ", "..", ".", ".lst", "CON", "con", "nul", "Nul.lst", "PRN", "aux",
      "com1", "COM9", "lpt1", "LPT9.lst", "con.backup", "nul .x", "CONOUT$",
  };
  SetSendTo({{"Doe, John", "555"}});
  for (const char* name : refused) {
    SCOPED_TRACE(name);
    fs::remove_all(fs::path(ListsFolder()));
    ScriptedDialogs dialogs;
    dialogs.Type(Utf8ToText(name)).Type(u"ok");
    SaveRecipientList(dialogs, send_to_, saved_);
    ASSERT_EQ(dialogs.calls().size(), 3u);
    const auto& box = dialogs.calls()[1];
    EXPECT_FALSE(box.is_prompt);
    EXPECT_EQ(box.title, u"Error");
    EXPECT_EQ(box.icon, BoxIcon::kError);
    EXPECT_FALSE(box.text.empty());
    EXPECT_NE(box.text, u"You must type a filename.");
    EXPECT_TRUE(dialogs.calls()[2].is_prompt) << "asked again";
    // Nothing anywhere but the list saved under the second answer.
    EXPECT_EQ(FilesBelow(profile_.path()), std::vector<std::string>{"Documents/Tellwave/ok.lst"});
    EXPECT_TRUE(FilesBelow(data_.path()).empty());
  }
}

TEST_F(SavedListsTest, PlainNamesNearTheRefusedOnesAreAccepted) {
  const char* const accepted[] = {
      "CONSOLE", "console.lst", "nulls", "com10", "lpt", "aux-team", "x..lst", " leading",
      "a.b.c", "Smith, Jo; night", "caf\xC3\xA9", "#hash", "50% off", "a+b=c (d) [e] {f}",
  };
  SetSendTo({{"Doe, John", "555"}});
  for (const char* name : accepted) {
    SCOPED_TRACE(name);
    fs::remove_all(fs::path(ListsFolder()));
    ScriptedDialogs dialogs;
    dialogs.Type(Utf8ToText(name));
    SaveRecipientList(dialogs, send_to_, saved_);
    EXPECT_EQ(dialogs.calls().size(), 1u);
    EXPECT_EQ(ListFiles().size(), 1u);
    EXPECT_EQ(saved_.RowCount(), 1);
  }
}

TEST(ListNames, TheLongestNameFitsAFolderEntryWithItsExtension) {
  EXPECT_FALSE(ListNameFault(Text(251, u'a')));
  EXPECT_FALSE(ListNameFault(Text(251, u'a') + u".lst"));
  EXPECT_TRUE(ListNameFault(Text(252, u'a')));
}

// Whatever step of the write fails, the list on disk is the old one or the
// new one, whole, and no temporary file is left beside it.
TEST_F(SavedListsTest, AFailingWriteLeavesTheOldListOrTheNewOneWholeAndNoLeftovers) {
  const std::string old_content = "Old, One;1\r\nOld, Two;2\r\nOld, Three;3\r\n";
  const std::string new_content = "New, Only;9\r\n";
  SetSendTo({{"New, Only", "9"}});
  int kept_old = 0;
  bool wrote_new = false;
  for (int n = 1; n < 50 && !wrote_new; ++n) {
    SCOPED_TRACE(n);
    WriteList("team.lst", old_content);
    ScriptedDialogs dialogs;
    dialogs.Type(u"team").Press(BoxAnswer::kYes);
    platform::faults::FailStep(n);
    SaveRecipientList(dialogs, send_to_, saved_);
    const bool failed = platform::faults::StepsTaken() >= n;
    platform::faults::Reset();
    const std::string now = ReadBytes(ListFile("team.lst"));
    EXPECT_TRUE(now == old_content || now == new_content) << now;
    // The name is listed either way: only the box tells of the failure.
    EXPECT_EQ(dialogs.Boxes().size() == 2, now == old_content);
    EXPECT_EQ(ListFiles(), std::vector<std::string>{"team.lst"});
    EXPECT_EQ(Names(saved_), std::vector<std::string>{"team"});
    if (now == old_content) ++kept_old;
    if (!failed) {
      EXPECT_EQ(now, new_content);
      wrote_new = true;
    }
  }
  EXPECT_TRUE(wrote_new);
  EXPECT_GT(kept_old, 0);

  // A new list either appears whole or not at all.
  wrote_new = false;
  for (int n = 1; n < 50 && !wrote_new; ++n) {
    SCOPED_TRACE(n);
    fs::remove_all(fs::path(ListsFolder()));
    RefreshSavedLists(saved_);
    ScriptedDialogs dialogs;
    dialogs.Type(u"fresh");
    platform::faults::FailStep(n);
    SaveRecipientList(dialogs, send_to_, saved_);
    const bool failed = platform::faults::StepsTaken() >= n;
    platform::faults::Reset();
    const std::vector<std::string> files = ListFiles();
    if (failed) {
      EXPECT_TRUE(files.empty());
    } else {
      EXPECT_EQ(files, std::vector<std::string>{"fresh.lst"});
      EXPECT_EQ(ReadBytes(ListFile("fresh.lst")), new_content);
      wrote_new = true;
    }
  }
  EXPECT_TRUE(wrote_new);
}

TEST_F(SavedListsTest, AReadOnlyListIsNotOverwrittenAndTheOperatorIsTold) {
  const std::string old_content = "Old, One;1\r\n";
  WriteList("team.lst", old_content);
  testing::SetReadOnly(ListFile("team.lst"), true);
  SetSendTo({{"New, Only", "9"}});
  ScriptedDialogs dialogs;
  dialogs.Type(u"team").Press(BoxAnswer::kYes);
  SaveRecipientList(dialogs, send_to_, saved_);
  EXPECT_EQ(ReadBytes(ListFile("team.lst")), old_content);
  EXPECT_EQ(ListFiles(), std::vector<std::string>{"team.lst"});
  EXPECT_EQ(dialogs.Transcript().back(), "box Error: The list team could not be saved.");
  EXPECT_EQ(dialogs.Boxes().back().icon, BoxIcon::kError);
}

// A list saved after the lists folder went away is still written.
TEST_F(SavedListsTest, SaveMakesTheListsFolderWhenItIsGone) {
  SetSendTo({{"Doe, John", "555"}});
  ScriptedDialogs dialogs;
  dialogs.Type(u"team");
  SaveRecipientList(dialogs, send_to_, saved_);
  EXPECT_EQ(ReadBytes(ListFile("team.lst")), "Doe, John;555\r\n");
}

// --- Removing ----------------------------------------------------------------

TEST_F(SavedListsTest, RemovalIsOfferedForTheSelectedRowOnly) {
  saved_.AppendRows({{u"team"}, {u"night shift"}});
  EXPECT_FALSE(OfferListRemoval(saved_)) << "a right click below the last row offers nothing";
  saved_.SetSelected(1, true);
  const auto offer = OfferListRemoval(saved_);
  ASSERT_TRUE(offer);
  EXPECT_EQ(offer->name, u"night shift");
  EXPECT_EQ(offer->item_text, u"Remove night shift ?");
}

TEST_F(SavedListsTest, RemovalAsksWithNoAsDefaultAndOnYesTakesRowAndFile) {
  for (const BoxAnswer answer : {BoxAnswer::kYes, BoxAnswer::kNo}) {
    const bool yes = answer == BoxAnswer::kYes;
    SCOPED_TRACE(yes ? "Yes" : "No");
    WriteList("team.lst", "A, B;1\r\n");
    WriteList("crew.lst", "C, D;2\r\n");
    saved_.RemoveAllRows();
    saved_.AppendRows({{u"crew"}, {u"team"}});
    saved_.SetSelected(1, true);
    ScriptedDialogs dialogs;
    dialogs.Press(answer);
    RemoveRecipientList(u"team", dialogs, saved_);
    ASSERT_EQ(dialogs.Boxes().size(), 1u);
    const auto box = dialogs.Boxes()[0];
    EXPECT_EQ(box.title, u"");
    EXPECT_EQ(box.text, u"Are you sure you wish to remove team ?");
    EXPECT_EQ(box.icon, BoxIcon::kQuestion);
    EXPECT_EQ(box.buttons, BoxButtons::kYesNo);
    EXPECT_TRUE(box.default_no);
    const std::vector<std::string> rows_left =
        yes ? std::vector<std::string>{"crew"} : std::vector<std::string>{"crew", "team"};
    const std::vector<std::string> files_left = yes ? std::vector<std::string>{"crew.lst"}
                                                    : std::vector<std::string>{"crew.lst", "team.lst"};
    EXPECT_EQ(Names(saved_), rows_left);
    EXPECT_EQ(ListFiles(), files_left);
  }
}

TEST_F(SavedListsTest, RemovingAListWhoseFileIsAlreadyGoneStillTakesItsRow) {
  RefreshSavedLists(saved_);
  saved_.AppendRows({{u"team"}, {u"crew"}});
  saved_.SetSelected(0, true);
  ScriptedDialogs dialogs;
  dialogs.Press(BoxAnswer::kYes);
  RemoveRecipientList(u"team", dialogs, saved_);
  EXPECT_EQ(Names(saved_), std::vector<std::string>{"crew"});
  EXPECT_EQ(dialogs.Boxes().size(), 1u) << "a failed deletion is not reported";
}

// Were the row to go while the file stays, the list would be back at the
// next refill after the operator saw it removed.
TEST_F(SavedListsTest, AListWhoseFileCannotBeDeletedKeepsItsRowAndTheOperatorIsTold) {
  WriteList("team.lst", "A, B;1\r\n");
  saved_.AppendRow({u"team"});
  saved_.SetSelected(0, true);
  ScriptedDialogs dialogs;
  dialogs.Press(BoxAnswer::kYes);
  platform::faults::FailStep(1);
  RemoveRecipientList(u"team", dialogs, saved_);
  platform::faults::Reset();
  EXPECT_EQ(Names(saved_), std::vector<std::string>{"team"});
  EXPECT_EQ(ListFiles(), std::vector<std::string>{"team.lst"});
  EXPECT_EQ(dialogs.Transcript().back(), "box Error: The list team could not be removed.");
}

// The row that goes is the named list's even when the selection has moved
// since the offer, so no other list vanishes from view while its file stays.
TEST_F(SavedListsTest, RemovalTakesTheNamedListsRowWhateverIsSelectedNow) {
  for (const int selected : {-1, 0}) {
    SCOPED_TRACE(selected);
    WriteList("team.lst", "A, B;1\r\n");
    WriteList("crew.lst", "C, D;2\r\n");
    saved_.RemoveAllRows();
    saved_.AppendRows({{u"crew"}, {u"team"}});
    saved_.SetSelected(selected, true);
    ScriptedDialogs dialogs;
    dialogs.Press(BoxAnswer::kYes);
    RemoveRecipientList(u"team", dialogs, saved_);
    EXPECT_EQ(Names(saved_), std::vector<std::string>{"crew"});
    EXPECT_EQ(ListFiles(), std::vector<std::string>{"crew.lst"});
  }
}

// --- Loading -----------------------------------------------------------------

struct LoadCase {
  const char* what;
  std::string directory;
  std::string list;
  Rows send_to;
  Rows available;
};

TEST_F(SavedListsTest, LoadingFillsSendToInFileOrderAndTakesExactlyThoseMembersOut) {
  const std::string directory =
      "Able, Ann;1\r\nBaker, Bo;2\r\nCole, Cy;3\r\n#Hidden, Hal;4\r\nDunn, Di;5\r\n";
  const LoadCase cases[] = {
      {"members in the directory, in another order", directory,
       "Dunn, Di;5\r\nAble, Ann;1\r\n",
       {{"Dunn, Di", "5"}, {"Able, Ann", "1"}},
       {{"Baker, Bo", "2"}, {"Cole, Cy", "3"}}},
      {"hidden lines of the list stay out", directory,
       "#Baker, Bo;2\r\nCole, Cy;3\r\n",
       {{"Cole, Cy", "3"}},
       {{"Able, Ann", "1"}, {"Baker, Bo", "2"}, {"Dunn, Di", "5"}}},
      {"a member gone from the directory keeps the stored pager ID and takes nobody", directory,
       "Gone, Gus;77\r\nBaker, Bo;2\r\n",
       {{"Gone, Gus", "77"}, {"Baker, Bo", "2"}},
       {{"Able, Ann", "1"}, {"Cole, Cy", "3"}, {"Dunn, Di", "5"}}},
      {"more members than people", "Able, Ann;1\r\nBaker, Bo;2\r\n",
       "Zed, Zo;9\r\nBaker, Bo;2\r\nYork, Yu;8\r\nAble, Ann;1\r\nX, Xi;7\r\n",
       {{"Zed, Zo", "9"}, {"Baker, Bo", "2"}, {"York, Yu", "8"}, {"Able, Ann", "1"}, {"X, Xi", "7"}},
       {}},
      {"a name inside a longer name takes only its own row",
       "Aaron-Smith, Joan;1\r\nSmith, Jo;2\r\nSmith, Josephine;3\r\n",
       "Smith, Jo;2\r\n",
       {{"Smith, Jo", "2"}},
       {{"Aaron-Smith, Joan", "1"}, {"Smith, Josephine", "3"}}},
      {"two people of one name: the pager ID decides", "Lee, Al;1\r\nLee, Al;2\r\n",
       "Lee, Al;2\r\n",
       {{"Lee, Al", "2"}},
       {{"Lee, Al", "1"}}},
      {"a member with a new pager ID still leaves by name", "Able, Ann;1\r\nLee, Al;3\r\n",
       "Lee, Al;9\r\n",
       {{"Lee, Al", "9"}},
       {{"Able, Ann", "1"}}},
      {"a name must match in full and in case", "SMITH, JO;2\r\nSmith, Jo Ann;4\r\n",
       "Smith, Jo;2\r\n",
       {{"Smith, Jo", "2"}},
       {{"SMITH, JO", "2"}, {"Smith, Jo Ann", "4"}}},
      {"a line without a name takes nobody, not even an empty directory line",
       "Able, Ann;1\r\n\r\n",
       "no semicolon\r\n;5\r\n",
       {{"", "no semicolon"}, {"", "5"}},
       {{"Able, Ann", "1"}, {"", ""}}},
      {"one row per member, also for a person listed twice", "Lee, Al;1\r\nLee, Al;1\r\nLee, Al;1\r\n",
       "Lee, Al;1\r\nLee, Al;1\r\n",
       {{"Lee, Al", "1"}, {"Lee, Al", "1"}},
       {{"Lee, Al", "1"}}},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(DirectoryPath(), c.directory);
    WriteList("team.lst", c.list);
    saved_.RemoveAllRows();
    saved_.AppendRows({{u"crew"}, {u"team"}});
    saved_.SetSelected(1, true);
    // Whatever the lists held before is replaced.
    send_to_.RemoveAllRows();
    send_to_.AppendRow({u"Earlier, Eve", u"6"});
    available_.RemoveAllRows();
    available_.AppendRows({{u"Stale, Sam", u"0"}, {u"Able, Ann", u"1"}});
    available_.SetSelected(1, true);

    LoadRecipientList(saved_, send_to_, available_);
    EXPECT_EQ(RowsOf(send_to_), c.send_to);
    EXPECT_EQ(RowsOf(available_), c.available);
    EXPECT_TRUE(available_.SelectedRows().empty());
    EXPECT_TRUE(send_to_.RedrawOn());
    EXPECT_TRUE(available_.RedrawOn());
  }
}

TEST_F(SavedListsTest, LoadingWithNoListSelectedChangesNothing) {
  WriteBytes(DirectoryPath(), "Able, Ann;1\r\nBaker, Bo;2\r\n");
  WriteList("team.lst", "Able, Ann;1\r\n");
  saved_.AppendRow({u"team"});
  send_to_.AppendRow({u"Baker, Bo", u"2"});
  available_.AppendRow({u"Able, Ann", u"1"});
  available_.SetSelected(0, true);
  LoadRecipientList(saved_, send_to_, available_);
  EXPECT_EQ(RowsOf(send_to_), (Rows{{"Baker, Bo", "2"}}));
  EXPECT_EQ(RowsOf(available_), (Rows{{"Able, Ann", "1"}}));
  EXPECT_TRUE(available_.IsSelected(0));
}

TEST_F(SavedListsTest, LoadingAListWhoseFileIsGoneEmptiesSendToAndReloadsTheDirectory) {
  WriteBytes(DirectoryPath(), "Able, Ann;1\r\nBaker, Bo;2\r\n");
  RefreshSavedLists(saved_);
  saved_.AppendRow({u"vanished"});
  saved_.SetSelected(0, true);
  send_to_.AppendRow({u"Baker, Bo", u"2"});
  LoadRecipientList(saved_, send_to_, available_);
  EXPECT_EQ(send_to_.RowCount(), 0);
  EXPECT_EQ(RowsOf(available_), (Rows{{"Able, Ann", "1"}, {"Baker, Bo", "2"}}));
}

// What is saved loads back as it was, through the folder listing.
TEST_F(SavedListsTest, ASavedListLoadsBackThroughItsRow) {
  WriteBytes(DirectoryPath(), "Able, Ann;1\r\nBaker, Bo;2\r\nCole, Cy;3\r\n");
  SetSendTo({{"Cole, Cy", "3"}, {"Able, Ann", "1"}});
  ScriptedDialogs dialogs;
  dialogs.Type(u"v1.2");
  SaveRecipientList(dialogs, send_to_, saved_);
  ASSERT_EQ(Names(saved_), std::vector<std::string>{"v1.2"});
  SelectSaved("v1.2");
  send_to_.RemoveAllRows();
  LoadRecipientList(saved_, send_to_, available_);
  EXPECT_EQ(RowsOf(send_to_), (Rows{{"Cole, Cy", "3"}, {"Able, Ann", "1"}}));
  EXPECT_EQ(RowsOf(available_), (Rows{{"Baker, Bo", "2"}}));
}

}  // namespace
}  // namespace tw
