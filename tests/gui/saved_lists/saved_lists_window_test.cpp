// Saved recipient lists through the real main window under Wine: double
// clicks and right clicks on the saved lists, the popup menu's item, and the
// boxes and prompts answered as an operator would.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "app/main_window.h"
#include "app/main_window_ids.h"
#include "common/data_locations.h"
#include "gui_support/gui_driver.h"
#include "platform/file.h"
#include "selection/saved_lists.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"
#include "toolkit/list_view.h"
#include "toolkit/toolkit.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using testing::Answerer;
using testing::Narrow;
using testing::ReadBytes;
using testing::WriteBytes;

using Names = std::vector<std::string>;

// "Aaron-Smith, Joan" comes first and contains "Smith, Jo".
constexpr char kDirectory[] =
    "Aaron-Smith, Joan;5550100\r\n"
    "Doe, John;5551234\r\n"
    "Smith, Jo;5550001\r\n"
    "adams, Bo;5550002\r\n"
    "Lee, Al;5550003\r\n";

// Handles the popup menus and message boxes this process shows, on a thread
// of its own. A popup's removal item text is noted, then the item chosen or
// the menu dismissed; a box's title and text are noted, then the given
// button pressed. The menu and the box run their own loops inside the main
// loop's pass, so a pass that shows one returns only once this has acted.
// Boxes are taken only once their text is there: Wine may show a box's
// window for a moment before it is filled.
class PopupAndBoxWatcher {
 public:
  enum class Act { kChoose, kDismiss };
  PopupAndBoxWatcher(Act act, int button) : act_(act), button_(button), thread_([this] { Watch(); }) {}
  ~PopupAndBoxWatcher() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    thread_.join();
  }
  PopupAndBoxWatcher(const PopupAndBoxWatcher&) = delete;
  PopupAndBoxWatcher& operator=(const PopupAndBoxWatcher&) = delete;

  std::vector<Text> ItemTexts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return item_texts_;
  }
  // "title|text" of each box.
  std::vector<std::string> Boxes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
  }

 private:
  struct Found {
    std::vector<HWND> menus;
    std::vector<HWND> boxes;
  };
  static BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(hwnd)) return TRUE;
    char name[16] = {};
    GetClassNameA(hwnd, name, sizeof name);
    auto* found = reinterpret_cast<Found*>(param);
    if (std::string(name) == "#32768") found->menus.push_back(hwnd);
    if (std::string(name) == "#32770") found->boxes.push_back(hwnd);
    return TRUE;
  }

  void Watch() {
    std::set<HWND> handled;
    for (;;) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stop_) return;
      }
      Found found;
      EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
      for (HWND menu_window : found.menus) {
        if (!handled.insert(menu_window).second) continue;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menu_window, MN_GETHMENU, 0, 0));
        wchar_t item[128] = {};
        GetMenuStringW(menu, kRemoveListItem, item, 128, MF_BYCOMMAND);
        {
          std::lock_guard<std::mutex> lock(mutex_);
          item_texts_.push_back(Text(reinterpret_cast<const char16_t*>(item)));
        }
        if (act_ == Act::kChoose) {
          testing::PressKey(menu_window, VK_DOWN);
          testing::PressKey(menu_window, VK_RETURN);
        } else {
          testing::PressKey(menu_window, VK_ESCAPE);
        }
      }
      for (HWND box : found.boxes) {
        if (handled.count(box) != 0) continue;
        const Text text = testing::WindowText(GetDlgItem(box, 0xFFFF));
        if (text.empty()) continue;
        handled.insert(box);
        {
          std::lock_guard<std::mutex> lock(mutex_);
          boxes_.push_back(Narrow(testing::WindowText(box)) + "|" + Narrow(text));
        }
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button_)));
      }
      // Windows of closed menus and boxes may be reused for the next one.
      for (auto it = handled.begin(); it != handled.end();)
        it = IsWindowVisible(*it) ? std::next(it) : handled.erase(it);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  const Act act_;
  const int button_;
  std::mutex mutex_;
  std::vector<Text> item_texts_;
  std::vector<std::string> boxes_;
  bool stop_ = false;
  std::thread thread_;
};

class SavedListsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(fs::path(profile_.path()) / "Documents" / "Tellwave");
    WriteList("team.lst", "Lee, Al;5550003\r\nSmith, Jo;5550001\r\n");
    WriteList("crew.lst", "Doe, John;5551234\r\n");
    ASSERT_TRUE(testing::StartWithMainWindow(kDirectory));
    Settle();
  }

  void TearDown() override {
    toolkit::Shutdown();
  }

  void Settle(int passes = 30) {
    for (int i = 0; i < passes; ++i) RunMainLoopPass(1);
  }
  // Passes until the answerer has met as many boxes and prompts as it has
  // answers, and a few more for what follows them.
  void SettleWhileAnswering(Answerer& answerer, size_t answers) {
    for (int i = 0; i < 2000 && answerer.Seen().size() < answers; ++i) RunMainLoopPass(1);
    EXPECT_EQ(answerer.Seen().size(), answers) << "a box or prompt never came";
    Settle();
  }

  Text ListFile(const std::string& name) { return ListsFolder() + Utf8ToText(name); }
  void WriteList(const std::string& name, const std::string& bytes) { WriteBytes(ListFile(name), bytes); }
  bool ListExists(const std::string& name) {
    return platform::QueryPath(ListFile(name)) == platform::PathKind::kFile;
  }

  static HWND Control(int id) { return toolkit::ControlHandle(kMainWindow, id); }
  static Names NamesIn(int list_id) {
    ListViewRows rows(Control(list_id));
    Names names;
    for (int i = 0; i < rows.RowCount(); ++i) names.push_back(Narrow(rows.Cell(i, 0)));
    return names;
  }
  static int RowOf(int list_id, const std::string& name) {
    const Names names = NamesIn(list_id);
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) return static_cast<int>(i);
    return -1;
  }
  static Names Sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
  }

  void DoubleClickRow(int list_id, const std::string& name) {
    const int row = RowOf(list_id, name);
    ASSERT_GE(row, 0) << name;
    ASSERT_TRUE(testing::DoubleClickAt(Control(list_id), testing::RowPoint(Control(list_id), row)));
    Settle();
  }
  void RightClickSavedRow(const std::string& name) {
    const int row = RowOf(kSavedListsList, name);
    ASSERT_GE(row, 0) << name;
    ASSERT_TRUE(testing::RightClickAt(Control(kSavedListsList), testing::RowPoint(Control(kSavedListsList), row)));
    Settle();
  }

  testing::TempFolder profile_;
  testing::TempFolder data_;
  testing::ScopedEnv user_profile_{"USERPROFILE", profile_.path()};
  testing::InCurrentDirectory here_{data_.path()};
};

TEST_F(SavedListsWindowTest, ADoubleClickOnAListLoadsItAndTakesOnlyItsMembersOut) {
  EXPECT_EQ(Sorted(NamesIn(kSavedListsList)), (Names{"crew", "team"}));
  DoubleClickRow(kAvailableList, "adams, Bo");
  ASSERT_EQ(NamesIn(kSendToList), Names{"adams, Bo"});

  DoubleClickRow(kSavedListsList, "team");
  EXPECT_EQ(NamesIn(kSendToList), (Names{"Lee, Al", "Smith, Jo"})) << "file order, what was there replaced";
  EXPECT_EQ(NamesIn(kAvailableList), (Names{"Aaron-Smith, Joan", "Doe, John", "adams, Bo"}));
  EXPECT_TRUE(AvailableRows().SelectedRows().empty());
  EXPECT_TRUE(toolkit::IsEnabled(kMainWindow, kSaveToListButton));

  // A double click below the last saved list changes nothing.
  ASSERT_TRUE(testing::DoubleClickAt(Control(kSavedListsList), testing::BelowLastRow(Control(kSavedListsList))));
  Settle();
  EXPECT_EQ(NamesIn(kSendToList), (Names{"Lee, Al", "Smith, Jo"}));
  EXPECT_EQ(NamesIn(kAvailableList).size(), 3u);
}

