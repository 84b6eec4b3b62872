// In-place cell editing on a real list view in a real window, driven by the
// messages a user's double clicks, typing and focus moves produce.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "directory/win/cell_edit.h"

namespace tw {
namespace {

constexpr wchar_t kWindowClass[] = L"TwCellEditTestWindow";

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void RegisterTestClass() {
  static bool registered = false;
  if (registered) return;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kWindowClass;
  RegisterClassW(&window_class);
  registered = true;
}

HWND CreateTestWindow() {
  RegisterTestClass();
  HWND window = CreateWindowExW(0, kWindowClass, L"Cell editing", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 0, 0,
                                800, 620, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetForegroundWindow(window);
  return window;
}

// A grid shaped like the directory editor's: hidden column 0, then Last
// Name, First Name and Pager ID.
HWND CreateGrid(HWND parent, int width, DWORD extra_style = 0, std::vector<int> widths = {0, 242, 242, 243}) {
  HWND grid = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                  LVS_SHAREIMAGELISTS | extra_style,
                              10, 10, width, 515, parent, reinterpret_cast<HMENU>(20), GetModuleHandleW(nullptr),
                              nullptr);
  SendMessageW(grid, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_GRIDLINES);
  const wchar_t* titles[] = {L"", L"Last Name", L"First Name", L"Pager ID:"};
  for (int c = 0; c < 4; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(titles[c]);
    column.cx = widths[c];
    SendMessageW(grid, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
  }
  const std::vector<std::vector<std::wstring>> rows = {
      {L"", L"Doe", L"John", L"555"}, {L"", L"#Smith", L"Al", L"12"}, {L"", L"Zed", L"Zoe", L"9"}};
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = r;
    item.pszText = const_cast<wchar_t*>(rows[r][0].c_str());
    SendMessageW(grid, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (int c = 1; c < 4; ++c) {
      LVITEMW sub{};
      sub.iSubItem = c;
      sub.pszText = const_cast<wchar_t*>(rows[r][c].c_str());
      SendMessageW(grid, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&sub));
    }
  }
  return grid;
}

std::wstring Cell(HWND grid, int row, int column) {
  wchar_t buffer[256] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 256;
  SendMessageW(grid, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return buffer;
}

RECT CellRect(HWND grid, int row, int column) {
  RECT rect{};
  rect.top = column;
  rect.left = LVIR_BOUNDS;
  SendMessageW(grid, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
  return rect;
}

POINT CellPoint(HWND grid, int row, int column) {
  RECT rect = CellRect(grid, row, column);
  return {rect.left + 20, (rect.top + rect.bottom) / 2};
}

void DoubleClick(HWND grid, POINT at) {
  LPARAM where = MAKELPARAM(at.x, at.y);
  SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, where);
  SendMessageW(grid, WM_LBUTTONUP, 0, where);
  SendMessageW(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
  SendMessageW(grid, WM_LBUTTONUP, 0, where);
  Pump();
}

HWND EditBox(HWND grid) { return reinterpret_cast<HWND>(SendMessageW(grid, LVM_GETEDITCONTROL, 0, 0)); }

// The box's first paint finishes its set-up, as on screen.
HWND OpenedBox(HWND grid) {
  HWND box = EditBox(grid);
  if (box) {
    UpdateWindow(box);
    Pump();
  }
  return box;
}

RECT BoxRectInGrid(HWND grid, HWND box) {
  RECT rect{};
  GetWindowRect(box, &rect);
  MapWindowPoints(nullptr, grid, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::wstring BoxText(HWND box) {
  wchar_t buffer[256] = {};
  GetWindowTextW(box, buffer, 256);
  return buffer;
}

void Type(HWND box, const std::wstring& text) {
  for (wchar_t c : text) SendMessageW(box, WM_CHAR, c, 1);
}

// A key as the keyboard delivers it: key down, then the character that
// TranslateMessage makes of it, then key up.
void PressKey(HWND box, UINT key) {
  PostMessageW(box, WM_KEYDOWN, key, 1);
  Pump();
  if (IsWindow(box)) PostMessageW(box, WM_KEYUP, key, 0xC0000001);
  Pump();
}

void ClearBox(HWND box) {
  SendMessageW(box, EM_SETSEL, 0, -1);
  Type(box, L"\b");
}

bool EditLabelsOn(HWND grid) { return (GetWindowLongPtrW(grid, GWL_STYLE) & LVS_EDITLABELS) != 0; }

std::vector<int> ColumnOrder(HWND grid) {
  std::vector<int> order(4);
  SendMessageW(grid, LVM_GETCOLUMNORDERARRAY, 4, reinterpret_cast<LPARAM>(order.data()));
  return order;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& r) {
  char text[64];
  snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
  return text;
}

// The parameter chooses the system: true places the box the newer way.
class CellEditTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    SetNewSystemForTesting(GetParam());
    window_ = CreateTestWindow();
    grid_ = CreateGrid(window_, 748);
    button_ = CreateWindowExW(0, L"BUTTON", L"Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 670, 545, 80, 25,
                              window_, reinterpret_cast<HMENU>(30), GetModuleHandleW(nullptr), nullptr);
    ASSERT_EQ(EnableCellEditing(grid_), 1);
    SetFocus(grid_);
    Pump();
  }
  void TearDown() override {
    DestroyWindow(window_);
    Pump();
  }

  // Where the box must stand for a cell on this system.
  RECT ExpectedBox(int row, int column) const {
    RECT cell = CellRect(grid_, row, column);
    int width = static_cast<int>(SendMessageW(grid_, LVM_GETCOLUMNWIDTH, column, 0));
    if (GetParam()) return {cell.left, cell.top, cell.left + width, cell.bottom};
    return {cell.left, cell.top - 2, cell.left + width, cell.bottom + 1};
  }

  HWND window_ = nullptr;
  HWND grid_ = nullptr;
  HWND button_ = nullptr;
};

TEST_P(CellEditTest, DoubleClickOpensTheBoxOverExactlyThatCell) {
  struct Case {
    int row, column;
    std::wstring text;
    std::wstring typed;
    std::wstring after_typing;
  };
  const Case cases[] = {{0, 1, L"Doe", L"xyz", L"Doexyz"}, {1, 2, L"Al", L"an", L"Alan"}, {2, 3, L"9", L"87", L"987"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    DoubleClick(grid_, CellPoint(grid_, c.row, c.column));
    HWND box = OpenedBox(grid_);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IsWindowVisible(box));
    RECT expected = ExpectedBox(c.row, c.column);
    EXPECT_PRED2(SameRect, BoxRectInGrid(grid_, box), expected)
        << Describe(BoxRectInGrid(grid_, box)) << " expected " << Describe(expected);
    EXPECT_EQ(BoxText(box), c.text);
    EXPECT_EQ(Cell(grid_, c.row, c.column), L"") << "the cell must be blank behind the box";

    DWORD start = 0, end = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, end) << "no text may be selected";
    LRESULT margins = SendMessageW(box, EM_GETMARGINS, 0, 0);
    EXPECT_EQ(LOWORD(margins), 4);
    EXPECT_EQ(HIWORD(margins), 0);
    EXPECT_TRUE(EditLabelsOn(grid_));
    if (GetParam()) {
      std::vector<int> order = ColumnOrder(grid_);
      auto edited = std::find(order.begin(), order.end(), c.column);
      ASSERT_NE(edited, order.begin());
      EXPECT_EQ(*(edited - 1), 0) << "column 0 must stand just left of the edited column";
    }

    // Typing adds to the text and the list view's resizing of the box
    // while text is typed does not move it off the cell.
    Type(box, c.typed);
    Pump();
    EXPECT_EQ(BoxText(box), c.after_typing);
    EXPECT_PRED2(SameRect, BoxRectInGrid(grid_, box), expected)
        << Describe(BoxRectInGrid(grid_, box)) << " expected " << Describe(expected);

    PressKey(box, VK_ESCAPE);
    EXPECT_EQ(EditBox(grid_), nullptr);
    EXPECT_EQ(Cell(grid_, c.row, c.column), c.text);
    EXPECT_FALSE(EditLabelsOn(grid_));
    EXPECT_EQ(ColumnOrder(grid_), (std::vector<int>{0, 1, 2, 3}));
  }
}

TEST_P(CellEditTest, TheEndOfTheEditDecidesTheCellText) {
  enum class Ending { kEscape, kEnter, kClickOnOtherRow, kFocusToButton };
  struct Case {
    const char* name;
    int column;
    bool clear_first;
    std::wstring typed;
    Ending ending;
    std::wstring expected;
  };
  const Case cases[] = {
      {"escape after typing", 1, false, L"Q", Ending::kEscape, L"#Smith"},
      {"escape after clearing", 2, true, L"", Ending::kEscape, L"Al"},
      {"enter", 1, false, L"son", Ending::kEnter, L"#Smithson"},
      {"enter on a cleared cell", 2, true, L"", Ending::kEnter, L""},
      {"click on another row", 2, false, L"ie", Ending::kClickOnOtherRow, L"Alie"},
      {"click on another row, cleared", 1, true, L"", Ending::kClickOnOtherRow, L""},
      {"focus to a button", 3, false, L"3", Ending::kFocusToButton, L"123"},
      {"focus to a button, replaced", 3, true, L"40", Ending::kFocusToButton, L"40"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND grid = CreateGrid(window_, 748);
    ASSERT_EQ(EnableCellEditing(grid), 1);
    SetFocus(grid);
    DoubleClick(grid, CellPoint(grid, 1, c.column));
    HWND box = OpenedBox(grid);
    ASSERT_NE(box, nullptr);
    if (c.clear_first) ClearBox(box);
    Type(box, c.typed);
    switch (c.ending) {
      case Ending::kEscape:
        PressKey(box, VK_ESCAPE);
        break;
      case Ending::kEnter:
        PressKey(box, VK_RETURN);
        break;
      case Ending::kClickOnOtherRow: {
        POINT at = CellPoint(grid, 2, 1);
        SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        Pump();
        break;
      }
      case Ending::kFocusToButton:
        SetFocus(button_);
        Pump();
        break;
    }
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(Cell(grid, 1, c.column), c.expected);
    EXPECT_EQ(Cell(grid, 1, 0), L"") << "the text must not become the row's label";
    // The rows around it are untouched.
    const std::wstring above[] = {L"", L"Doe", L"John", L"555"};
    const std::wstring below[] = {L"", L"Zed", L"Zoe", L"9"};
    EXPECT_EQ(Cell(grid, 0, c.column), above[c.column]);
    EXPECT_EQ(Cell(grid, 2, c.column), below[c.column]);
    EXPECT_FALSE(EditLabelsOn(grid));
    DestroyWindow(grid);
  }
}

TEST_P(CellEditTest, PagerIdCellsTakeDigitsOnly) {
  // Typed: only digits and Backspace reach the box.
  DoubleClick(grid_, CellPoint(grid_, 0, 3));
  HWND box = OpenedBox(grid_);
  ASSERT_NE(box, nullptr);
  Type(box, L"a1 b2-3\t;.\x1b\x7f" L"4\xe9");
  EXPECT_EQ(BoxText(box), L"5551234");
  Type(box, L"\b\b");
  EXPECT_EQ(BoxText(box), L"55512");
  // Keys without a character still act.
  PostMessageW(box, WM_KEYDOWN, VK_HOME, 1);
  PostMessageW(box, WM_KEYDOWN, VK_DELETE, 1);
  Pump();
  EXPECT_EQ(BoxText(box), L"5512");
  PressKey(box, VK_RETURN);
  EXPECT_EQ(Cell(grid_, 0, 3), L"5512");

  // Other columns take every character.
  DoubleClick(grid_, CellPoint(grid_, 0, 2));
  box = OpenedBox(grid_);
  ASSERT_NE(box, nullptr);
  Type(box, L" 1-b;");
  PressKey(box, VK_RETURN);
  EXPECT_EQ(Cell(grid_, 0, 2), L"John 1-b;");

  // Text put into the box other than by typing is cut to its digits when
  // the edit is committed, in the Pager ID column only.
  struct Pasted {
    int column;
    std::wstring text;
    std::wstring expected;
  };
  const Pasted pasted[] = {{3, L"12 ab-34", L"1234"}, {3, L"none", L""}, {1, L"Ann 2-Lee", L"Ann 2-Lee"}};
  for (const Pasted& p : pasted) {
    DoubleClick(grid_, CellPoint(grid_, 1, p.column));
    box = OpenedBox(grid_);
    ASSERT_NE(box, nullptr);
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(p.text.c_str()));
    PressKey(box, VK_RETURN);
    EXPECT_EQ(Cell(grid_, 1, p.column), p.expected);
  }
}

TEST_P(CellEditTest, PasteIntoAPagerIdKeepsOnlyItsDigitsOnCommit) {
  ASSERT_TRUE(OpenClipboard(window_));
  EmptyClipboard();
  const wchar_t pasted[] = L"9x 8";
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof pasted);
  memcpy(GlobalLock(memory), pasted, sizeof pasted);
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();

  DoubleClick(grid_, CellPoint(grid_, 2, 3));
  HWND box = OpenedBox(grid_);
  ASSERT_NE(box, nullptr);
  SendMessageW(box, WM_PASTE, 0, 0);
  EXPECT_EQ(BoxText(box), L"99x 8") << "a paste is not filtered while typing";
  SetFocus(button_);
  Pump();
  EXPECT_EQ(Cell(grid_, 2, 3), L"998");
}

TEST_P(CellEditTest, NoEditOutsideTheRows) {
  RECT last = CellRect(grid_, 2, 1);
  const POINT places[] = {{last.left + 20, last.bottom + 30},  // below the last row
                          {740, (last.top + last.bottom) / 2}};  // right of the last column
  for (POINT at : places) {
    DoubleClick(grid_, at);
    EXPECT_EQ(EditBox(grid_), nullptr);
    EXPECT_FALSE(EditLabelsOn(grid_));
    for (int r = 0; r < 3; ++r) EXPECT_EQ(Cell(grid_, r, 0), L"");
    EXPECT_EQ(Cell(grid_, 2, 1), L"Zed");
  }
}

TEST_P(CellEditTest, CellsOutOfViewAreScrolledInBeforeEditing) {
  // A grid narrower than its columns: Last Name fills most of it.
  HWND narrow = CreateGrid(window_, 400, 0, {0, 300, 242, 500});
  ASSERT_EQ(EnableCellEditing(narrow), 1);
  RECT client{};
  GetClientRect(narrow, &client);

  // First Name is partly out to the right: its right edge comes to the
  // client's right edge.
  DoubleClick(narrow, CellPoint(narrow, 0, 2));
  HWND box = OpenedBox(narrow);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(CellRect(narrow, 0, 2).right, client.right);
  EXPECT_EQ(BoxRectInGrid(narrow, box).left, CellRect(narrow, 0, 2).left);
  PressKey(box, VK_ESCAPE);

  // Pager ID is wider than the client: its left edge comes to the left.
  SendMessageW(narrow, LVM_SCROLL, 100, 0);
  RECT pager = CellRect(narrow, 0, 3);
  ASSERT_LT(pager.left, client.right);
  DoubleClick(narrow, {std::max<LONG>(pager.left, 0) + 5, (pager.top + pager.bottom) / 2});
  box = OpenedBox(narrow);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(CellRect(narrow, 0, 3).left, 0);
  EXPECT_EQ(BoxRectInGrid(narrow, box).left, 0);
  PressKey(box, VK_ESCAPE);
  EXPECT_EQ(Cell(narrow, 0, 3), L"555");
  DestroyWindow(narrow);
}

INSTANTIATE_TEST_SUITE_P(BothPlacements, CellEditTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "NewSystem" : "OlderSystem");
                         });

class CellEditSetUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetNewSystemForTesting(false);
    window_ = CreateTestWindow();
  }
  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    Pump();
  }
  HWND window_ = nullptr;
};

TEST_F(CellEditSetUpTest, EnablingRefusesWhatItCannotOrNeedNotEdit) {
  HWND grid = CreateGrid(window_, 748, LVS_EDITLABELS);
  ASSERT_EQ(EnableCellEditing(grid), 1);
  EXPECT_FALSE(EditLabelsOn(grid)) << "idle, the list view must not edit labels by itself";
  auto grid_proc = GetWindowLongPtrW(grid, GWLP_WNDPROC);
  auto* state = GetPropW(grid, kCellEditProperty);
  EXPECT_EQ(EnableCellEditing(grid), 0);
  EXPECT_EQ(GetWindowLongPtrW(grid, GWLP_WNDPROC), grid_proc);
  EXPECT_EQ(GetPropW(grid, kCellEditProperty), state);

  HWND button = CreateWindowExW(0, L"BUTTON", L"x", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 0, 0, 10, 10,
                                window_, nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND icons = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_LIST, 0, 0, 100, 100, window_,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  EXPECT_EQ(EnableCellEditing(nullptr), 0);
  EXPECT_EQ(EnableCellEditing(button), 0);
  EXPECT_EQ(EnableCellEditing(icons), 0);
  EXPECT_EQ(GetPropW(icons, kCellEditProperty), nullptr);

  // A second grid in the same window: the window is hooked only once.
  auto parent_proc = GetWindowLongPtrW(window_, GWLP_WNDPROC);
  auto parent_old = GetPropW(window_, kCellEditOldProcProperty);
  HWND second = CreateGrid(window_, 300);
  EXPECT_EQ(EnableCellEditing(second), 1);
  EXPECT_EQ(GetWindowLongPtrW(window_, GWLP_WNDPROC), parent_proc);
  EXPECT_EQ(GetPropW(window_, kCellEditOldProcProperty), parent_old);
  EXPECT_EQ(parent_old, reinterpret_cast<HANDLE>(DefWindowProcW));
}

// What each window still held when it received its last message.
struct Destroyed {
  HWND window;
  bool had_edit_state;
  bool had_old_proc;
};
std::vector<Destroyed> destroyed;

LRESULT CALLBACK WatchDestruction(int code, WPARAM wparam, LPARAM lparam) {
  const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lparam);
  if (code == HC_ACTION && message->message == WM_NCDESTROY)
    destroyed.push_back({message->hwnd, GetPropW(message->hwnd, kCellEditProperty) != nullptr,
                         GetPropW(message->hwnd, kCellEditOldProcProperty) != nullptr});
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(CellEditSetUpTest, EveryWindowTakesItsPropertyAlong) {
  HWND grid = CreateGrid(window_, 748);
  ASSERT_EQ(EnableCellEditing(grid), 1);
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, WatchDestruction, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  destroyed.clear();

  DoubleClick(grid, CellPoint(grid, 0, 1));
  HWND box = OpenedBox(grid);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(GetPropW(box, kCellEditOldProcProperty), nullptr);
  EXPECT_NE(GetPropW(window_, kCellEditOldProcProperty), nullptr);
  PressKey(box, VK_RETURN);
  DestroyWindow(window_);
  Pump();
  UnhookWindowsHookEx(hook);

  auto find = [](HWND hwnd) {
    for (const Destroyed& d : destroyed)
      if (d.window == hwnd) return &d;
    return static_cast<const Destroyed*>(nullptr);
  };
  for (HWND hwnd : {box, grid, window_}) {
    const Destroyed* d = find(hwnd);
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->had_edit_state);
    EXPECT_FALSE(d->had_old_proc);
  }
}

