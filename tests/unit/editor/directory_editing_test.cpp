#include "directory/directory_editing.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/memory_row_list.h"
#include "support/scripted_dialogs.h"
#include "support/temp_folder.h"

namespace tw {
namespace {

using testing::ReadBytes;
using testing::ScriptedDialogs;
using testing::TempFolder;
using testing::WriteBytes;

using Rows = std::vector<std::vector<std::string>>;

MemoryRowList EditorGrid() { return MemoryRowList({0, 242, 242, 243}); }

MemoryRowList GridOf(const Rows& rows) {
  MemoryRowList grid = EditorGrid();
  for (const auto& r : rows) {
    Row cells;
    for (const std::string& c : r) cells.push_back(Utf8ToText(c));
    grid.AppendRow(cells);
  }
  return grid;
}

Rows RowsOf(const RowList& grid) {
  Rows out;
  for (int r = 0; r < grid.RowCount(); ++r) {
    std::vector<std::string> cells;
    for (int c = 0; c < grid.ColumnCount(); ++c) cells.push_back(TextToUtf8(grid.Cell(r, c)));
    out.push_back(cells);
  }
  return out;
}

const Rows kDirectory = {
    {"", "Doe", "John", "5551234"}, {"", "Smith", "Anna", "5550001"}, {"", "#Hidden", "Person", "5559999"}};

TEST(EditorBaseline, ChangesAreFoundByContentNotByLengths) {
  struct Case {
    const char* name;
    std::function<void(RowList&)> edit;
    bool changed;
  };
  const Case cases[] = {
      {"nothing", [](RowList&) {}, false},
      {"one digit typed over another", [](RowList& g) { g.SetCell(0, 3, u"5551235"); }, true},
      {"a name replaced by one of the same length", [](RowList& g) { g.SetCell(1, 1, u"Smyth"); }, true},
      {"the same text typed again", [](RowList& g) { g.SetCell(1, 2, u"Anna"); }, false},
      {"a row added and deleted", [](RowList& g) { InsertPlaceholderRow(g); g.RemoveRow(0); }, false},
      {"a row added, another of the same length removed",
       [](RowList& g) {
         g.InsertRow(0, {u"", u"Doe", u"Jane", u"5551234"});
         g.RemoveRow(1);
       },
       true},
      {"two rows swapped",
       [](RowList& g) {
         Row first = g.ReadRow(0);
         g.RemoveRow(0);
         g.InsertRow(1, first);
       },
       true},
      {"a cell emptied", [](RowList& g) { g.SetCell(2, 2, u""); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryRowList grid = GridOf(kDirectory);
    const EditorBaseline baseline = TakeEditorBaseline(grid);
    c.edit(grid);
    EXPECT_EQ(GridChangedSince(grid, baseline), c.changed);
  }
}

TEST(EditorBaseline, GridTextLengthCountsTheThreeDataColumnsInCodeUnits) {
  MemoryRowList grid = GridOf({{"ignored", "Doe", "J\xc3\xa9", "1"}, {"", "\xf0\x9f\x93\x9f", "", "22"}});
  // Doe 3 + Jé 2 + 1 + pager emoji as a surrogate pair 2 + 0 + 2.
  EXPECT_EQ(GridTextLength(grid), 10);
  EXPECT_EQ(GridTextLength(EditorGrid()), 0);
}

TEST(EditPassword, OnlyTheExactTextIsAccepted) {
  struct Case {
    const char16_t* answer;
    bool accepted;
  };
  const Case cases[] = {{u"Rk7pW2", true},   {u"rk7pw2", false}, {u"RK7PW2", false}, {u"Rk7pW2 ", false},
                        {u" Rk7pW2", false}, {u"Rk7pW", false},  {u"", false}};
  for (const Case& c : cases) EXPECT_EQ(PasswordAccepted(c.answer), c.accepted) << TextToUtf8(c.answer);
}

TEST(EditorRows, AddAndDeleteRows) {
  MemoryRowList grid = GridOf(kDirectory);
  InsertPlaceholderRow(grid);
  EXPECT_EQ(RowsOf(grid)[0], (std::vector<std::string>{"", "#CHANGEME", "CHANGEME", "CHANGEME"}));
  EXPECT_EQ(grid.LastMadeVisible(), 0);

  // Nothing selected: nothing goes.
  EXPECT_FALSE(DeleteSelectedRow(grid));
  EXPECT_EQ(grid.RowCount(), 4);
  grid.SetSelected(2, true);
  EXPECT_TRUE(DeleteSelectedRow(grid));
  EXPECT_EQ(RowsOf(grid), (Rows{{"", "#CHANGEME", "CHANGEME", "CHANGEME"},
                                {"", "Doe", "John", "5551234"},
                                {"", "#Hidden", "Person", "5559999"}}));
}

class SaveFlowTest : public ::testing::Test {
 protected:
  // An unsorted file with an empty line, and a grid edited away from it.
  void SetUp() override {
    WriteBytes(path_, kFile);
    InsertPlaceholderRow(grid_);
    grid_.SetCell(1, 3, u"5551239");
    grid_.AppendRow({u"", u"Brown", u"", u"5550005"});
  }

  static constexpr char kFile[] = "Smith, Anna;5550001\r\n\r\nDoe, John;5551234\r\n";
  TempFolder folder_;
  const Text path_ = folder_.File("pagers.dat");
  MemoryRowList grid_ = GridOf({{"", "Smith", "Anna", "5550001"}, {"", "Doe", "John", "5551234"}});
  ScriptedDialogs boxes_;
};

TEST_F(SaveFlowTest, YesWritesTheCompleteRowsAndShowsThemSorted) {
  boxes_.Press(BoxAnswer::kYes);
  EXPECT_EQ(RunSaveFlow(grid_, boxes_, path_), SaveOutcome::kSaved);
  EXPECT_EQ(boxes_.Transcript(), (std::vector<std::string>{"box File Exists: Overwrite Existing File?"}));
  EXPECT_EQ(boxes_.Boxes()[0].buttons, BoxButtons::kYesNoCancel);
  EXPECT_EQ(boxes_.Boxes()[0].icon, BoxIcon::kQuestion);
  // The row with an empty First Name is not written, so the reload drops it.
  EXPECT_EQ(ReadBytes(path_), "#CHANGEME, CHANGEME;CHANGEME\r\nDoe, John;5551234\r\nSmith, Anna;5551239\r\n");
  EXPECT_EQ(RowsOf(grid_), (Rows{{"", "#CHANGEME", "CHANGEME", "CHANGEME"},
                                 {"", "Doe", "John", "5551234"},
                                 {"", "Smith", "Anna", "5551239"}}));
}

TEST_F(SaveFlowTest, NoCompactsTheFileAndDropsTheEdits) {
  boxes_.Press(BoxAnswer::kNo);
  EXPECT_EQ(RunSaveFlow(grid_, boxes_, path_), SaveOutcome::kReloaded);
  EXPECT_EQ(ReadBytes(path_), "Doe, John;5551234\r\nSmith, Anna;5550001\r\n");
  EXPECT_EQ(RowsOf(grid_), (Rows{{"", "Doe", "John", "5551234"}, {"", "Smith", "Anna", "5550001"}}));
}

TEST_F(SaveFlowTest, CancelTouchesNeitherTheFileNorTheGrid) {
  const Rows before = RowsOf(grid_);
  boxes_.Press(BoxAnswer::kCancel);
  EXPECT_EQ(RunSaveFlow(grid_, boxes_, path_), SaveOutcome::kCancelled);
  EXPECT_EQ(ReadBytes(path_), kFile);
  EXPECT_EQ(RowsOf(grid_), before);
}

TEST_F(SaveFlowTest, AFileThatCannotBeReplacedKeepsTheEditsAndSaysSo) {
  testing::SetReadOnly(path_, true);
  const Rows before = RowsOf(grid_);
  boxes_.Press(BoxAnswer::kYes);
  EXPECT_EQ(RunSaveFlow(grid_, boxes_, path_), SaveOutcome::kNotWritten);
  testing::SetReadOnly(path_, false);
  EXPECT_EQ(ReadBytes(path_), kFile);
  EXPECT_EQ(RowsOf(grid_), before);
  ASSERT_EQ(boxes_.Boxes().size(), 2u);
  EXPECT_EQ(TextToUtf8(boxes_.Boxes()[1].title), "Error");
  EXPECT_EQ(boxes_.Boxes()[1].icon, BoxIcon::kError);
}

TEST(CloseFlow, AsksOnlyWhenTheGridChanged) {
  MemoryRowList grid = GridOf(kDirectory);
  const EditorBaseline baseline = TakeEditorBaseline(grid);
  {
    ScriptedDialogs boxes;
    EXPECT_TRUE(ConfirmLeaveEditor(grid, baseline, boxes));
    EXPECT_TRUE(boxes.calls().empty());
  }
  grid.SetCell(0, 3, u"5551235");
  for (BoxAnswer answer : {BoxAnswer::kYes, BoxAnswer::kNo}) {
    ScriptedDialogs boxes;
    boxes.Press(answer);
    EXPECT_EQ(ConfirmLeaveEditor(grid, baseline, boxes), answer == BoxAnswer::kYes);
    EXPECT_EQ(boxes.Transcript(), (std::vector<std::string>{"box Warning: Changes not saved, continue?"}));
    EXPECT_EQ(boxes.Boxes()[0].buttons, BoxButtons::kYesNo);
    EXPECT_EQ(boxes.Boxes()[0].icon, BoxIcon::kQuestion);
  }
}

}  // namespace
}  // namespace tw