TEST_F(SavedListsWindowTest, SaveToListAsksForANameRefusesPathsAndWritesTheList) {
  DoubleClickRow(kAvailableList, "Doe, John");
  DoubleClickRow(kAvailableList, "Smith, Jo");
  ASSERT_TRUE(toolkit::IsEnabled(kMainWindow, kSaveToListButton));
  {
    Answerer answerer({testing::TypeAndOk(u"..\\..\\Desktop\\x"), testing::Press(IDOK),
                       testing::TypeAndOk(u"night")});
    ASSERT_TRUE(testing::Click(Control(kSaveToListButton)));
    SettleWhileAnswering(answerer, 3);
    const auto seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(Narrow(seen[0].title), "Save Pager List");
    EXPECT_EQ(Narrow(seen[0].text), "Type in a name for your pager list.");
    EXPECT_EQ(Narrow(seen[1].title), "Error");
    EXPECT_FALSE(seen[1].text.empty());
    EXPECT_EQ(Narrow(seen[2].title), "Save Pager List") << "asked again";
  }
  EXPECT_EQ(ReadBytes(ListFile("night.lst")), "Doe, John;5551234\r\nSmith, Jo;5550001\r\n");
  EXPECT_EQ(Sorted(NamesIn(kSavedListsList)), (Names{"crew", "night", "team"}));
  // Nothing landed beside the profile's documents.
  EXPECT_EQ(testing::FolderNames(profile_.path()), Names{"Documents"});

  // Over an existing list: No keeps the old one.
  const std::string team_before = ReadBytes(ListFile("team.lst"));
  {
    Answerer answerer({testing::TypeAndOk(u"team"), testing::Press(IDNO)});
    ASSERT_TRUE(testing::Click(Control(kSaveToListButton)));
    SettleWhileAnswering(answerer, 2);
    const auto seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(Narrow(seen[1].title), "File Exists");
    EXPECT_EQ(Narrow(seen[1].text), "Overwrite Existing File?");
  }
  EXPECT_EQ(ReadBytes(ListFile("team.lst")), team_before);

  // Yes replaces it whole.
  {
    Answerer answerer({testing::TypeAndOk(u"team"), testing::Press(IDYES)});
    ASSERT_TRUE(testing::Click(Control(kSaveToListButton)));
    SettleWhileAnswering(answerer, 2);
  }
  EXPECT_EQ(ReadBytes(ListFile("team.lst")), "Doe, John;5551234\r\nSmith, Jo;5550001\r\n");
  EXPECT_EQ(Sorted(NamesIn(kSavedListsList)), (Names{"crew", "night", "team"}));

  // Escape gives no name.
  {
    Answerer answerer({testing::Escape(), testing::Press(IDOK)});
    ASSERT_TRUE(testing::Click(Control(kSaveToListButton)));
    SettleWhileAnswering(answerer, 2);
    const auto seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(Narrow(seen[1].title), "Error");
    EXPECT_EQ(Narrow(seen[1].text), "You must type a filename.");
  }
  EXPECT_EQ(Sorted(NamesIn(kSavedListsList)), (Names{"crew", "night", "team"}));
}

TEST_F(SavedListsWindowTest, TheRightClickPopupRemovesAListOnlyOnYes) {
  for (const int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
    PopupAndBoxWatcher watcher(PopupAndBoxWatcher::Act::kChoose, answer);
    RightClickSavedRow("team");
    EXPECT_EQ(watcher.ItemTexts(), std::vector<Text>{u"Remove team ?"});
    EXPECT_EQ(watcher.Boxes(), Names{"|Are you sure you wish to remove team ?"});
    const bool removed = answer == IDYES;
    EXPECT_EQ(ListExists("team.lst"), !removed);
    EXPECT_EQ(RowOf(kSavedListsList, "team") >= 0, !removed);
    EXPECT_TRUE(ListExists("crew.lst"));
    EXPECT_GE(RowOf(kSavedListsList, "crew"), 0);
  }
}

TEST_F(SavedListsWindowTest, ADismissedPopupOrAClickBelowTheRowsRemovesNothing) {
  {
    PopupAndBoxWatcher popups(PopupAndBoxWatcher::Act::kDismiss, IDOK);
    RightClickSavedRow("crew");
    EXPECT_EQ(popups.ItemTexts(), std::vector<Text>{u"Remove crew ?"});
  }
  {
    PopupAndBoxWatcher popups(PopupAndBoxWatcher::Act::kDismiss, IDOK);
    // "crew" is still selected from above: the click below the rows takes
    // the selection away before the event arrives.
    ASSERT_EQ(SavedListsRows().SelectedRows(), std::vector<int>{RowOf(kSavedListsList, "crew")});
    ASSERT_TRUE(testing::RightClickAt(Control(kSavedListsList), testing::BelowLastRow(Control(kSavedListsList))));
    Settle();
    EXPECT_TRUE(popups.ItemTexts().empty()) << "no popup below the last row";
  }
  EXPECT_EQ(Sorted(NamesIn(kSavedListsList)), (Names{"crew", "team"}));
  EXPECT_TRUE(ListExists("crew.lst"));
  EXPECT_TRUE(ListExists("team.lst"));
}

}  // namespace
}  // namespace tw