TEST_F(CellEditSetUpTest, TheDividerOfTheHiddenColumnIsLocked) {
  HWND grid = CreateGrid(window_, 748);
  ASSERT_EQ(EnableCellEditing(grid), 1);
  HWND header = reinterpret_cast<HWND>(SendMessageW(grid, LVM_GETHEADER, 0, 0));
  RECT item{};
  SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  const int middle = (item.top + item.bottom) / 2;

  // Not pumped afterwards: what the drag left to paint is still pending.
  auto drag = [&](int from, int to) {
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from, middle));
    SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from + to) / 2, middle));
    SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to, middle));
    SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(to, middle));
  };
  HDHITTESTINFO hit{};
  hit.pt = {1, middle};
  SendMessageW(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  ASSERT_EQ(hit.iItem, 0);
  ASSERT_TRUE(hit.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN));
  drag(1, 60);
  Pump();
  EXPECT_EQ(SendMessageW(grid, LVM_GETCOLUMNWIDTH, 0, 0), 0);

  // Other dividers move, and the whole grid is painted afresh.
  UpdateWindow(grid);
  ValidateRect(grid, nullptr);
  drag(item.right - 1, item.right + 40);
  EXPECT_NEAR(SendMessageW(grid, LVM_GETCOLUMNWIDTH, 1, 0), 282, 2);
  RECT update{}, client{};
  GetClientRect(grid, &client);
  ASSERT_TRUE(GetUpdateRect(grid, &update, FALSE));
  EXPECT_PRED2(SameRect, update, client) << Describe(update);
}

