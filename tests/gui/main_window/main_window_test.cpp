// The main window under Wine, driven by the messages a user's actions
// produce, with its boxes answered for real.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "about/win/about_window.h"
#include "app/main_window.h"
#include "app/main_window_ids.h"
#include "app/startup.h"
#include "common/data_locations.h"
#include "gui_support/gui_driver.h"
#include "selection/saved_lists.h"
#include "support/scoped_env.h"
#include "support/snpp_server.h"
#include "support/temp_folder.h"
#include "toolkit/list_view.h"
#include "toolkit/toolkit.h"

namespace tw {
namespace {

using testing::Answerer;
using testing::Narrow;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr char kDirectory[] =
    "Doe, John;5551234\r\n"
    "Smith, Anna;5550001\r\n"
    "\r\n"
    "#Hidden, Person;5559999\r\n"
    "adams, Bo;5550002\r\n"
    "Lee, Al;5550003\r\n";

// The directory as the exit paths leave it: no empty lines, sorted without
// regard to case.
constexpr char kCompacted[] =
    "#Hidden, Person;5559999\r\n"
    "adams, Bo;5550002\r\n"
    "Doe, John;5551234\r\n"
    "Lee, Al;5550003\r\n"
    "Smith, Anna;5550001\r\n";

std::wstring Wide(const Text& text) { return std::wstring(text.begin(), text.end()); }

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::StartWithMainWindow(kDirectory));
    Settle();
  }

  void TearDown() override {
    SetPagingServerForTesting(std::nullopt);
    toolkit::Shutdown();
  }

  // Runs loop passes until what was posted has been handled and the buttons
  // show it; true when a pass took an exit path.
  bool Settle(int passes = 30) {
    for (int i = 0; i < passes; ++i)
      if (RunMainLoopPass(1)) return true;
    return false;
  }

  static HWND Control(int id) { return toolkit::ControlHandle(kMainWindow, id); }
  static HWND Window() { return toolkit::WindowHandle(kMainWindow); }
  static Text TextOf(int id) { return toolkit::GetText(kMainWindow, id); }
  static bool Enabled(int id) { return toolkit::IsEnabled(kMainWindow, id); }

  static std::vector<std::string> Names(int list_id) {
    ListViewRows rows(Control(list_id));
    std::vector<std::string> names;
    for (int i = 0; i < rows.RowCount(); ++i) names.push_back(Narrow(rows.Cell(i, 0)));
    return names;
  }

  static int RowOf(int list_id, const std::string& name) {
    const auto names = Names(list_id);
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) return static_cast<int>(i);
    return -1;
  }

  // A user's double click on the named person's row.
  void DoubleClickPerson(int list_id, const std::string& name) {
    const int row = RowOf(list_id, name);
    ASSERT_GE(row, 0) << name;
    ASSERT_TRUE(testing::DoubleClickAt(Control(list_id), testing::RowPoint(Control(list_id), row)));
    Settle();
  }

  void TypeInto(int id, const Text& text) {
    testing::Type(Control(id), text);
    Settle();
  }

  testing::TempFolder folder_;
  testing::ScopedEnv profile_{"USERPROFILE", folder_.path()};
  testing::InCurrentDirectory here_{folder_.path()};
};

