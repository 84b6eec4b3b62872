// The directory editor under Wine: real windows driven by the messages a
// user's clicks and keys produce, real boxes answered from a second thread,
// real files in a temporary folder.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "common/data_locations.h"
#include "directory/directory_editing.h"
#include "directory/win/cell_edit.h"
#include "directory/win/editor_window.h"
#include "gui_support/gui_driver.h"
#include "support/temp_folder.h"
#include "toolkit/list_view.h"
#include "toolkit/toolkit.h"

namespace tw {
namespace {

using testing::Answerer;
using testing::Press;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

using Rows = std::vector<std::vector<std::string>>;

// Unsorted, with an empty line and a hidden entry, as files are found.
constexpr char kDirectory[] =
    "Smith, Anna;5550001\r\n"
    "Doe, John;5551234\r\n"
    "\r\n"
    "#Hidden, Person;5559999\r\n"
    "adams, Bo;5550002\r\n";

std::wstring Wide(const Text& text) { return std::wstring(text.begin(), text.end()); }

HWND Grid() { return toolkit::ControlHandle(kEditorWindow, kEditorGrid); }
HWND Button(int id) { return toolkit::ControlHandle(kEditorWindow, id); }

Rows GridRows() {
  ListViewRows rows(Grid());
  Rows out;
  for (int r = 0; r < rows.RowCount(); ++r)
    out.push_back({TextToUtf8(rows.Cell(r, 1)), TextToUtf8(rows.Cell(r, 2)), TextToUtf8(rows.Cell(r, 3))});
  return out;
}

std::vector<COLORREF> RowColours() {
  std::vector<COLORREF> colours;
  for (int r = 0; r < ListViewRows(Grid()).RowCount(); ++r) colours.push_back(RowColour(Grid(), r));
  return colours;
}

// Shading fresh from a load: even rows shaded, odd rows plain.
std::vector<COLORREF> FreshShading(int rows) {
  std::vector<COLORREF> colours;
  for (int r = 0; r < rows; ++r) colours.push_back(r % 2 == 0 ? kShadeColour : CLR_NONE);
  return colours;
}

POINT CellPoint(int row, int column) {
  RECT rect{};
  rect.top = column;
  rect.left = LVIR_BOUNDS;
  SendMessageW(Grid(), LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
  return {rect.left + 20, (rect.top + rect.bottom) / 2};
}

std::vector<std::string> Transcript(Answerer& answerer) {
  std::vector<std::string> out;
  for (const testing::SeenDialog& d : answerer.Seen())
    out.push_back(TextToUtf8(d.title) + ": " + TextToUtf8(d.text));
  return out;
}

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(path_, kDirectory);
    InitDataLocations();
    toolkit::Startup();
  }

  void TearDown() override {
    CloseDirectoryEditor();
    toolkit::Shutdown();
  }

  void Open() {
    ASSERT_TRUE(OpenDirectoryEditor(kEditorTitle));
    ASSERT_FALSE(Settle());
  }

  // Runs editor passes until what was posted has been handled; true when a
  // pass decided to leave the editor.
  static bool Settle(int passes = 30) {
    for (int i = 0; i < passes; ++i)
      if (DirectoryEditorPass(1)) return true;
    return false;
  }

  static bool ClickAndSettle(int button) {
    EXPECT_TRUE(testing::Click(Button(button)));
    return Settle();
  }

  static void SelectRow(int row) {
    testing::ClickAt(Grid(), CellPoint(row, 1));
    Settle();
  }