TEST_F(CellEditSetUpTest, HeaderItemsArePaintedAsButtons) {
  HWND grid = CreateGrid(window_, 748);
  InstallEditorHeaderDraw(grid);
  ASSERT_EQ(EnableCellEditing(grid), 1);
  HWND header = reinterpret_cast<HWND>(SendMessageW(grid, LVM_GETHEADER, 0, 0));
  ASSERT_EQ(EditorHeader, header);
  RECT item{};
  SendMessageW(header, HDM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
  const int y = item.top + 3;
  const COLORREF fill = RGB(185, 211, 238);

  auto pixel = [&](int x) {
    RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetDC(header);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(header, dc);
    return colour;
  };
  EXPECT_NE(pixel(item.left), fill) << "the button frame";
  EXPECT_EQ(pixel(item.left + 1), fill);
  EXPECT_EQ(pixel(item.left + 2), fill);
  EXPECT_EQ(pixel((item.left + item.right) / 2), fill);

  // Pressed: the fill starts one pixel further in.
  const LPARAM centre = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, centre);
  EXPECT_NE(pixel(item.left + 1), fill);
  EXPECT_EQ(pixel(item.left + 2), fill);
  SendMessageW(header, WM_LBUTTONUP, 0, centre);
  Pump();
  EXPECT_EQ(pixel(item.left + 1), fill);
}

}  // namespace
}  // namespace tw
