// Controls by number: creation, texts, enabled state, focus and fonts.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <map>
#include <memory>
#include <tuple>

#include "toolkit/toolkit_internal.h"

namespace tw::toolkit {

using detail::CreateControl;
using detail::Wide;

namespace {

constexpr wchar_t kLinkColours[] = L"_TwLinkColours";
constexpr wchar_t kLinkHovered[] = L"_TwLinkHovered";
constexpr UINT_PTR kLinkSubclass = 1;

std::map<std::tuple<Text, int, bool>, HFONT> fonts;
HFONT default_font = nullptr;

// Hand pointer, hover colour and a click when the button is released over
// the label; the colours themselves are chosen by the parent's
// WM_CTLCOLORSTATIC from the label's properties.
LRESULT CALLBACK LinkProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
      return TRUE;
    case WM_MOUSEMOVE:
      if (GetPropW(hwnd, kLinkHovered) == nullptr) {
        SetPropW(hwnd, kLinkHovered, reinterpret_cast<HANDLE>(1));
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = hwnd;
        TrackMouseEvent(&track);
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      break;
    case WM_MOUSELEAVE:
      RemovePropW(hwnd, kLinkHovered);
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case WM_LBUTTONUP: {
      RECT client;
      GetClientRect(hwnd, &client);
      const POINT at = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      auto* state = detail::FindWindowState(GetParent(hwnd));
      if (state != nullptr && PtInRect(&client, at))
        detail::PushEvent({EventKind::kControl, state->number, GetDlgCtrlID(hwnd), ControlEventType::kClick});
      break;
    }
    case WM_NCDESTROY:
      delete static_cast<LinkColours*>(RemovePropW(hwnd, kLinkColours));
      RemovePropW(hwnd, kLinkHovered);
      RemoveWindowSubclass(hwnd, LinkProc, kLinkSubclass);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

const wchar_t* RichTextClass() {
  static const wchar_t* name = [] {
    if (LoadLibraryW(L"Msftedit.dll") != nullptr) return L"RICHEDIT50W";
    LoadLibraryW(L"Riched20.dll");
    return L"RichEdit20W";
  }();
  return name;
}

}  // namespace

namespace detail {

HFONT DefaultFont() {
  if (default_font == nullptr) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
      default_font = CreateFontIndirectW(&metrics.lfMessageFont);
    if (default_font == nullptr) default_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  return default_font;
}

HWND CreateControl(int window, int id, const wchar_t* window_class, const Text& text, DWORD style,
                   DWORD ex_style, Rect at) {
  HWND parent = WindowHandle(window);
  if (parent == nullptr) return nullptr;
  ++quiet_changes;
  HWND control = CreateWindowExW(ex_style, window_class, Wide(text), WS_CHILD | WS_VISIBLE | style, at.x, at.y,
                                 at.width, at.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  --quiet_changes;
  if (control != nullptr) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
  return control;
}

void ReleaseFonts() {
  for (auto& [key, font] : fonts) DeleteObject(font);
  fonts.clear();
  if (default_font != nullptr && default_font != GetStockObject(DEFAULT_GUI_FONT)) DeleteObject(default_font);
  default_font = nullptr;
}

}  // namespace detail

void AddPicture(int window, int id, Rect at, int png_resource) {
  HWND control = CreateControl(window, id, L"STATIC", {}, SS_BITMAP, 0, at);
  if (control == nullptr) return;
  if (HBITMAP picture = detail::PngBitmap(png_resource, GetSysColor(COLOR_BTNFACE)))
    SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
  SetWindowPos(control, nullptr, at.x, at.y, at.width, at.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void AddFrame(int window, int id, Rect at, const Text& caption) {
  CreateControl(window, id, L"BUTTON", caption, BS_GROUPBOX, 0, at);
}

void AddLabel(int window, int id, Rect at, const Text& text) {
  CreateControl(window, id, L"STATIC", text, SS_LEFT, 0, at);
}

void AddClickableLabel(int window, int id, Rect at, const Text& text, const LinkColours& colours) {
  // SS_NOTIFY makes the label take the mouse instead of passing it through.
  HWND control = CreateControl(window, id, L"STATIC", text, SS_LEFT | SS_NOTIFY, 0, at);
  if (control == nullptr) return;
  SetPropW(control, kLinkColours, new LinkColours(colours));
  SetWindowSubclass(control, LinkProc, kLinkSubclass, 0);
}

void AddTooltip(int window, int id, const Text& tip) {
  auto* state = detail::FindWindowState(window);
  HWND control = ControlHandle(window, id);
  if (state == nullptr || control == nullptr) return;
  if (state->tooltip == nullptr) {
    state->tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, state->hwnd,
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
    if (state->tooltip == nullptr) return;
  }
  TOOLINFOW info = {};
  info.cbSize = sizeof(info);
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = state->hwnd;
  info.uId = reinterpret_cast<UINT_PTR>(control);
  Text copy = tip;
  info.lpszText = reinterpret_cast<wchar_t*>(copy.data());
  SendMessageW(state->tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void AddField(int window, int id, Rect at, const Text& text, const FieldOptions& options) {
  DWORD style = WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
  if (options.password) style |= ES_PASSWORD;
  HWND control = CreateControl(window, id, L"EDIT", text, style, WS_EX_CLIENTEDGE, at);
  if (control != nullptr && options.max_length > 0)
    SendMessageW(control, EM_SETLIMITTEXT, static_cast<WPARAM>(options.max_length), 0);
}

void AddButton(int window, int id, Rect at, const Text& text, bool default_button) {
  CreateControl(window, id, L"BUTTON", text, WS_TABSTOP | (default_button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0,
                at);
}

void AddPictureButton(int window, int id, Rect at, int png_resource) {
  HWND control = CreateControl(window, id, L"BUTTON", {}, WS_TABSTOP | BS_PUSHBUTTON | BS_BITMAP, 0, at);
  if (control == nullptr) return;
  if (HBITMAP picture = detail::PngBitmap(png_resource, GetSysColor(COLOR_BTNFACE)))
    SendMessageW(control, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
}

void AddRichText(int window, int id, Rect at, const Text& text) {
  HWND control = CreateControl(window, id, RichTextClass(), {},
                               WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_LEFT, WS_EX_CLIENTEDGE,
                               at);
  if (control == nullptr) return;
  SetText(window, id, text);
  PARAFORMAT format = {};
  format.cbSize = sizeof(format);
  format.dwMask = PFM_ALIGNMENT;
  format.wAlignment = PFA_CENTER;
  SendMessageW(control, EM_SETSEL, 0, -1);
  SendMessageW(control, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
  SendMessageW(control, EM_SETSEL, 0, 0);
}

HWND ControlHandle(int window, int id) {
  auto* state = detail::FindWindowState(window);
  if (state == nullptr || state->hwnd == nullptr) return nullptr;
  if (auto it = state->controls.find(id); it != state->controls.end() && IsWindow(it->second) &&
                                          GetDlgCtrlID(it->second) == id &&
                                          GetParent(it->second) == state->hwnd)
    return it->second;
  HWND control = GetDlgItem(state->hwnd, id);
  if (control != nullptr) state->controls[id] = control;
  return control;
}

Text GetText(int window, int id) {
  HWND control = ControlHandle(window, id);
  if (control == nullptr) return {};
  Text text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, u'\0');
  text.resize(static_cast<size_t>(
      GetWindowTextW(control, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()))));
  return text;
}

int TextLength(int window, int id) {
  HWND control = ControlHandle(window, id);
  return control ? GetWindowTextLengthW(control) : 0;
}

void SetText(int window, int id, const Text& text) {
  HWND control = ControlHandle(window, id);
  if (control == nullptr) return;
  ++detail::quiet_changes;
  SetWindowTextW(control, Wide(text));
  --detail::quiet_changes;
}

void Enable(int window, int id, bool enabled) {
  HWND control = ControlHandle(window, id);
  if (control == nullptr || (IsWindowEnabled(control) != FALSE) == enabled) return;
  // A disabled control cannot keep the focus; hand it on so that Tab still
  // has a place to start from.
  if (!enabled && GetFocus() == control) {
    HWND next = GetNextDlgTabItem(GetParent(control), control, FALSE);
    SetFocus(next != control ? next : GetParent(control));
  }
  EnableWindow(control, enabled);
}

bool IsEnabled(int window, int id) {
  HWND control = ControlHandle(window, id);
  return control != nullptr && IsWindowEnabled(control) != FALSE;
}

void Focus(int window, int id) {
  if (HWND control = ControlHandle(window, id)) SetFocus(control);
}

int FocusedControl(int window) {
  HWND parent = WindowHandle(window);
  HWND focus = GetFocus();
  while (focus != nullptr && GetParent(focus) != parent) focus = GetParent(focus);
  return focus ? GetDlgCtrlID(focus) : 0;
}

HFONT LoadFont(const Text& face, int points, bool bold) {
  const auto key = std::make_tuple(face, points, bold);
  if (auto it = fonts.find(key); it != fonts.end()) return it->second;
  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  HFONT font = CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                           Wide(face));
  if (font != nullptr) fonts[key] = font;
  return font;
}

void SetFont(int window, int id, HFONT font) {
  if (HWND control = ControlHandle(window, id); control != nullptr && font != nullptr)
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

}  // namespace tw::toolkit
