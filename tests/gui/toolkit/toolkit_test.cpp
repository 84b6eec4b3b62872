// The toolkit's promises to every window of the program, on real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "../../../resources/resource_ids.h"
#include "gui_support/gui_driver.h"
#include "support/temp_folder.h"
#include "toolkit/list_view.h"
#include "toolkit/toolkit.h"

namespace tw::toolkit {
namespace {

using testing::Answerer;
using testing::Narrow;

constexpr int kWindow = 5;
constexpr int kField = 10;
constexpr int kButton = 11;
constexpr int kLink = 12;
constexpr int kPicture = 13;
constexpr int kList = 14;

class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Startup();
    ASSERT_TRUE(OpenWindow(kWindow, u"Toolkit", 400, 300));
    AddField(kWindow, kField, {10, 10, 200, 20}, u"", {.max_length = 5});
    AddButton(kWindow, kButton, {10, 40, 80, 25}, u"Press");
    AddClickableLabel(kWindow, kLink, {10, 70, 80, 20}, u"Link");
    AddPicture(kWindow, kPicture, {100, 40, 48, 52}, IDP_ADD_ARROW);
    CreateListView(WindowHandle(kWindow), kList, 200, 40, 180, 200, {{u"Name", 150}}, {});
    while (WaitEvent(5)) {
    }
  }
  void TearDown() override { Shutdown(); }

  // Everything the window has queued after its messages were handled.
  static std::vector<Event> Drain() {
    std::vector<Event> events;
    for (int i = 0; i < 20; ++i)
      while (auto event = WaitEvent(1)) events.push_back(*event);
    return events;
  }
};

TEST_F(ToolkitTest, OnlyTheUsersActionsQueueEvents) {
  SetText(kWindow, kField, u"abc");
  ListViewRows(ControlHandle(kWindow, kList)).AppendRow({u"row"});
  ListViewRows(ControlHandle(kWindow, kList)).SetSelected(0, true);
  EXPECT_TRUE(Drain().empty());

  testing::Type(ControlHandle(kWindow, kField), u"d");
  ASSERT_TRUE(testing::Click(ControlHandle(kWindow, kButton)));
  ASSERT_TRUE(testing::Click(ControlHandle(kWindow, kLink)));
  ASSERT_TRUE(testing::DoubleClickAt(ControlHandle(kWindow, kList), testing::BelowLastRow(ControlHandle(kWindow, kList))));
  ASSERT_TRUE(testing::RightClickAt(ControlHandle(kWindow, kList), testing::BelowLastRow(ControlHandle(kWindow, kList))));
  PostMessageW(WindowHandle(kWindow), WM_SYSCOMMAND, SC_CLOSE, 0);
  const std::vector<Event> expected = {
      {EventKind::kControl, kWindow, kField, ControlEventType::kChanged},
      {EventKind::kControl, kWindow, kButton, ControlEventType::kClick},
      {EventKind::kControl, kWindow, kLink, ControlEventType::kClick},
      {EventKind::kControl, kWindow, kList, ControlEventType::kDoubleClick},
      {EventKind::kControl, kWindow, kList, ControlEventType::kRightClick},
      {EventKind::kClose, kWindow, 0},
  };
  const std::vector<Event> events = Drain();
  // A list may report the single clicks of a double click; only the kinds
  // the program acts on are compared.
  std::vector<Event> acted_on;
  for (const Event& e : events)
    if (e.kind != EventKind::kControl || e.type != ControlEventType::kClick || e.id != kList) acted_on.push_back(e);
  EXPECT_EQ(acted_on, expected);
  EXPECT_TRUE(WindowIsOpen(kWindow)) << "a close request leaves the decision to the program";
  // Setting a text leaves the caret at its start.
  EXPECT_EQ(GetText(kWindow, kField), u"dabc");
}

TEST_F(ToolkitTest, AnEventIdenticalToTheLastWaitingOneIsNotQueuedAgain) {
  ASSERT_TRUE(testing::Click(ControlHandle(kWindow, kButton)));
  ASSERT_TRUE(testing::Click(ControlHandle(kWindow, kButton)));
  ASSERT_TRUE(testing::Click(ControlHandle(kWindow, kLink)));
  ASSERT_TRUE(testing::Click(ControlHandle(kWindow, kButton)));
  // All four clicks are handled by one wait, so all wait in the queue at once.
  Sleep(50);
  std::vector<int> ids;
  for (auto event = WaitEvent(1); event; event = WaitEvent(0)) ids.push_back(event->id);
  EXPECT_EQ(ids, (std::vector<int>{kButton, kLink, kButton}));
}

TEST_F(ToolkitTest, BusyTimeDropsTheUsersInputButNotTheWindowsOwnWork) {
  ASSERT_TRUE(testing::Click(ControlHandle(kWindow, kButton)));
  testing::Type(ControlHandle(kWindow, kField), u"xy");
  SetText(kWindow, kField, u"");
  KeepResponsive();
  EXPECT_TRUE(Drain().empty());
  EXPECT_EQ(GetText(kWindow, kField), u"");
  // A sent message is still answered.
  EXPECT_EQ(SendMessageW(ControlHandle(kWindow, kField), WM_GETTEXTLENGTH, 0, 0), 0);
}

TEST_F(ToolkitTest, ReopeningANumberReplacesTheWindowAndDropsItsEvents) {
  HWND old = WindowHandle(kWindow);
  ASSERT_TRUE(testing::Click(ControlHandle(kWindow, kButton)));
  WaitEvent(0);  // handles the click; the event waits in the queue
  ASSERT_TRUE(OpenWindow(kWindow, u"Second", 200, 100));
  EXPECT_FALSE(IsWindow(old));
  EXPECT_NE(WindowHandle(kWindow), old);
  EXPECT_EQ(Narrow(WindowTitle(kWindow)), "Second");
  EXPECT_TRUE(Drain().empty());
  RECT client;
  GetClientRect(WindowHandle(kWindow), &client);
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 100);
}

