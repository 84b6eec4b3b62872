#pragma once
// The numbers of the main window, its menus and its controls. Menu events
// and control events carry these numbers, and the loops dispatch on them.
namespace tw {

inline constexpr int kMainWindow = 0;

// Menus and menu items.
inline constexpr int kMainMenuBar = 1;
inline constexpr int kEditPagerListItem = 2;
inline constexpr int kExitItem = 3;
inline constexpr int kShowPagerIdsItem = 4;
inline constexpr int kUpdatePagerListItem = 5;
inline constexpr int kAboutItem = 6;
inline constexpr int kEnterShortcutItem = 7;  // the Return key, anywhere in the window
inline constexpr int kListPopupMenu = 8;
inline constexpr int kRemoveListItem = 9;

// Controls, in the order they are created (also the Tab order).
inline constexpr int kLogoImage = 10;
inline constexpr int kMessageInfoFrame = 14;
inline constexpr int kFromLabel = 15;
inline constexpr int kFromField = 16;
inline constexpr int kMessageLabel = 17;
inline constexpr int kMessageField = 18;
inline constexpr int kSelectPagersFrame = 19;
inline constexpr int kAvailableList = 20;
inline constexpr int kAddButton = 23;
inline constexpr int kRemoveButton = 24;
inline constexpr int kSendToList = 25;
inline constexpr int kSearchLabel = 21;
inline constexpr int kSearchField = 22;
inline constexpr int kSavedListsList = 26;
inline constexpr int kClearPagersButton = 27;
inline constexpr int kSaveToListButton = 28;
inline constexpr int kSendButton = 29;
inline constexpr int kExitButton = 30;

// Where startup and the directory editor build the main window.
inline constexpr int kMainWindowX = 0;
inline constexpr int kMainWindowY = 0;
inline constexpr int kMainWindowWidth = 768;
inline constexpr int kMainWindowHeight = 580;

}  // namespace tw
