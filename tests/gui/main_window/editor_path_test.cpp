// "Edit Pager List" from the main window: the password gate, and the main
// window built anew after the editor has taken its place.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/main_window.h"
#include "app/main_window_ids.h"
#include "common/data_locations.h"
#include "common/settings.h"
#include "directory/win/editor_window.h"
#include "gui_support/gui_driver.h"
#include "selection/saved_lists.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"
#include "toolkit/toolkit.h"

namespace tw {
namespace {

using testing::Answerer;
using testing::Narrow;

class EditorPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::StartWithMainWindow("Doe, John;5551234\r\nLee, Al;5550003\r\n"));
    Settle();
    // Something typed and picked, and the Pager ID column shown: all of it
    // must survive a wrong password and be gone after the editor.
    testing::Type(toolkit::ControlHandle(kMainWindow, kFromField), u"Desk");
    ListViewRows available = AvailableRows();
    available.SetSelected(0, true);
    testing::Click(toolkit::ControlHandle(kMainWindow, kAddButton));
    testing::ChooseMenuItem(toolkit::WindowHandle(kMainWindow), kShowPagerIdsItem);
    Settle();
    ASSERT_EQ(SendToRows().RowCount(), 1);
    ASSERT_TRUE(toolkit::MenuChecked(kMainWindow, kShowPagerIdsItem));
  }

  void TearDown() override {
    toolkit::Shutdown();
  }

  bool Settle(int passes = 30) {
    for (int i = 0; i < passes; ++i)
      if (RunMainLoopPass(1)) return true;
    return false;
  }

  testing::TempFolder folder_;
  testing::ScopedEnv profile_{"USERPROFILE", folder_.path()};
  testing::InCurrentDirectory here_{folder_.path()};
};

TEST_F(EditorPathTest, WrongPasswordsLeaveTheWindowAsItWas) {
  const Text refused[] = {u"rk7pw2", Text(kEditPassword) + u" "};
  for (const Text& typed : refused) {
    SCOPED_TRACE(Narrow(typed));
    HWND before = toolkit::WindowHandle(kMainWindow);
    Answerer answers({testing::TypeAndOk(typed), testing::Press(IDOK)});
    testing::ChooseMenuItem(before, kEditPagerListItem);
    Settle();
    ASSERT_TRUE(answers.WaitDone());
    Settle();
    const auto seen = answers.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(Narrow(seen[0].title), "Password Required");
    EXPECT_EQ(Narrow(seen[0].text), "Please enter the password to edit the pager list");
    EXPECT_EQ(Narrow(seen[1].title), "Error");
    EXPECT_EQ(Narrow(seen[1].text), "Wrong password entered");
    EXPECT_EQ(toolkit::WindowHandle(kMainWindow), before);
    EXPECT_EQ(toolkit::GetText(kMainWindow, kFromField), u"Desk");
    EXPECT_EQ(SendToRows().RowCount(), 1);
  }
}

TEST_F(EditorPathTest, AfterTheEditorTheMainWindowIsNew) {
  HWND before = toolkit::WindowHandle(kMainWindow);
  Answerer answers({testing::TypeAndOk(kEditPassword)});
  // The operator, once the editor is up, closes it without changes.
  std::thread operator_thread([] {
    HWND editor = nullptr;
    for (int i = 0; i < 1000 && editor == nullptr; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      HWND found = FindWindowW(L"TellwaveWindow", nullptr);
      if (found != nullptr && testing::WindowText(found).rfind(u"Editing Pager List", 0) == 0) editor = found;
    }
    if (editor == nullptr) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    testing::Click(GetDlgItem(editor, kEditorCloseButton));
  });
  testing::ChooseMenuItem(before, kEditPagerListItem);
  Settle();
  operator_thread.join();
  ASSERT_TRUE(answers.WaitDone());
  Settle();

  ASSERT_TRUE(toolkit::WindowIsOpen(kMainWindow));
  EXPECT_EQ(Narrow(toolkit::WindowTitle(kMainWindow)), "Tellwave");
  EXPECT_EQ(toolkit::GetText(kMainWindow, kFromField), u"");
  EXPECT_EQ(SendToRows().RowCount(), 0);
  EXPECT_EQ(AvailableRows().RowCount(), 2);
  EXPECT_FALSE(toolkit::MenuChecked(kMainWindow, kShowPagerIdsItem));
  EXPECT_EQ(SendMessageW(toolkit::ControlHandle(kMainWindow, kAvailableList), LVM_GETCOLUMNWIDTH, 1, 0), 0);
  EXPECT_EQ(Narrow(toolkit::GetText(kMainWindow, kSearchLabel)), "Search (Last Name or First Name):");
  // The loop goes on with the new window: its exit path still works.
  testing::PressCloseBox(toolkit::WindowHandle(kMainWindow));
  EXPECT_TRUE(Settle());
}

}  // namespace
}  // namespace tw
