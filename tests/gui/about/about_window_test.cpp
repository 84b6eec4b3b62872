// The About window as a real window under Wine, driven by the messages a
// user's clicks, typing and key presses produce.
//
// ShowAboutWindow holds the thread until the window closes, so the tests act
// from inside its loop, pass by pass: the key-state seam is asked once after
// every wait of the loop, and a scripted step runs there before the key
// state is answered.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "about/win/about_window.h"
#include "common/settings.h"
#include "gui_support/gui_driver.h"
#include "toolkit/toolkit.h"

namespace tw {
namespace {

namespace tk = toolkit;

constexpr int kMainWindow = 0;
constexpr int kSendButton = 29;
constexpr int kEnterShortcut = 7;

bool RealKeyDown(int virtual_key) { return (GetAsyncKeyState(virtual_key) & 0x8000) != 0; }

void SendKey(WORD virtual_key, bool release) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtual_key;
  input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof(input));
}

void PostTyping(HWND hwnd, const std::wstring& text) {
  for (wchar_t c : text) PostMessageW(hwnd, WM_CHAR, c, 1);
}

HWND AboutControl(int id) { return tk::ControlHandle(kAboutWindow, id); }

Text Lines(std::initializer_list<Text> lines) {
  Text all;
  for (const Text& line : lines) {
    if (!all.empty()) all += u"\r\n";
    all += line;
  }
  return all;
}

class AboutWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tk::Startup();
    tk::SetShellOpenForTesting([this](const Text& address) {
      opened_.push_back(address);
      about_open_at_shell_.push_back(tk::WindowIsOpen(kAboutWindow));
    });
    tk::SetKeyDownForTesting([this](int virtual_key) { return Pass(virtual_key); });
  }

  void TearDown() override {
    tk::SetShellOpenForTesting({});
    tk::SetKeyDownForTesting({});
    if (RealKeyDown(VK_RETURN)) SendKey(VK_RETURN, true);
    tk::Shutdown();
  }

  // One pass of the About loop: the next scripted step acts, then the key
  // state is answered, the real one unless the step decided it. A script
  // that runs out without the window closing is a failure; OK is clicked
  // then so that the test ends.
  bool Pass(int virtual_key) {
    ++passes_;
    scripted_key_.reset();
    if (next_step_ < steps_.size()) {
      steps_[next_step_++]();
    } else if (tk::WindowIsOpen(kAboutWindow)) {
      if (!ran_out_) ADD_FAILURE() << "the About window outlived its script";
      ran_out_ = true;
      testing::Click(AboutControl(kAboutOkButton));
    }
    return scripted_key_.value_or(RealKeyDown(virtual_key));
  }

  void Script(std::vector<std::function<void()>> steps) {
    steps_ = std::move(steps);
    next_step_ = 0;
    passes_ = 0;
    ran_out_ = false;
  }

  // A few passes with nothing done but a check that the window is still
  // there, so that whatever came before has been taken from the queue.
  void AddIdlePasses(std::vector<std::function<void()>>& steps, int count) {
    for (int i = 0; i < count; ++i)
      steps.push_back([] { EXPECT_TRUE(tk::WindowIsOpen(kAboutWindow)) << "closed too early"; });
  }

  // A stand-in for the main window: its Send button and its Enter shortcut.
  void OpenMainStandIn() {
    ASSERT_TRUE(tk::OpenWindow(kMainWindow, u"Tellwave", 768, 580));
    tk::AddShortcut(kMainWindow, VK_RETURN, kEnterShortcut);
    tk::AddField(kMainWindow, 18, {200, 90, 545, 20}, u"");
    tk::AddButton(kMainWindow, kSendButton, {646, 115, 100, 25}, u"Send");
    tk::Focus(kMainWindow, 18);
  }

  // Every event still to come once the About window is gone.
  static std::vector<tk::Event> EventsAfterwards() {
    std::vector<tk::Event> events;
    while (std::optional<tk::Event> event = tk::WaitEvent(0)) events.push_back(*event);
    return events;
  }

  std::vector<Text> opened_;
  std::vector<bool> about_open_at_shell_;
  std::vector<std::function<void()>> steps_;
  size_t next_step_ = 0;
  int passes_ = 0;
  bool ran_out_ = false;
  std::optional<bool> scripted_key_;
};

