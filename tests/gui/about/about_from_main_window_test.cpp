// The About window opened from the running program's main window, through
// its "?" menu and the main loop, with a page ready to send behind it.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "about/win/about_window.h"
#include "app/main_window.h"
#include "app/main_window_ids.h"
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

class AboutFromMainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::StartWithMainWindow("Doe, John;5551234\r\nLee, Al;5550003\r\n"));

    server_ = std::make_unique<testing::ScriptedSnppServer>();
    PagingServer server{"127.0.0.1", server_->Port(), ""};
    server.connect_timeout_ms = 3000;
    server.reply_timeout_ms = 5000;
    SetPagingServerForTesting(server);

    // The About loop asks for the Enter key once after every wait; the
    // script's steps run there, one a pass.
    toolkit::SetKeyDownForTesting([this](int) {
      ++about_passes_;
      if (next_step_ < steps_.size()) {
        steps_[next_step_++]();
      } else if (toolkit::WindowIsOpen(kAboutWindow)) {
        if (!ran_out_) ADD_FAILURE() << "the About window outlived its script";
        ran_out_ = true;
        testing::Click(toolkit::ControlHandle(kAboutWindow, kAboutOkButton));
      }
      return false;
    });
  }

  void TearDown() override {
    toolkit::SetKeyDownForTesting({});
    SetPagingServerForTesting(std::nullopt);
    toolkit::Shutdown();
  }

  // Main loop passes until what was posted has been handled; true when a
  // pass took an exit path.
  static bool Settle(int passes = 30) {
    for (int i = 0; i < passes; ++i)
      if (RunMainLoopPass(1)) return true;
    return false;
  }

  static HWND Control(int id) { return toolkit::ControlHandle(kMainWindow, id); }

  testing::TempFolder folder_;
  testing::ScopedEnv profile_{"USERPROFILE", folder_.path()};
  testing::InCurrentDirectory here_{folder_.path()};
  std::unique_ptr<testing::ScriptedSnppServer> server_;
  std::vector<std::function<void()>> steps_;
  size_t next_step_ = 0;
  int about_passes_ = 0;
  bool ran_out_ = false;
};

// Send, the Exit item and the close box of the main window do nothing while
// the About window is open, and nothing later either; the same Send click
// pages once the About window is gone.
TEST_F(AboutFromMainWindowTest, OpensFromTheMenuAndSwallowsTheMainWindowsEvents) {
  ASSERT_TRUE(testing::DoubleClickAt(Control(kAvailableList), testing::RowPoint(Control(kAvailableList), 1)));
  Settle();
  testing::Type(Control(kFromField), u"Desk");
  testing::Type(Control(kMessageField), u"Call the desk");
  Settle();
  ASSERT_TRUE(toolkit::IsEnabled(kMainWindow, kSendButton));
  HWND main_window = toolkit::WindowHandle(kMainWindow);

  bool main_usable_meanwhile = false;
  steps_ = {
      [&] {
        EXPECT_EQ(toolkit::WindowTitle(kAboutWindow), u"About Tellwave");
        main_usable_meanwhile = IsWindowEnabled(main_window) && IsWindowVisible(main_window);
        EXPECT_TRUE(testing::Click(Control(kSendButton)));
      },
      [&] { testing::ChooseMenuItem(main_window, kExitItem); },
      [&] { testing::PressCloseBox(main_window); },
      [] {},
      [] {},
      [] { testing::Click(toolkit::ControlHandle(kAboutWindow, kAboutOkButton)); },
  };
  testing::Answerer answers({testing::Press(IDOK), testing::Press(IDOK)});
  testing::ChooseMenuItem(main_window, kAboutItem);
  EXPECT_FALSE(Settle()) << "an exit path was taken";

  EXPECT_GT(about_passes_, 0) << "the About window never ran";
  EXPECT_FALSE(ran_out_);
  EXPECT_TRUE(main_usable_meanwhile);
  EXPECT_FALSE(toolkit::WindowIsOpen(kAboutWindow));
  EXPECT_TRUE(toolkit::WindowIsOpen(kMainWindow));
  EXPECT_TRUE(answers.Seen().empty());
  EXPECT_EQ(toolkit::GetText(kMainWindow, kMessageField), u"Call the desk");
  EXPECT_EQ(SendToRows().RowCount(), 1);

  ASSERT_TRUE(testing::Click(Control(kSendButton)));
  Settle();
  EXPECT_TRUE(server_->Connected());
  ASSERT_EQ(answers.Seen().size(), 1u);
  EXPECT_EQ(answers.Seen()[0].title, u"Success");
}

}  // namespace
}  // namespace tw
