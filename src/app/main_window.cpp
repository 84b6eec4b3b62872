// Building MainWindow.
#include "app/main_window.h"

#include "resource_ids.h"
#include "app/app_state.h"
#include "app/main_window_ids.h"
#include "app/startup.h"
#include "common/data_locations.h"
#include "common/settings.h"
#include "directory/directory_file.h"
#include "selection/picker.h"
#include "selection/saved_lists.h"

namespace tw {

using toolkit::Rect;

namespace {

ListViewRows Rows(int id) { return ListViewRows(toolkit::ControlHandle(kMainWindow, id)); }

void AddPickerList(int id, Rect at, const Text& name_title) {
  ListViewOptions options;
  options.multiple_selection = true;
  options.whole_row_select = true;
  options.show_selection_always = true;
  CreateListView(toolkit::WindowHandle(kMainWindow), id, at.x, at.y, at.width, at.height,
                 {{name_title, kNameWidthNamesOnly}, {u"Pager ID", kPagerIdWidthNamesOnly}}, options);
}

void AddSavedListsList(Rect at) {
  ListViewOptions options;
  options.whole_row_select = true;
  CreateListView(toolkit::WindowHandle(kMainWindow), kSavedListsList, at.x, at.y, at.width, at.height,
                 {{u"Available Lists (Right click to remove):", 299}}, options);
}

void BuildMenus() {
  toolkit::SetMenuBar(kMainWindow, {
                                       {u"File", {{kEditPagerListItem, u"Edit Pager List"}, {kExitItem, u"Exit"}}},
                                       {u"Options",
                                        {{kShowPagerIdsItem, u"Show Pager ID's"},
                                         {kUpdatePagerListItem, u"Update Pager List"}}},
                                       {u"?", {{kAboutItem, u"About"}}},
                                   });
  toolkit::AddShortcut(kMainWindow, VK_RETURN, kEnterShortcutItem);
}

void BuildControls() {
  using namespace toolkit;
  AddPicture(kMainWindow, kLogoImage, {0, 0, 190, 134}, kNetworkMode ? IDP_NETWORK_LOGO : IDP_LOCAL_LOGO);
  AddFrame(kMainWindow, kMessageInfoFrame, {190, 5, 565, 140}, u"Message Information");
  AddClickableLabel(kMainWindow, kFromLabel, {200, 20, 40, 20}, u"From:");
  AddTooltip(kMainWindow, kFromLabel, u"Click to clear the From field");
  AddField(kMainWindow, kFromField, {200, 40, 220, 20}, {});
  AddClickableLabel(kMainWindow, kMessageLabel, {200, 70, 200, 20}, MessageCounterText(CharactersLeft()));
  AddTooltip(kMainWindow, kMessageLabel, u"Click to clear the message");
  AddField(kMainWindow, kMessageField, {200, 90, 545, 20}, {}, {.max_length = kMessageLimit});
  AddFrame(kMainWindow, kSelectPagersFrame, {10, 150, 745, 400}, u"Select Pagers");
  AddPickerList(kAvailableList, {15, 185, 320, 200}, u"Available Pagers:");
  AddPictureButton(kMainWindow, kAddButton, {350, 200, 64, 64}, IDP_ADD_ARROW);
  AddPictureButton(kMainWindow, kRemoveButton, {350, 310, 64, 64}, IDP_REMOVE_ARROW);
  AddPickerList(kSendToList, {430, 185, 320, 200}, u"Send To:         ");
  AddLabel(kMainWindow, kSearchLabel, {15, 390, 270, 20}, kSearchLabelNamesOnly);
  AddField(kMainWindow, kSearchField, {15, 410, 320, 30}, {});
  AddSavedListsList({430, 440, 320, 100});
  AddButton(kMainWindow, kClearPagersButton, {430, 400, 100, 30}, u"Clear Pagers");
  AddButton(kMainWindow, kSaveToListButton, {650, 400, 100, 30}, u"Save to List");
  AddButton(kMainWindow, kSendButton, {646, 115, 100, 25}, u"Send");
  AddButton(kMainWindow, kExitButton, {15, 500, 100, 30}, u"Exit");
}

}  // namespace

ListViewRows AvailableRows() { return Rows(kAvailableList); }
ListViewRows SendToRows() { return Rows(kSendToList); }
ListViewRows SavedListsRows() { return Rows(kSavedListsList); }

Text MessageCounterText(int characters_left) {
  return u"Message:(" + NumberText(characters_left) + u" Characters Left)";
}

bool OpenMainWindow(int /*x*/, int /*y*/, int width, int height) {
  // Always centred: the position arguments only keep the callers' shape.
  if (!toolkit::OpenWindow(kMainWindow, u"Tellwave", width, height)) return false;
  BuildMenus();
  BuildControls();
  toolkit::Focus(kMainWindow, kMessageField);
  toolkit::CreatePopupMenu(kListPopupMenu, {{kRemoveListItem, u""}});
  ResetShowPagerIds();

  if (HFONT arial = toolkit::LoadFont(u"Arial", 15)) {
    for (int id : {kAvailableList, kSendToList, kSearchField}) toolkit::SetFont(kMainWindow, id, arial);
  }

  ListViewRows available = AvailableRows();
  RedrawSuspended quiet(available);
  LoadRecipientLines(available, DirectoryPath());
  return true;
}

void RebuildMainWindow() {
  if (!OpenMainWindow(kMainWindowX, kMainWindowY, kMainWindowWidth, kMainWindowHeight)) return;
  ListViewRows saved = SavedListsRows();
  RefreshSavedLists(saved);
}

}  // namespace tw