TEST_F(ToolkitTest, PicturesAreDecodedAtTheirSizeOverTheWindowBackground) {
  auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(ControlHandle(kWindow, kPicture), STM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_NE(bitmap, nullptr);
  BITMAP info = {};
  ASSERT_TRUE(GetObjectW(bitmap, sizeof(info), &info));
  EXPECT_EQ(info.bmWidth, 48);
  EXPECT_EQ(info.bmHeight, 52);
  // The arrow's transparent corner shows the window's background colour.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const COLORREF corner = GetPixel(dc, 0, 0);
  const COLORREF middle = GetPixel(dc, 24, 26);
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_EQ(corner, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(middle, RGB(0, 0, 0));
}

TEST_F(ToolkitTest, FieldsRefuseTextBeyondTheirLimit) {
  testing::Type(ControlHandle(kWindow, kField), u"1234567");
  Drain();
  EXPECT_EQ(GetText(kWindow, kField), u"12345");
}

TEST_F(ToolkitTest, PromptReturnsTheTextOnlyWhenConfirmed) {
  struct Case {
    const char* name;
    Answerer::Answer answer;
    const char16_t* result;
  };
  const Case cases[] = {
      {"OK", testing::TypeAndOk(u"alpha"), u"alpha"},
      {"Enter", testing::TypeAndEnter(u"beta"), u"beta"},
      {"Escape", testing::Escape(), u""},
      {"close box", testing::TypeAndClose(u"gamma"), u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Answerer answers({c.answer});
    const Text result = Boxes().Prompt(u"Title", u"Say something", u"", false);
    ASSERT_TRUE(answers.WaitDone());
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(Narrow(answers.Seen()[0].title), "Title");
    EXPECT_EQ(Narrow(answers.Seen()[0].text), "Say something");
    EXPECT_TRUE(IsWindowEnabled(WindowHandle(kWindow))) << "the owner comes back after the prompt";
  }
}

TEST_F(ToolkitTest, PasswordPromptMasksTyping) {
  LONG_PTR field_style = 0;
  std::thread look([&] {
    for (int i = 0; i < 500 && field_style == 0; ++i) {
      Sleep(20);
      if (HWND prompt = FindWindowW(kPromptClass, nullptr))
        field_style = GetWindowLongPtrW(GetDlgItem(prompt, kPromptFieldId), GWL_STYLE);
    }
  });
  Answerer answers({testing::TypeAndOk(u"secret")});
  EXPECT_EQ(Boxes().Prompt(u"Password Required", u"Password?", u"", true), u"secret");
  look.join();
  EXPECT_TRUE(field_style & ES_PASSWORD);
}

TEST_F(ToolkitTest, BoxesReportTheButtonPressed) {
  const std::pair<int, BoxAnswer> cases[] = {
      {IDYES, BoxAnswer::kYes}, {IDNO, BoxAnswer::kNo}, {IDCANCEL, BoxAnswer::kCancel}};
  for (const auto& [button, expected] : cases) {
    Answerer answers({testing::Press(button)});
    EXPECT_EQ(Boxes().ShowBox(u"File Exists", u"Overwrite Existing File?", BoxIcon::kQuestion,
                              BoxButtons::kYesNoCancel),
              expected);
    ASSERT_TRUE(answers.WaitDone());
    EXPECT_EQ(Narrow(answers.Seen()[0].title), "File Exists");
    EXPECT_EQ(Narrow(answers.Seen()[0].text), "Overwrite Existing File?");
  }
}

TEST_F(ToolkitTest, ClickableLabelsChangeColourUnderThePointerAndShowAHand) {
  constexpr int kBlueLink = 20;
  AddClickableLabel(kWindow, kBlueLink, {10, 100, 80, 20}, u"Blue", {RGB(0, 0, 255), RGB(255, 0, 0)});
  HWND label = ControlHandle(kWindow, kBlueLink);
  auto colour = [&] {
    HDC dc = GetDC(label);
    SendMessageW(WindowHandle(kWindow), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(label));
    const COLORREF text = GetTextColor(dc);
    ReleaseDC(label, dc);
    return text;
  };
  EXPECT_EQ(colour(), RGB(0, 0, 255));
  PostMessageW(label, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  Drain();
  EXPECT_EQ(colour(), RGB(255, 0, 0));
  SendMessageW(label, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(colour(), RGB(0, 0, 255));

  SendMessageW(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND

  // The click comes with the release, not the press.
  PostMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(Drain().empty());
  PostMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(Drain(), (std::vector<Event>{{EventKind::kControl, kWindow, kBlueLink, ControlEventType::kClick}}));
}

TEST_F(ToolkitTest, ShellOpenAndKeyStateHaveSeamsForTests) {
  std::vector<Text> opened;
  SetShellOpenForTesting([&](const Text& address) { opened.push_back(address); });
  ShellOpen(u"mailto:someone@example.org");
  SetShellOpenForTesting({});
  EXPECT_EQ(opened, std::vector<Text>{u"mailto:someone@example.org"});

  SetKeyDownForTesting([](int key) { return key == VK_RETURN; });
  EXPECT_TRUE(KeyDown(VK_RETURN));
  EXPECT_FALSE(KeyDown(VK_ESCAPE));
  SetKeyDownForTesting({});
}

}  // namespace
}  // namespace tw::toolkit
