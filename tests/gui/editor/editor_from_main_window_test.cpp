// The editor reached the way an operator reaches it: from the main window's
// File menu, behind the password, and back to a main window built anew.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/main_window.h"
#include "app/main_window_ids.h"
#include "common/data_locations.h"
#include "directory/directory_editing.h"
#include "directory/win/cell_edit.h"
#include "directory/win/editor_window.h"
#include "gui_support/gui_driver.h"
#include "selection/saved_lists.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"
#include "toolkit/list_view.h"
#include "toolkit/toolkit.h"

namespace tw {
namespace {

using testing::Answerer;

std::wstring Wide(const Text& text) { return std::wstring(text.begin(), text.end()); }

class EditorFromMainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::StartWithMainWindow("Doe, John;5551234\r\nSmith, Anna;5550001\r\n"));
    Settle();
  }

  void TearDown() override {
    toolkit::Shutdown();
  }

  static void Settle() {
    for (int i = 0; i < 30; ++i) RunMainLoopPass(1);
  }

  testing::TempFolder folder_;
  testing::ScopedEnv profile_{"USERPROFILE", folder_.path()};
  testing::InCurrentDirectory here_{folder_.path()};
};

TEST_F(EditorFromMainWindowTest, LeavingTheEditorGivesAFreshMainWindow) {
  testing::ChooseMenuItem(toolkit::WindowHandle(kMainWindow), kShowPagerIdsItem);
  Settle();
  ASSERT_TRUE(toolkit::MenuChecked(kMainWindow, kShowPagerIdsItem));
  testing::Type(toolkit::ControlHandle(kMainWindow, kFromField), u"Desk");
  Settle();
  ASSERT_EQ(toolkit::GetText(kMainWindow, kFromField), u"Desk");

  // An operator who types the password, looks at the editor and closes it.
  Answerer answerer({testing::TypeAndOk(u"Rk7pW2")});
  std::atomic<bool> editor_seen{false};
  std::thread operator_thread([&] {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
      HWND window = FindWindowW(L"TellwaveWindow", Wide(kEditorTitle).c_str());
      HWND grid = window ? GetDlgItem(window, kEditorGrid) : nullptr;
      if (grid && GetPropW(grid, kCellEditProperty)) {
        editor_seen = true;
        testing::Click(GetDlgItem(window, kEditorCloseButton));
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  testing::ChooseMenuItem(toolkit::WindowHandle(kMainWindow), kEditPagerListItem);
  Settle();
  operator_thread.join();
  ASSERT_TRUE(editor_seen);

  ASSERT_TRUE(toolkit::WindowIsOpen(kMainWindow));
  EXPECT_EQ(toolkit::WindowTitle(kMainWindow), u"Tellwave");
  EXPECT_EQ(toolkit::GetText(kMainWindow, kFromField), u"");
  EXPECT_FALSE(toolkit::MenuChecked(kMainWindow, kShowPagerIdsItem));
  EXPECT_EQ(SendMessageW(toolkit::ControlHandle(kMainWindow, kAvailableList), LVM_GETCOLUMNWIDTH, 1, 0), 0);
  EXPECT_EQ(AvailableRows().RowCount(), 2);
}

}  // namespace
}  // namespace tw