TEST_F(AboutWindowTest, ShowsItsTitleControlsAndTextInAFixedTitleBarOnlyWindow) {
  Text text_seen;
  HWND about = nullptr;
  Script({[&] {
    about = tk::WindowHandle(kAboutWindow);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(tk::WindowTitle(kAboutWindow), u"About Tellwave");
    const LONG_PTR style = GetWindowLongPtrW(about, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU) << "no system menu and no close box";
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "fixed size";
    EXPECT_EQ(GetWindow(about, GW_OWNER), nullptr);
    EXPECT_TRUE(IsWindowVisible(about));

    RECT client;
    GetClientRect(about, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 150);
    RECT frame;
    GetWindowRect(about, &frame);
    EXPECT_NEAR(frame.left + (frame.right - frame.left) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR(frame.top + (frame.bottom - frame.top) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    struct Expected {
      int id;
      RECT at;
      Text text;
    };
    const Expected controls[] = {{kContactLink, {10, 95, 75, 110}, u"Contact Me"},
                                 {kHomepageLink, {210, 95, 295, 110}, u"My Homepage"},
                                 {kAboutOkButton, {110, 118, 190, 143}, u"OK"},
                                 {kAboutTextBox, {10, 10, 290, 92}, {}}};
    for (const Expected& control : controls) {
      HWND hwnd = AboutControl(control.id);
      ASSERT_NE(hwnd, nullptr) << control.id;
      RECT at;
      GetWindowRect(hwnd, &at);
      MapWindowPoints(nullptr, about, reinterpret_cast<POINT*>(&at), 2);
      EXPECT_EQ(at.left, control.at.left) << control.id;
      EXPECT_EQ(at.top, control.at.top) << control.id;
      EXPECT_EQ(at.right, control.at.right) << control.id;
      EXPECT_EQ(at.bottom, control.at.bottom) << control.id;
      if (!control.text.empty()) {
        EXPECT_EQ(tk::GetText(kAboutWindow, control.id), control.text);
      }
    }
    EXPECT_EQ(GetWindowLongPtrW(AboutControl(kAboutOkButton), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_FALSE(GetWindowLongPtrW(AboutControl(kAboutTextBox), GWL_STYLE) & ES_READONLY);
    text_seen = tk::GetText(kAboutWindow, kAboutTextBox);
    testing::Click(AboutControl(kAboutOkButton));
  }});
  ShowAboutWindow(u"About Tellwave");

  EXPECT_EQ(text_seen, Lines({u"Tellwave", kAuthorName, kContactAddress, u"1.0d - March 16, 2020",
                              Text(u"Original program by ") + kOriginalAuthor, kOriginalCompany}));
  EXPECT_FALSE(tk::WindowIsOpen(kAboutWindow));
  EXPECT_FALSE(IsWindow(about));
  EXPECT_TRUE(opened_.empty());
}

TEST_F(AboutWindowTest, LinksHandTheirAddressesToTheShellAndLeaveTheWindowOpen) {
  std::vector<std::function<void()>> steps = {
      [] { testing::Click(AboutControl(kContactLink)); },
      [] { testing::Click(AboutControl(kContactLink)); },
      [] { testing::Click(AboutControl(kHomepageLink)); },
  };
  AddIdlePasses(steps, 5);
  steps.push_back([&] {
    EXPECT_EQ(opened_.size(), 3u);
    testing::Click(AboutControl(kAboutOkButton));
  });
  Script(steps);
  ShowAboutWindow(u"About Tellwave");

  const Text mail = Text(u"mailto:") + kContactAddress + u"?subject=Tellwave";
  EXPECT_EQ(opened_, (std::vector<Text>{mail, mail, kHomepageAddress}));
  EXPECT_EQ(about_open_at_shell_, (std::vector<bool>{true, true, true}));
  EXPECT_FALSE(ran_out_);
  EXPECT_FALSE(tk::WindowIsOpen(kAboutWindow));
}

// Enter ends the window whichever control has the focus, even the text box
// that takes Enter as a new line, and a quick tap of the key is enough.
TEST_F(AboutWindowTest, EnterClosesItWhereverTheFocusIs) {
  for (int focus : {kAboutTextBox, kAboutOkButton}) {
    SCOPED_TRACE(focus);
    Text typed;
    Script({
        [&] {
          if (focus == kAboutTextBox) {
            testing::Click(AboutControl(kAboutTextBox));
            PostTyping(AboutControl(kAboutTextBox), L"typed");
          } else {
            tk::Focus(kAboutWindow, kAboutOkButton);
          }
        },
        [&] {
          EXPECT_EQ(GetFocus(), AboutControl(focus));
          typed = tk::GetText(kAboutWindow, kAboutTextBox);
          SendKey(VK_RETURN, false);
          SendKey(VK_RETURN, true);
        },
    });
    ShowAboutWindow(u"About Tellwave");

    EXPECT_FALSE(ran_out_);
    EXPECT_FALSE(tk::WindowIsOpen(kAboutWindow));
    if (focus == kAboutTextBox) {
      EXPECT_NE(typed.find(u"typed"), Text::npos);
    }
    EXPECT_TRUE(opened_.empty());
    EXPECT_TRUE(EventsAfterwards().empty());
  }
}

// The key's down state alone ends it too, whether or not a key message
// comes with it.
TEST_F(AboutWindowTest, TheEnterKeysDownStateClosesIt) {
  std::vector<std::function<void()>> steps;
  AddIdlePasses(steps, 3);
  steps.push_back([this] { scripted_key_ = true; });
  Script(steps);
  ShowAboutWindow(u"About Tellwave");

  EXPECT_FALSE(ran_out_);
  EXPECT_EQ(passes_, 4);
  EXPECT_FALSE(tk::WindowIsOpen(kAboutWindow));
}

// Choosing "About" from the menu with the keyboard: the Enter that chose it
// is still down when the window opens, and held long enough it repeats.
TEST_F(AboutWindowTest, EnterAlreadyDownWhenItOpensDoesNotCloseItUntilPressedAgain) {
  std::vector<bool> open_while_held;
  std::vector<std::function<void()>> steps;
  for (int i = 0; i < 4; ++i)
    steps.push_back([&, i] {
      open_while_held.push_back(tk::WindowIsOpen(kAboutWindow));
      if (i == 1) SendKey(VK_RETURN, false);
      scripted_key_ = true;
    });
  steps.push_back([&] {
    SendKey(VK_RETURN, true);
    scripted_key_ = false;
  });
  steps.push_back([&] {
    EXPECT_TRUE(tk::WindowIsOpen(kAboutWindow));
    scripted_key_ = true;
  });
  Script(steps);
  ShowAboutWindow(u"About Tellwave");

  EXPECT_EQ(open_while_held, (std::vector<bool>(4, true)));
  EXPECT_EQ(passes_, 6);
  EXPECT_FALSE(ran_out_);
  EXPECT_FALSE(tk::WindowIsOpen(kAboutWindow));
}

TEST_F(AboutWindowTest, IgnoresCloseRequestsAndEndsOnlyWithOkOrEnter) {
  std::vector<std::function<void()>> steps = {
      [] { PostMessageW(tk::WindowHandle(kAboutWindow), WM_CLOSE, 0, 0); },
      [] { PostMessageW(tk::WindowHandle(kAboutWindow), WM_SYSCOMMAND, SC_CLOSE, 0); },
      [] { PostMessageW(AboutControl(kAboutTextBox), WM_KEYDOWN, VK_ESCAPE, 1); },
  };
  AddIdlePasses(steps, 5);
  steps.push_back([] { testing::Click(AboutControl(kAboutOkButton)); });
  Script(steps);
  ShowAboutWindow(u"About Tellwave");

  EXPECT_FALSE(ran_out_);
  // Nothing but OK ended it: the loop stopped on the pass after OK's click.
  EXPECT_EQ(passes_, static_cast<int>(steps_.size()));
  EXPECT_FALSE(tk::WindowIsOpen(kAboutWindow));
}

TEST_F(AboutWindowTest, TextTypedIntoTheBoxIsGoneTheNextTime) {
  Text typed;
  std::vector<std::function<void()>> steps = {
      [] { testing::Click(AboutControl(kAboutTextBox)); },
      [] { PostTyping(AboutControl(kAboutTextBox), L"scribble"); },
      [&] {
        typed = tk::GetText(kAboutWindow, kAboutTextBox);
        testing::Click(AboutControl(kAboutOkButton));
      },
  };
  Script(steps);
  ShowAboutWindow(u"About Tellwave");
  EXPECT_NE(typed.find(u"scribble"), Text::npos) << "the box takes typing";

  Text second;
  Script({[&] {
    second = tk::GetText(kAboutWindow, kAboutTextBox);
    testing::Click(AboutControl(kAboutOkButton));
  }});
  ShowAboutWindow(u"About Tellwave");
  EXPECT_EQ(second, AboutText());
  EXPECT_EQ(second.find(u"scribble"), Text::npos);
}

// The click on Send is a real event of the main window's when the About
// window is not open; while it is, the click is lost, also afterwards.
TEST_F(AboutWindowTest, SwallowsTheMainWindowsEventsWhileOpen) {
  OpenMainStandIn();
  HWND send = tk::ControlHandle(kMainWindow, kSendButton);
  ASSERT_NE(send, nullptr);
  testing::Click(send);
  const std::vector<tk::Event> before = EventsAfterwards();
  ASSERT_EQ(before.size(), 1u);
  EXPECT_EQ(before[0], (tk::Event{tk::EventKind::kControl, kMainWindow, kSendButton, tk::ControlEventType::kClick}));

  std::vector<std::function<void()>> steps = {
      [&] { testing::Click(send); },
      [] { PostMessageW(tk::WindowHandle(kMainWindow), WM_CLOSE, 0, 0); },
  };
  AddIdlePasses(steps, 3);
  // A click still on its way when OK is pressed is lost as well.
  steps.push_back([&] {
    testing::Click(AboutControl(kAboutOkButton));
    testing::Click(send);
  });
  Script(steps);
  ShowAboutWindow(u"About Tellwave");

  EXPECT_FALSE(ran_out_);
  EXPECT_TRUE(tk::WindowIsOpen(kMainWindow));
  EXPECT_TRUE(EventsAfterwards().empty());
}

// Enter pressed just as the loop reads the key: the window closes on the
// key's down state while the key's message is still queued. That message
// must not reach the main window's Enter shortcut, which would send a page.
TEST_F(AboutWindowTest, TheEnterThatClosesItDoesNotActInTheMainWindow) {
  OpenMainStandIn();
  // Unswallowed, the key is the main window's shortcut.
  SendKey(VK_RETURN, false);
  SendKey(VK_RETURN, true);
  const std::vector<tk::Event> before = EventsAfterwards();
  ASSERT_EQ(before.size(), 1u);
  EXPECT_EQ(before[0], (tk::Event{tk::EventKind::kMenu, kMainWindow, kEnterShortcut}));

  std::vector<std::function<void()>> steps;
  AddIdlePasses(steps, 2);
  steps.push_back([this] {
    SendKey(VK_RETURN, false);
    scripted_key_ = true;
  });
  Script(steps);
  ShowAboutWindow(u"About Tellwave");
  SendKey(VK_RETURN, true);

  EXPECT_FALSE(ran_out_);
  EXPECT_EQ(passes_, 3);
  EXPECT_FALSE(tk::WindowIsOpen(kAboutWindow));
  EXPECT_TRUE(EventsAfterwards().empty());
}

}  // namespace
}  // namespace tw
