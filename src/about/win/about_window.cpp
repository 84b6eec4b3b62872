#include "about/win/about_window.h"

#include <windows.h>

#include "common/settings.h"
#include "toolkit/toolkit.h"

namespace tw {

namespace {

constexpr int kAboutWidth = 300;
constexpr int kAboutHeight = 150;
constexpr COLORREF kLinkBlue = RGB(0, 0, 255);
// The Enter key as the window's shortcut: a press too short to be seen down
// between two waits still arrives this way.
constexpr int kEnterShortcut = 1;

void AddAboutControls() {
  toolkit::AddRichText(kAboutWindow, kAboutTextBox, {10, 10, 280, 82}, AboutText());
  const toolkit::LinkColours blue{kLinkBlue, kLinkBlue};
  toolkit::AddClickableLabel(kAboutWindow, kContactLink, {10, 95, 65, 15}, u"Contact Me", blue);
  toolkit::AddClickableLabel(kAboutWindow, kHomepageLink, {210, 95, 85, 15}, u"My Homepage", blue);
  toolkit::AddButton(kAboutWindow, kAboutOkButton, {110, 118, 80, 25}, u"OK", true);
  toolkit::AddShortcut(kAboutWindow, VK_RETURN, kEnterShortcut);
}

bool IsEnterShortcut(const toolkit::Event& event) {
  return event.kind == toolkit::EventKind::kMenu && event.window == kAboutWindow && event.id == kEnterShortcut;
}

// True when the event ends the window; the links act and leave it open.
bool HandleAboutEvent(const toolkit::Event& event) {
  if (event.kind != toolkit::EventKind::kControl || event.window != kAboutWindow) return false;
  switch (event.id) {
    case kAboutOkButton:
      return true;
    case kContactLink:
      toolkit::ShellOpen(ContactAddressToOpen());
      return false;
    case kHomepageLink:
      toolkit::ShellOpen(HomepageAddressToOpen());
      return false;
    default:
      return false;
  }
}

}  // namespace

Text AboutText() {
  return Text(u"Tellwave") + u"\r\n" + kAuthorName + u"\r\n" + kContactAddress + u"\r\n" + kAppVersion +
         u"\r\n" + u"Original program by " + kOriginalAuthor + u"\r\n" + kOriginalCompany;
}

Text ContactAddressToOpen() { return Text(u"mailto:") + kContactAddress + u"?subject=Tellwave"; }

Text HomepageAddressToOpen() { return kHomepageAddress; }

void ShowAboutWindow(const Text& title) {
  toolkit::WindowOptions title_bar_only;
  title_bar_only.system_menu = false;
  title_bar_only.minimise_box = false;
  if (!toolkit::OpenWindow(kAboutWindow, title, kAboutWidth, kAboutHeight, title_bar_only)) return;
  AddAboutControls();

  // An Enter that is already down when the window opens belongs to whatever
  // opened it (choosing "About" from the menu with the keyboard), and so do
  // its repeats; only a press that starts after a release closes the window.
  bool enter_released = false;
  for (;;) {
    const std::optional<toolkit::Event> event = toolkit::WaitEvent(1);
    if (event && IsEnterShortcut(*event)) {
      if (enter_released) break;
    } else if (event && HandleAboutEvent(*event)) {
      break;
    }
    const bool enter_down = toolkit::KeyDown(VK_RETURN);
    if (enter_down && enter_released) break;
    if (!enter_down) enter_released = true;
  }

  toolkit::CloseWindow(kAboutWindow);
  // Input that reached the queue before the window went, the keystroke that
  // closed it among them, would otherwise act in the main window now: the
  // Enter would send a page there.
  while (toolkit::WaitEvent(0)) {
  }
}

}  // namespace tw