  // Double-clicks the cell, replaces its text by typing and presses Enter.
  static void EditCell(int row, int column, const Text& typed) {
    testing::DoubleClickAt(Grid(), CellPoint(row, column));
    Settle();
    HWND box = reinterpret_cast<HWND>(SendMessageW(Grid(), LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(box, nullptr);
    SendMessageW(box, EM_SETSEL, 0, -1);
    testing::Type(box, u"\b" + typed);
    testing::PressKey(box, VK_RETURN);
    Settle();
    ASSERT_EQ(SendMessageW(Grid(), LVM_GETEDITCONTROL, 0, 0), 0);
  }

  TempFolder folder_;
  const Text path_ = folder_.File("pagers.dat");
  testing::InCurrentDirectory here_{folder_.path()};
};

TEST_F(EditorTest, OpensWithTheWholeDirectoryInFileOrder) {
  Open();
  HWND window = toolkit::WindowHandle(kEditorWindow);
  EXPECT_EQ(testing::WindowText(window), kEditorTitle);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 768);
  EXPECT_EQ(client.bottom, 580);
  EXPECT_FALSE(GetWindowLongPtrW(window, GWL_STYLE) & WS_SYSMENU) << "no system menu, no close box";

  EXPECT_EQ(GridRows(), (Rows{{"Smith", "Anna", "5550001"},
                              {"Doe", "John", "5551234"},
                              {"", "", ""},
                              {"#Hidden", "Person", "5559999"},
                              {"adams", "Bo", "5550002"}}));
  EXPECT_EQ(RowColours(), FreshShading(5));
  EXPECT_EQ(GetFocus(), Grid());

  const std::vector<std::pair<std::string, int>> columns = {
      {"", 0}, {"Last Name", 242}, {"First Name", 242}, {"Pager ID:", 243}};
  for (int c = 0; c < 4; ++c) {
    wchar_t title[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = title;
    column.cchTextMax = 64;
    ASSERT_TRUE(SendMessageW(Grid(), LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(TextToUtf8(Text(title, title + lstrlenW(title))), columns[c].first);
    EXPECT_EQ(column.cx, columns[c].second);
  }
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Grid(), WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, L"Arial");

  // Cell editing and the painted header are in place; the list view edits
  // no labels by itself.
  EXPECT_NE(GetPropW(Grid(), kCellEditProperty), nullptr);
  EXPECT_EQ(EditorHeader, reinterpret_cast<HWND>(SendMessageW(Grid(), LVM_GETHEADER, 0, 0)));
  EXPECT_FALSE(GetWindowLongPtrW(Grid(), GWL_STYLE) & LVS_EDITLABELS);

  struct ButtonAt {
    int id;
    const char* text;
    int x;
  };
  for (const ButtonAt& b : {ButtonAt{kAddRowButton, "Add Row", 20}, ButtonAt{kDeleteRowButton, "Delete Row", 120},
                            ButtonAt{kEditorSaveButton, "Save", 450}, ButtonAt{kEditorCloseButton, "Close", 670}}) {
    HWND button = Button(b.id);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(TextToUtf8(testing::WindowText(button)), b.text);
    RECT r{};
    GetWindowRect(button, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, b.x);
    EXPECT_EQ(r.top, 545);
    EXPECT_EQ(r.right - r.left, 80);
    EXPECT_EQ(r.bottom - r.top, 25);
  }
  EXPECT_EQ(GetWindowLongPtrW(Button(kEditorCloseButton), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

TEST_F(EditorTest, GridLinesAreBlack) {
  Open();
  RedrawWindow(Grid(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RECT first{}, second{};
  first.top = 1;
  first.left = LVIR_BOUNDS;
  second.top = 2;
  second.left = LVIR_BOUNDS;
  SendMessageW(Grid(), LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&first));
  SendMessageW(Grid(), LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
  const int middle_y = (first.top + first.bottom) / 2;
  const int middle_x = (first.left + first.right) / 2;
  HDC dc = GetDC(Grid());
  EXPECT_EQ(GetPixel(dc, second.left, middle_y), RGB(0, 0, 0)) << "between First and Last Name";
  EXPECT_EQ(GetPixel(dc, middle_x, first.bottom - 1), RGB(0, 0, 0)) << "below the row";
  EXPECT_NE(GetPixel(dc, second.right - 3, first.bottom - 3), RGB(0, 0, 0)) << "inside a cell";
  ReleaseDC(Grid(), dc);
}

TEST_F(EditorTest, AnEmptyDirectoryGivesAnEmptyGridAndNothingToAsk) {
  WriteBytes(path_, "");
  Open();
  EXPECT_TRUE(GridRows().empty());
  Answerer answerer({Press(IDNO)});
  EXPECT_TRUE(ClickAndSettle(kEditorCloseButton));
  EXPECT_TRUE(answerer.Seen().empty());
}

TEST_F(EditorTest, AnAddedRowIsAChangeThatCloseAsksAbout) {
  Open();
  ASSERT_FALSE(ClickAndSettle(kAddRowButton));
  EXPECT_EQ(GridRows()[0], (std::vector<std::string>{"#CHANGEME", "CHANGEME", "CHANGEME"}));
  // The colours stay with their rows: the pattern is off by one below.
  EXPECT_EQ(RowColours(), (std::vector<COLORREF>{kNewRowColour, kShadeColour, CLR_NONE, kShadeColour, CLR_NONE,
                                                 kShadeColour}));
  {
    Answerer answerer({Press(IDNO)});
    EXPECT_FALSE(ClickAndSettle(kEditorCloseButton)) << "No keeps the editor open";
    EXPECT_EQ(Transcript(answerer), (std::vector<std::string>{"Warning: Changes not saved, continue?"}));
  }
  EXPECT_TRUE(toolkit::WindowIsOpen(kEditorWindow));
  EXPECT_EQ(GridRows().size(), 6u);
  EXPECT_EQ(GridRows()[0][0], "#CHANGEME");
  {
    Answerer answerer({Press(IDYES)});
    EXPECT_TRUE(ClickAndSettle(kEditorCloseButton)) << "Yes leaves";
    EXPECT_EQ(answerer.Seen().size(), 1u);
  }
  EXPECT_EQ(ReadBytes(path_), kDirectory) << "leaving without Save writes nothing";
}

TEST_F(EditorTest, AnAddedRowIsScrolledIntoView) {
  std::string many;
  for (int i = 0; i < 60; ++i) many += "Person" + std::to_string(100 + i) + ", Al;" + std::to_string(5550100 + i) + "\r\n";
  WriteBytes(path_, many);
  Open();
  SendMessageW(Grid(), LVM_ENSUREVISIBLE, 59, FALSE);
  ASSERT_GT(SendMessageW(Grid(), LVM_GETTOPINDEX, 0, 0), 0);
  ASSERT_FALSE(ClickAndSettle(kAddRowButton));
  EXPECT_EQ(SendMessageW(Grid(), LVM_GETTOPINDEX, 0, 0), 0);
  EXPECT_EQ(GridRows()[0][0], "#CHANGEME");
}

TEST_F(EditorTest, ARowAddedAndDeletedLeavesNothingToAskAbout) {
  Open();
  // With no row selected Delete Row does nothing.
  ASSERT_FALSE(ClickAndSettle(kDeleteRowButton));
  EXPECT_EQ(GridRows().size(), 5u);

  ASSERT_FALSE(ClickAndSettle(kAddRowButton));
  SelectRow(0);
  ASSERT_FALSE(ClickAndSettle(kDeleteRowButton));
  EXPECT_EQ(GridRows()[0][0], "Smith");
  Answerer answerer({Press(IDNO)});
  EXPECT_TRUE(ClickAndSettle(kEditorCloseButton));
  EXPECT_TRUE(answerer.Seen().empty());
}

TEST_F(EditorTest, AnEditThatKeepsEveryLengthStillCounts) {
  Open();
  EditCell(1, 3, u"5551235");
  EXPECT_EQ(GridRows()[1][2], "5551235");
  Answerer answerer({Press(IDNO)});
  EXPECT_FALSE(ClickAndSettle(kEditorCloseButton));
  EXPECT_EQ(Transcript(answerer), (std::vector<std::string>{"Warning: Changes not saved, continue?"}));
}

TEST_F(EditorTest, SaveWritesTheEditsAndShowsTheFileSortedAndFreshlyShaded) {
  Open();
  ASSERT_FALSE(ClickAndSettle(kAddRowButton));
  EditCell(2, 3, u"5550077");  // Doe, John
  EditCell(1, 2, u"");         // Smith, Anna loses her first name
  {
    Answerer answerer({Press(IDYES)});
    EXPECT_FALSE(ClickAndSettle(kEditorSaveButton));
    EXPECT_EQ(Transcript(answerer), (std::vector<std::string>{"File Exists: Overwrite Existing File?"}));
  }
  EXPECT_EQ(ReadBytes(path_),
            "#CHANGEME, CHANGEME;CHANGEME\r\n"
            "#Hidden, Person;5559999\r\n"
            "adams, Bo;5550002\r\n"
            "Doe, John;5550077\r\n");
  EXPECT_EQ(GridRows(), (Rows{{"#CHANGEME", "CHANGEME", "CHANGEME"},
                              {"#Hidden", "Person", "5559999"},
                              {"adams", "Bo", "5550002"},
                              {"Doe", "John", "5550077"}}));
  EXPECT_EQ(RowColours(), FreshShading(4));
  // Saved is the new baseline: Close asks nothing.
  Answerer none({Press(IDNO)});
  EXPECT_TRUE(ClickAndSettle(kEditorCloseButton));
  EXPECT_TRUE(none.Seen().empty());
}

TEST_F(EditorTest, SaveAnsweredNoCompactsTheFileAndDropsTheEdits) {
  Open();
  EditCell(0, 1, u"Smyth");
  {
    Answerer answerer({Press(IDNO)});
    EXPECT_FALSE(ClickAndSettle(kEditorSaveButton));
  }
  EXPECT_EQ(ReadBytes(path_),
            "#Hidden, Person;5559999\r\n"
            "adams, Bo;5550002\r\n"
            "Doe, John;5551234\r\n"
            "Smith, Anna;5550001\r\n");
  EXPECT_EQ(GridRows().back(), (std::vector<std::string>{"Smith", "Anna", "5550001"}));
  EXPECT_EQ(RowColours(), FreshShading(4));
  Answerer none({Press(IDNO)});
  EXPECT_TRUE(ClickAndSettle(kEditorCloseButton));
  EXPECT_TRUE(none.Seen().empty());
}

TEST_F(EditorTest, SaveAnsweredCancelTouchesNothing) {
  Open();
  ASSERT_FALSE(ClickAndSettle(kAddRowButton));
  EditCell(1, 1, u"Smyth");
  const Rows rows = GridRows();
  const std::vector<COLORREF> colours = RowColours();
  {
    Answerer answerer({Press(IDCANCEL)});
    EXPECT_FALSE(ClickAndSettle(kEditorSaveButton));
    EXPECT_EQ(answerer.Seen().size(), 1u);
  }
  EXPECT_EQ(ReadBytes(path_), kDirectory);
  EXPECT_EQ(GridRows(), rows);
  EXPECT_EQ(RowColours(), colours);
  // The edits are still unsaved, and Close still says so.
  Answerer answerer({Press(IDNO)});
  EXPECT_FALSE(ClickAndSettle(kEditorCloseButton));
  EXPECT_EQ(Transcript(answerer), (std::vector<std::string>{"Warning: Changes not saved, continue?"}));
}

TEST_F(EditorTest, AltF4IsTheCloseButton) {
  Open();
  // Unchanged: Alt+F4 leaves at once.
  PostMessageW(Grid(), WM_SYSKEYDOWN, VK_F4, 0x20000001);
  EXPECT_TRUE(Settle());

  CloseDirectoryEditor();
  Open();
  ASSERT_FALSE(ClickAndSettle(kAddRowButton));
  {
    Answerer answerer({Press(IDNO)});
    PostMessageW(Grid(), WM_SYSKEYDOWN, VK_F4, 0x20000001);
    EXPECT_FALSE(Settle());
    EXPECT_EQ(Transcript(answerer), (std::vector<std::string>{"Warning: Changes not saved, continue?"}));
  }
  Answerer answerer({Press(IDYES)});
  testing::PressCloseBox(toolkit::WindowHandle(kEditorWindow));
  EXPECT_TRUE(Settle());
}

TEST_F(EditorTest, AnOpenCellEditEndsBeforeTheEditorActs) {
  Open();
  // Alt+F4 in an edit box that changed nothing: nothing to ask about.
  testing::DoubleClickAt(Grid(), CellPoint(1, 2));
  Settle();
  HWND box = reinterpret_cast<HWND>(SendMessageW(Grid(), LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(box, nullptr);
  {
    Answerer answerer({Press(IDNO)});
    PostMessageW(box, WM_SYSKEYDOWN, VK_F4, 0x20000001);
    EXPECT_TRUE(Settle());
    EXPECT_TRUE(answerer.Seen().empty());
  }
  CloseDirectoryEditor();

  // Save pressed with the box still open saves what the box holds.
  Open();
  testing::DoubleClickAt(Grid(), CellPoint(1, 3));
  Settle();
  box = reinterpret_cast<HWND>(SendMessageW(Grid(), LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(box, nullptr);
  testing::Type(box, u"9");
  Settle();
  Answerer answerer({Press(IDYES)});
  EXPECT_FALSE(ClickAndSettle(kEditorSaveButton));
  EXPECT_EQ(answerer.Seen().size(), 1u);
  EXPECT_NE(ReadBytes(path_).find("Doe, John;55512349\r\n"), std::string::npos) << ReadBytes(path_);
}

// Finds the editor window from another thread and clicks its Close button,
// as an operator would once it shows.
class EditorCloser {
 public:
  EditorCloser()
      : thread_([this] {
          const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
          while (std::chrono::steady_clock::now() < end) {
            HWND window = FindWindowW(L"TellwaveWindow", Wide(kEditorTitle).c_str());
            HWND grid = window ? GetDlgItem(window, kEditorGrid) : nullptr;
            // The window shows before it is built; cell editing comes last.
            if (grid && GetPropW(grid, kCellEditProperty)) {
              rows_ = static_cast<int>(SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0));
              testing::Click(GetDlgItem(window, kEditorCloseButton));
              return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
          }
        }) {}
  ~EditorCloser() {
    if (thread_.joinable()) thread_.join();
  }
  // Rows the editor showed; -1 when it was never seen.
  int rows() {
    if (thread_.joinable()) thread_.join();
    return rows_;
  }

 private:
  std::atomic<int> rows_{-1};
  std::thread thread_;
};

TEST_F(EditorTest, OnlyTheExactPasswordOpensTheEditor) {
  struct Case {
    const char* name;
    Answerer::Answer answer;
  };
  const Case refused[] = {{"other case", testing::TypeAndOk(u"rk7pw2")},
                          {"trailing blank", testing::TypeAndOk(u"Rk7pW2 ")},
                          {"empty", testing::TypeAndOk(u"")},
                          {"escape", testing::Escape()}};
  for (const Case& c : refused) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(toolkit::OpenWindow(kEditorWindow, u"Tellwave", 300, 200));
    HWND main_window = toolkit::WindowHandle(kEditorWindow);
    Answerer answerer({c.answer, Press(IDOK)});
    EXPECT_FALSE(EditPagerList());
    EXPECT_EQ(Transcript(answerer),
              (std::vector<std::string>{"Password Required: Please enter the password to edit the pager list",
                                        "Error: Wrong password entered"}));
    EXPECT_EQ(toolkit::WindowHandle(kEditorWindow), main_window) << "the main window stays as it was";
  }

  Answerer answerer({testing::TypeAndOk(u"Rk7pW2")});
  EditorCloser closer;
  EXPECT_TRUE(EditPagerList());
  EXPECT_EQ(closer.rows(), 5);
  EXPECT_EQ(answerer.Seen().size(), 1u);
  EXPECT_FALSE(toolkit::WindowIsOpen(kEditorWindow)) << "the main window was replaced and the editor is gone";
}

LRESULT CALLBACK RefuseProgramWindows(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND) {
    wchar_t name[64] = {};
    GetClassNameW(reinterpret_cast<HWND>(wparam), name, 64);
    if (lstrcmpW(name, L"TellwaveWindow") == 0) return 1;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(EditorTest, AnEditorThatCannotOpenStillHandsBackForANewMainWindow) {
  ASSERT_TRUE(toolkit::OpenWindow(kEditorWindow, u"Tellwave", 300, 200));
  HHOOK hook = SetWindowsHookExW(WH_CBT, RefuseProgramWindows, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  Answerer answerer({testing::TypeAndOk(u"Rk7pW2"), Press(IDOK)});
  const bool entered = EditPagerList();
  UnhookWindowsHookEx(hook);
  EXPECT_TRUE(entered) << "the caller must build the main window again";
  EXPECT_FALSE(toolkit::WindowIsOpen(kEditorWindow));
  EXPECT_EQ(Transcript(answerer), (std::vector<std::string>{
                                      "Password Required: Please enter the password to edit the pager list",
                                      "Error: The pager list editor could not be opened."}));
}

}  // namespace
}  // namespace tw