TEST_F(MainWindowTest, IsBuiltAsTheTablesGiveIt) {
  EXPECT_EQ(Narrow(toolkit::WindowTitle(kMainWindow)), "Tellwave");
  RECT client;
  GetClientRect(Window(), &client);
  EXPECT_EQ(client.right, 768);
  EXPECT_EQ(client.bottom, 580);
  const LONG_PTR style = GetWindowLongPtrW(Window(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);

  struct Expected {
    int id;
    RECT at;  // x, y, width, height
    const char* text;
  };
  const Expected controls[] = {
      {kLogoImage, {0, 0, 190, 134}, ""},
      {kMessageInfoFrame, {190, 5, 565, 140}, "Message Information"},
      {kFromLabel, {200, 20, 40, 20}, "From:"},
      {kFromField, {200, 40, 220, 20}, ""},
      {kMessageLabel, {200, 70, 200, 20}, "Message:(120 Characters Left)"},
      {kMessageField, {200, 90, 545, 20}, ""},
      {kSelectPagersFrame, {10, 150, 745, 400}, "Select Pagers"},
      {kAvailableList, {15, 185, 320, 200}, ""},
      {kAddButton, {350, 200, 64, 64}, ""},
      {kRemoveButton, {350, 310, 64, 64}, ""},
      {kSendToList, {430, 185, 320, 200}, ""},
      {kSearchLabel, {15, 390, 270, 20}, "Search (Last Name or First Name):"},
      {kSearchField, {15, 410, 320, 30}, ""},
      {kSavedListsList, {430, 440, 320, 100}, ""},
      {kClearPagersButton, {430, 400, 100, 30}, "Clear Pagers"},
      {kSaveToListButton, {650, 400, 100, 30}, "Save to List"},
      {kSendButton, {646, 115, 100, 25}, "Send"},
      {kExitButton, {15, 500, 100, 30}, "Exit"},
  };
  HWND previous = nullptr;
  for (const Expected& c : controls) {
    SCOPED_TRACE(c.id);
    HWND control = Control(c.id);
    ASSERT_NE(control, nullptr);
    RECT at;
    GetWindowRect(control, &at);
    MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&at), 2);
    EXPECT_EQ(at.left, c.at.left);
    EXPECT_EQ(at.top, c.at.top);
    EXPECT_EQ(at.right - at.left, c.at.right);
    EXPECT_EQ(at.bottom - at.top, c.at.bottom);
    EXPECT_EQ(Narrow(TextOf(c.id)), c.text);
    // Creation order is the order of the table, and so the Tab order.
    if (previous != nullptr) EXPECT_EQ(GetWindow(previous, GW_HWNDNEXT), control);
    previous = control;
  }

  struct Column {
    int list;
    int index;
    const char* title;
    int width;
  };
  const Column columns[] = {
      {kAvailableList, 0, "Available Pagers:", 299},
      {kAvailableList, 1, "Pager ID", 0},
      {kSendToList, 0, "Send To:         ", 299},
      {kSendToList, 1, "Pager ID", 0},
      {kSavedListsList, 0, "Available Lists (Right click to remove):", 299},
  };
  for (const Column& c : columns) {
    wchar_t title[64] = {};
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = title;
    column.cchTextMax = 64;
    ASSERT_TRUE(SendMessageW(Control(c.list), LVM_GETCOLUMNW, c.index, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(Narrow(Text(reinterpret_cast<char16_t*>(title))), c.title);
    EXPECT_EQ(column.cx, c.width);
  }
  EXPECT_EQ(SendMessageW(Control(kSavedListsList), LVM_GETCOLUMNWIDTH, 1, 0), 0) << "one column only";
  EXPECT_TRUE(GetWindowLongPtrW(Control(kSavedListsList), GWL_STYLE) & LVS_SINGLESEL);
  EXPECT_FALSE(GetWindowLongPtrW(Control(kAvailableList), GWL_STYLE) & LVS_SINGLESEL);
  EXPECT_TRUE(GetWindowLongPtrW(Control(kSendToList), GWL_STYLE) & LVS_SHOWSELALWAYS);

  HMENU bar = GetMenu(Window());
  ASSERT_NE(bar, nullptr);
  const std::pair<int, const char*> items[] = {{kEditPagerListItem, "Edit Pager List"},
                                               {kExitItem, "Exit"},
                                               {kShowPagerIdsItem, "Show Pager ID's"},
                                               {kUpdatePagerListItem, "Update Pager List"},
                                               {kAboutItem, "About"}};
  for (const auto& [item, text] : items) {
    wchar_t buffer[64] = {};
    GetMenuStringW(bar, static_cast<UINT>(item), buffer, 64, MF_BYCOMMAND);
    EXPECT_EQ(Narrow(Text(reinterpret_cast<char16_t*>(buffer))), text);
  }
  EXPECT_FALSE(toolkit::MenuChecked(kMainWindow, kShowPagerIdsItem));

  // Arial 15 points on the two picker lists and the search field only.
  auto font_of = [](int id) { return reinterpret_cast<HFONT>(SendMessageW(Control(id), WM_GETFONT, 0, 0)); };
  HFONT arial = font_of(kAvailableList);
  ASSERT_NE(arial, nullptr);
  LOGFONTW face = {};
  GetObjectW(arial, sizeof(face), &face);
  EXPECT_EQ(std::wstring(face.lfFaceName), L"Arial");
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(face.lfHeight, -MulDiv(15, GetDeviceCaps(screen, LOGPIXELSY), 72));
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(face.lfWeight, FW_NORMAL);
  EXPECT_EQ(font_of(kSendToList), arial);
  EXPECT_EQ(font_of(kSearchField), arial);
  for (int id : {kFromField, kMessageField, kSavedListsList, kSendButton}) EXPECT_NE(font_of(id), arial) << id;

  // The Local logo, decoded at its size.
  auto logo = reinterpret_cast<HBITMAP>(SendMessageW(Control(kLogoImage), STM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_NE(logo, nullptr);
  BITMAP logo_size = {};
  GetObjectW(logo, sizeof(logo_size), &logo_size);
  EXPECT_EQ(logo_size.bmWidth, 190);
  EXPECT_EQ(logo_size.bmHeight, 134);

  // The two clickable labels explain themselves.
  struct FindTip {
    HWND owner;
    HWND tip;
  } find{Window(), nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* f = reinterpret_cast<FindTip*>(param);
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0 && GetWindow(hwnd, GW_OWNER) == f->owner) f->tip = hwnd;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  ASSERT_NE(find.tip, nullptr);
  const std::pair<int, const char*> tips[] = {{kFromLabel, "Click to clear the From field"},
                                              {kMessageLabel, "Click to clear the message"}};
  for (const auto& [id, text] : tips) {
    wchar_t buffer[128] = {};
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.hwnd = Window();
    info.uId = reinterpret_cast<UINT_PTR>(Control(id));
    info.lpszText = buffer;
    SendMessageW(find.tip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(Narrow(Text(reinterpret_cast<char16_t*>(buffer))), text);
  }

  EXPECT_EQ(toolkit::FocusedControl(kMainWindow), kMessageField);
  EXPECT_EQ(SendMessageW(Control(kMessageField), EM_GETLIMITTEXT, 0, 0), 120);
  // Hidden lines stay out; the rest in file order, the empty line as an
  // empty row.
  EXPECT_EQ(Names(kAvailableList),
            (std::vector<std::string>{"Doe, John", "Smith, Anna", "", "adams, Bo", "Lee, Al"}));
  EXPECT_TRUE(Names(kSendToList).empty());
}

TEST_F(MainWindowTest, EscapeIsNoMenuCommand) {
  // Dialog-style keyboard handling would turn Escape into command 2, the
  // number of "Edit Pager List", and ask for the password.
  Answerer answers({testing::Escape()});
  testing::PressKey(Control(kMessageField), VK_ESCAPE);
  testing::PressKey(Control(kMessageField), VK_RETURN);  // no message: nothing to send either
  EXPECT_FALSE(Settle());
  EXPECT_FALSE(answers.WaitDone(std::chrono::milliseconds(500)));
  EXPECT_TRUE(answers.Seen().empty());
}

TEST_F(MainWindowTest, TabAndShiftTabMoveTheFocusInCreationOrder) {
  const int order[] = {kFromField, kMessageField, kAvailableList, kAddButton, kRemoveButton, kSendToList};
  toolkit::Focus(kMainWindow, kFromField);
  for (size_t i = 1; i < std::size(order); ++i) {
    testing::PressKey(GetFocus(), VK_TAB);
    Settle(3);
    EXPECT_EQ(toolkit::FocusedControl(kMainWindow), order[i]) << "after " << order[i - 1];
  }
  // Shift held down, as the keyboard state of this thread shows it.
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  for (size_t i = std::size(order) - 1; i > 0; --i) {
    testing::PressKey(GetFocus(), VK_TAB);
    Settle(3);
    EXPECT_EQ(toolkit::FocusedControl(kMainWindow), order[i - 1]) << "back from " << order[i];
  }
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

TEST_F(MainWindowTest, ButtonsFollowTheFieldsAndTheSendToList) {
  EXPECT_FALSE(Enabled(kSendButton));
  EXPECT_FALSE(Enabled(kClearPagersButton));
  EXPECT_FALSE(Enabled(kSaveToListButton));

  DoubleClickPerson(kAvailableList, "Doe, John");
  ASSERT_EQ(Names(kSendToList), std::vector<std::string>{"Doe, John"});
  EXPECT_TRUE(Enabled(kClearPagersButton));
  EXPECT_TRUE(Enabled(kSaveToListButton));
  EXPECT_FALSE(Enabled(kSendButton));

  struct Case {
    const char16_t* from;
    const char16_t* message;
    bool send_enabled;
  };
  const Case cases[] = {
      {u"", u"hello", false},
      {u"Desk", u"", false},
      {u"Desk", u"hello", true},
      {u" ", u" ", true},  // blanks are text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.from) + "|" + Narrow(c.message));
    toolkit::SetText(kMainWindow, kFromField, c.from);
    toolkit::SetText(kMainWindow, kMessageField, c.message);
    Settle(2);
    EXPECT_EQ(Enabled(kSendButton), c.send_enabled);
  }

  DoubleClickPerson(kSendToList, "Doe, John");
  EXPECT_TRUE(Names(kSendToList).empty());
  EXPECT_FALSE(Enabled(kSendButton));
  EXPECT_FALSE(Enabled(kClearPagersButton));
  EXPECT_FALSE(Enabled(kSaveToListButton));
  EXPECT_FALSE(testing::Click(Control(kSendButton))) << "a disabled button cannot be clicked";
}

TEST_F(MainWindowTest, MessageCounterCountsTheUsersEditsInCodeUnits) {
  TypeInto(kMessageField, Text(20, u'x'));
  EXPECT_EQ(Narrow(TextOf(kMessageLabel)), "Message:(100 Characters Left)");

  // A character outside the basic plane takes two code units.
  TypeInto(kMessageField, u"\U0001F4DF");
  EXPECT_EQ(Narrow(TextOf(kMessageLabel)), "Message:(98 Characters Left)");

  TypeInto(kMessageField, Text(100, u'y'));
  EXPECT_EQ(toolkit::TextLength(kMainWindow, kMessageField), 120);
  EXPECT_EQ(Narrow(TextOf(kMessageLabel)), "Message:(0 Characters Left)");
  TypeInto(kMessageField, u"z");
  EXPECT_EQ(toolkit::TextLength(kMainWindow, kMessageField), 120) << "the 121st character is refused";
  EXPECT_EQ(Narrow(TextOf(kMessageLabel)), "Message:(0 Characters Left)");

  // Texts the program puts in do not move the counter.
  toolkit::SetText(kMainWindow, kMessageField, u"abc");
  Settle(3);
  EXPECT_EQ(Narrow(TextOf(kMessageLabel)), "Message:(0 Characters Left)");

  ASSERT_TRUE(testing::Click(Control(kMessageLabel)));
  Settle();
  EXPECT_EQ(TextOf(kMessageField), u"");
  EXPECT_EQ(Narrow(TextOf(kMessageLabel)), "Message:(120 Characters Left)");

  TypeInto(kFromField, u"Front desk");
  EXPECT_EQ(TextOf(kFromField), u"Front desk");
  ASSERT_TRUE(testing::Click(Control(kFromLabel)));
  Settle();
  EXPECT_EQ(TextOf(kFromField), u"");
}

TEST_F(MainWindowTest, RowsMoveByButtonsAndDoubleClicksOnly) {
  ListViewRows available = AvailableRows();
  available.SetSelected(RowOf(kAvailableList, "Smith, Anna"), true);
  available.SetSelected(RowOf(kAvailableList, "adams, Bo"), true);
  ASSERT_TRUE(testing::Click(Control(kAddButton)));
  Settle();
  EXPECT_EQ(Names(kSendToList), (std::vector<std::string>{"Smith, Anna", "adams, Bo"}));
  EXPECT_EQ(Names(kAvailableList), (std::vector<std::string>{"Doe, John", "", "Lee, Al"}));

  // Nothing selected, nothing moves; a double click below the rows neither.
  ASSERT_TRUE(testing::Click(Control(kAddButton)));
  Settle();
  ASSERT_TRUE(testing::DoubleClickAt(Control(kAvailableList), testing::BelowLastRow(Control(kAvailableList))));
  Settle();
  EXPECT_EQ(Names(kSendToList).size(), 2u);
  EXPECT_EQ(Names(kAvailableList).size(), 3u);

  // Right clicks on the picker lists offer nothing.
  ASSERT_TRUE(testing::RightClickAt(Control(kAvailableList), testing::RowPoint(Control(kAvailableList), 0)));
  ASSERT_TRUE(testing::RightClickAt(Control(kSendToList), testing::RowPoint(Control(kSendToList), 0)));
  Settle();
  EXPECT_EQ(Names(kSendToList).size(), 2u);
  EXPECT_EQ(Names(kAvailableList).size(), 3u);

  ListViewRows send_to = SendToRows();
  send_to.SetSelected(0, true);
  ASSERT_TRUE(testing::Click(Control(kRemoveButton)));
  Settle();
  EXPECT_EQ(Names(kSendToList), std::vector<std::string>{"adams, Bo"});
  // Moved back in, the Available list is sorted.
  EXPECT_EQ(Names(kAvailableList), (std::vector<std::string>{"", "Doe, John", "Lee, Al", "Smith, Anna"}));
}

TEST_F(MainWindowTest, ClearPagersAndUpdatePagerListReloadTheDirectory) {
  for (bool by_menu : {false, true}) {
    SCOPED_TRACE(by_menu ? "Update Pager List" : "Clear Pagers");
    DoubleClickPerson(kAvailableList, "Lee, Al");
    ASSERT_EQ(Names(kSendToList), std::vector<std::string>{"Lee, Al"});
    // Someone else changed the directory meanwhile.
    WriteBytes(folder_.File("pagers.dat"), std::string(kDirectory) + "New, Person;5550009\r\n");
    if (by_menu) {
      testing::ChooseMenuItem(Window(), kUpdatePagerListItem);
    } else {
      ASSERT_TRUE(testing::Click(Control(kClearPagersButton)));
    }
    Settle();
    EXPECT_TRUE(Names(kSendToList).empty());
    EXPECT_EQ(Names(kAvailableList),
              (std::vector<std::string>{"Doe, John", "Smith, Anna", "", "adams, Bo", "Lee, Al", "New, Person"}));
    WriteBytes(folder_.File("pagers.dat"), kDirectory);
    testing::ChooseMenuItem(Window(), kUpdatePagerListItem);
    Settle();
  }
}

TEST_F(MainWindowTest, SearchSelectsTheFirstMatchAndPagerIdsFollowTheMenu) {
  TypeInto(kSearchField, u"SMI");
  ListViewRows available = AvailableRows();
  EXPECT_EQ(available.SelectedRows(), std::vector<int>{RowOf(kAvailableList, "Smith, Anna")});

  // Pager IDs are searched only while their column shows.
  toolkit::SetText(kMainWindow, kSearchField, {});
  TypeInto(kSearchField, u"0003");
  EXPECT_TRUE(available.SelectedRows().empty());

  testing::ChooseMenuItem(Window(), kShowPagerIdsItem);
  Settle();
  EXPECT_TRUE(toolkit::MenuChecked(kMainWindow, kShowPagerIdsItem));
  EXPECT_EQ(Narrow(TextOf(kSearchLabel)), "Search (Last Name, First Name, or Pager ID):");
  for (int list : {kAvailableList, kSendToList}) {
    EXPECT_EQ(SendMessageW(Control(list), LVM_GETCOLUMNWIDTH, 0, 0), 199);
    EXPECT_EQ(SendMessageW(Control(list), LVM_GETCOLUMNWIDTH, 1, 0), 100);
  }
  TypeInto(kSearchField, u"3");  // "00033" now
  toolkit::SetText(kMainWindow, kSearchField, {});
  TypeInto(kSearchField, u"0003");
  EXPECT_EQ(available.SelectedRows(), std::vector<int>{RowOf(kAvailableList, "Lee, Al")});

  testing::ChooseMenuItem(Window(), kShowPagerIdsItem);
  Settle();
  EXPECT_FALSE(toolkit::MenuChecked(kMainWindow, kShowPagerIdsItem));
  EXPECT_EQ(Narrow(TextOf(kSearchLabel)), "Search (Last Name or First Name):");
  EXPECT_EQ(SendMessageW(Control(kSendToList), LVM_GETCOLUMNWIDTH, 0, 0), 299);
  EXPECT_EQ(SendMessageW(Control(kSendToList), LVM_GETCOLUMNWIDTH, 1, 0), 0);

  // Clearing the search by hand leaves nothing selected.
  testing::Type(Control(kSearchField), u"\b\b\b\b");
  Settle();
  EXPECT_EQ(TextOf(kSearchField), u"");
  EXPECT_TRUE(available.SelectedRows().empty());
}

TEST_F(MainWindowTest, EachExitPathCompactsTheDirectoryAndLeaves) {
  enum class Path { kMenu, kButton, kCloseBox };
  for (Path path : {Path::kMenu, Path::kButton, Path::kCloseBox}) {
    SCOPED_TRACE(static_cast<int>(path));
    WriteBytes(folder_.File("pagers.dat"), kDirectory);
    EXPECT_FALSE(Settle(5)) << "nothing leaves by itself";
    switch (path) {
      case Path::kMenu: testing::ChooseMenuItem(Window(), kExitItem); break;
      case Path::kButton: ASSERT_TRUE(testing::Click(Control(kExitButton))); break;
      case Path::kCloseBox: testing::PressCloseBox(Window()); break;
    }
    EXPECT_TRUE(Settle());
    EXPECT_EQ(ReadBytes(folder_.File("pagers.dat")), kCompacted);
  }
}

TEST_F(MainWindowTest, SavedListsAreSavedLoadedAndRemovedFromTheWindow) {
  ASSERT_TRUE(CreateDirectoryW(Wide(folder_.File("Documents")).c_str(), nullptr));
  ListViewRows saved = SavedListsRows();
  RefreshSavedLists(saved);  // makes the lists folder, now that Documents is there
  const Text lists = folder_.path() + u"\\Documents\\Tellwave\\";
  DoubleClickPerson(kAvailableList, "Lee, Al");
  DoubleClickPerson(kAvailableList, "Doe, John");
  {
    Answerer answers({testing::TypeAndOk(u"team")});
    ASSERT_TRUE(testing::Click(Control(kSaveToListButton)));
    Settle();
    ASSERT_TRUE(answers.WaitDone());
    EXPECT_EQ(Narrow(answers.Seen()[0].title), "Save Pager List");
  }
  EXPECT_EQ(ReadBytes(lists + u"team.lst"), "Doe, John;5551234\r\nLee, Al;5550003\r\n");
  EXPECT_EQ(Names(kSavedListsList), std::vector<std::string>{"team"});

  ASSERT_TRUE(testing::Click(Control(kClearPagersButton)));
  Settle();
  ASSERT_TRUE(Names(kSendToList).empty());
  // A double click below the rows loads nothing; on the row it loads the list.
  ASSERT_TRUE(testing::DoubleClickAt(Control(kSavedListsList), testing::BelowLastRow(Control(kSavedListsList))));
  Settle();
  EXPECT_TRUE(Names(kSendToList).empty());
  DoubleClickPerson(kSavedListsList, "team");
  EXPECT_EQ(Names(kSendToList), (std::vector<std::string>{"Doe, John", "Lee, Al"}));
  EXPECT_EQ(Names(kAvailableList), (std::vector<std::string>{"Smith, Anna", "", "adams, Bo"}));

  {
    // A right click below the rows offers nothing.
    Answerer answers({testing::Escape()});
    ASSERT_TRUE(testing::RightClickAt(Control(kSavedListsList), testing::BelowLastRow(Control(kSavedListsList))));
    Settle();
    EXPECT_FALSE(answers.WaitDone(std::chrono::milliseconds(800)));
  }
  for (int button : {IDNO, IDYES}) {
    SCOPED_TRACE(button == IDYES ? "Yes" : "No");
    // The popup's one item is chosen, then the question answered.
    Answerer answers({testing::ChooseFirstItem(), testing::Press(button)});
    ASSERT_TRUE(testing::RightClickAt(Control(kSavedListsList), testing::RowPoint(Control(kSavedListsList), 0)));
    Settle();
    ASSERT_TRUE(answers.WaitDone());
    Settle();
    const std::vector<testing::SeenDialog> seen = answers.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(Narrow(seen[0].text), "Remove team ?");
    EXPECT_EQ(Narrow(seen[1].title), "");
    EXPECT_EQ(Narrow(seen[1].text), "Are you sure you wish to remove team ?");
    EXPECT_EQ(testing::Exists(lists + u"team.lst"), button == IDNO);
    EXPECT_EQ(Names(kSavedListsList).size(), button == IDNO ? 1u : 0u);
  }
}

TEST_F(MainWindowTest, AboutOpensFromTheMenuAndReturnsToTheLoop) {
  Text title_seen;
  std::thread operator_thread([&] {
    for (int i = 0; i < 500; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      HWND about = FindWindowW(L"TellwaveWindow", L"About Tellwave");
      if (about == nullptr) continue;
      title_seen = testing::WindowText(about);
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      testing::Click(GetDlgItem(about, kAboutOkButton));
      return;
    }
  });
  testing::ChooseMenuItem(Window(), kAboutItem);
  Settle();
  operator_thread.join();
  EXPECT_EQ(Narrow(title_seen), "About Tellwave");
  EXPECT_EQ(FindWindowW(L"TellwaveWindow", L"About Tellwave"), nullptr);
  // The main loop runs again.
  TypeInto(kMessageField, u"abc");
  EXPECT_EQ(Narrow(TextOf(kMessageLabel)), "Message:(117 Characters Left)");
}

// Sends from the window to a scripted server; returns the commands it got.
class SendingTest : public MainWindowTest {
 protected:
  void UseServer(testing::SnppScript script = {}) {
    server_ = std::make_unique<testing::ScriptedSnppServer>(std::move(script));
    PagingServer server{"127.0.0.1", server_->Port(), ""};
    server.connect_timeout_ms = 3000;
    server.reply_timeout_ms = 5000;
    SetPagingServerForTesting(server);
  }
  std::unique_ptr<testing::ScriptedSnppServer> server_;
};

TEST_F(SendingTest, EnterSendsWithoutAFromNameAndTheButtonNeedsOne) {
  UseServer();
  DoubleClickPerson(kAvailableList, "Lee, Al");
  TypeInto(kMessageField, u"Call the desk");
  EXPECT_FALSE(Enabled(kSendButton));

  Answerer answers({testing::Press(IDOK)});
  testing::PressKey(Control(kMessageField), VK_RETURN);
  Settle();
  ASSERT_TRUE(answers.WaitDone());
  const std::vector<std::string> commands = server_->Commands();
  ASSERT_GE(commands.size(), 4u);
  EXPECT_EQ(commands[0], "PAGE 8005550003");
  EXPECT_EQ(commands[1], "MESS From: Message: Call the desk");
  EXPECT_EQ(commands[2], "SEND");
  EXPECT_EQ(commands.back(), "QUIT");
  ASSERT_EQ(answers.Seen().size(), 1u);
  EXPECT_EQ(Narrow(answers.Seen()[0].title), "Success");
  // The Enter key did not reach the field.
  EXPECT_EQ(TextOf(kMessageField), u"");
  EXPECT_TRUE(Names(kSendToList).empty());
  EXPECT_EQ(Narrow(TextOf(kMessageLabel)), "Message:(120 Characters Left)");
}

TEST_F(SendingTest, WithoutAMessageNeitherEnterNorSendDoesAnything) {
  UseServer();
  DoubleClickPerson(kAvailableList, "Lee, Al");
  TypeInto(kFromField, u"Desk");
  testing::PressKey(Control(kFromField), VK_RETURN);
  testing::ChooseMenuItem(Window(), kEnterShortcutItem);
  Settle();
  EXPECT_FALSE(server_->Connected());
  EXPECT_EQ(Names(kSendToList), std::vector<std::string>{"Lee, Al"});
}

TEST_F(SendingTest, SendButtonPagesEveryRecipientAndTheTitleShowsProgress) {
  testing::SnppScript script;
  script.reply_delay_ms = 150;
  UseServer(script);
  DoubleClickPerson(kAvailableList, "Lee, Al");
  DoubleClickPerson(kAvailableList, "Doe, John");
  TypeInto(kFromField, u"Desk");
  TypeInto(kMessageField, u"Fire drill at 3");
  ASSERT_TRUE(Enabled(kSendButton));

  // While the exchange holds the thread, the title tells how far it is and
  // the window keeps answering the system.
  std::atomic<bool> stop{false};
  std::atomic<bool> saw_progress{false};
  std::atomic<bool> hung{false};
  HWND window = Window();
  HWND exit_button = Control(kExitButton);
  std::thread watcher([&] {
    while (!stop) {
      DWORD_PTR result = 0;
      if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result)) hung = true;
      wchar_t title[128] = {};
      InternalGetWindowText(window, title, 128);
      if (std::wstring(title).find(L"Sending page") != std::wstring::npos && !saw_progress) {
        saw_progress = true;
        // The operator clicks Exit meanwhile: not taken, then or later.
        testing::Click(exit_button);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  Answerer answers({testing::Press(IDOK)});
  ASSERT_TRUE(testing::Click(Control(kSendButton)));
  Settle();
  ASSERT_TRUE(answers.WaitDone());
  stop = true;
  watcher.join();

  EXPECT_TRUE(saw_progress);
  EXPECT_FALSE(hung);
  EXPECT_FALSE(Settle()) << "the click on Exit during the exchange was acted on";
  EXPECT_EQ(Narrow(toolkit::WindowTitle(kMainWindow)), "Tellwave");
  const std::vector<std::string> commands = server_->Commands();
  // The last row first: the list is sorted, so Lee before Doe.
  ASSERT_GE(commands.size(), 7u);
  EXPECT_EQ(commands[0], "PAGE 8005550003");
  EXPECT_EQ(commands[1], "MESS From:Desk Message: Fire drill at 3");
  EXPECT_EQ(commands[3], "PAGE 8005551234");
  // The daily log has a line per page.
  bool found_log = false;
  for (const std::string& name : testing::FolderNames(folder_.path())) {
    if (name.rfind("Pages-", 0) == 0) {
      found_log = true;
      const std::string log = ReadBytes(folder_.File(name));
      EXPECT_NE(log.find("Lee, Al"), std::string::npos);
      EXPECT_NE(log.find("Doe, John"), std::string::npos);
    }
  }
  EXPECT_TRUE(found_log);
}

TEST(MainLoopTest, RefusedTrimIsShownOncePerRun) {
  testing::TempFolder folder;
  SetWorkingSetTrimForTesting([] { return false; });
  Answerer answers({testing::Press(IDOK), testing::Press(IDOK)});
  for (int pass = 0; pass < 200; ++pass) TrimWorkingSet();
  // The second answer waits for a box that must not come.
  EXPECT_FALSE(answers.WaitDone(std::chrono::milliseconds(1500)));
  SetWorkingSetTrimForTesting({});
  ASSERT_EQ(answers.Seen().size(), 1u);
  EXPECT_EQ(Narrow(answers.Seen()[0].title), "Error");
  EXPECT_EQ(Narrow(answers.Seen()[0].text), "Failed to free memory!");
}

}  // namespace
}  // namespace tw
