// The message box and the text prompt as real modal windows.
#include <windows.h>

#include "toolkit/toolkit_internal.h"

namespace tw::toolkit {

using detail::Wide;

namespace {

constexpr int kPromptWidth = 360;
constexpr int kPromptHeight = 110;
constexpr int kPromptLabelId = 101;

// The prompt's outcome, kept on the prompt window while it is open.
struct PromptState {
  bool done = false;
  bool confirmed = false;
  Text text;
};

void FinishPrompt(HWND prompt, bool confirmed) {
  auto* state = reinterpret_cast<PromptState*>(GetWindowLongPtrW(prompt, GWLP_USERDATA));
  if (state == nullptr || state->done) return;
  state->done = true;
  state->confirmed = confirmed;
  if (confirmed) {
    HWND field = GetDlgItem(prompt, kPromptFieldId);
    Text text(static_cast<size_t>(GetWindowTextLengthW(field)) + 1, u'\0');
    text.resize(static_cast<size_t>(
        GetWindowTextW(field, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()))));
    state->text = std::move(text);
  }
}

LRESULT CALLBACK PromptProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kPromptOkId && HIWORD(wparam) == BN_CLICKED) FinishPrompt(hwnd, true);
      if (LOWORD(wparam) == IDCANCEL) FinishPrompt(hwnd, false);
      return 0;
    case WM_CLOSE:
      FinishPrompt(hwnd, false);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

HWND Child(HWND parent, int id, const wchar_t* window_class, const Text& text, DWORD style, DWORD ex_style,
           int x, int y, int w, int h) {
  HWND control = CreateWindowExW(ex_style, window_class, Wide(text), WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(detail::DefaultFont()), FALSE);
  return control;
}

HWND BuildPrompt(HWND owner, const Text& title, const Text& message, const Text& initial, bool password) {
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const DWORD ex_style = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame = {0, 0, kPromptWidth, kPromptHeight};
  AdjustWindowRectEx(&frame, style, FALSE, ex_style);
  const int w = frame.right - frame.left;
  const int h = frame.bottom - frame.top;
  HWND prompt = CreateWindowExW(ex_style, kPromptClass, Wide(title), style, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                                (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (prompt == nullptr) return nullptr;
  Child(prompt, kPromptLabelId, L"STATIC", message, SS_LEFT | SS_NOPREFIX, 0, 10, 10, kPromptWidth - 20, 20);
  HWND field = Child(prompt, kPromptFieldId, L"EDIT", initial,
                     WS_TABSTOP | ES_AUTOHSCROLL | (password ? ES_PASSWORD : 0), WS_EX_CLIENTEDGE, 10, 36,
                     kPromptWidth - 20, 22);
  Child(prompt, kPromptOkId, L"BUTTON", u"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, (kPromptWidth - 80) / 2, 72, 80,
        25);
  ShowWindow(prompt, SW_SHOW);
  SetForegroundWindow(prompt);
  SetFocus(field);
  SendMessageW(field, EM_SETSEL, 0, -1);
  return prompt;
}

// Runs the prompt's own loop until OK, Enter, Escape or a close request.
void RunPrompt(HWND prompt, PromptState& state) {
  MSG msg;
  while (!state.done) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    const bool ours = msg.hwnd == prompt || IsChild(prompt, msg.hwnd);
    if (ours && msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
      FinishPrompt(prompt, msg.wParam == VK_RETURN);
      continue;
    }
    if (ours && IsDialogMessageW(prompt, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

class WindowDialogs final : public Dialogs {
 public:
  BoxAnswer ShowBox(const Text& title, const Text& text, BoxIcon icon, BoxButtons buttons,
                    bool default_no) override {
    UINT flags = 0;
    switch (buttons) {
      case BoxButtons::kOk: flags |= MB_OK; break;
      case BoxButtons::kYesNo: flags |= MB_YESNO; break;
      case BoxButtons::kYesNoCancel: flags |= MB_YESNOCANCEL; break;
    }
    switch (icon) {
      case BoxIcon::kError: flags |= MB_ICONERROR; break;
      case BoxIcon::kWarning: flags |= MB_ICONWARNING; break;
      case BoxIcon::kQuestion: flags |= MB_ICONQUESTION; break;
      case BoxIcon::kInformation: flags |= MB_ICONINFORMATION; break;
    }
    if (default_no) flags |= MB_DEFBUTTON2;
    switch (MessageBoxW(detail::DialogOwner(), Wide(text), Wide(title), flags)) {
      case IDYES: return BoxAnswer::kYes;
      case IDNO: return BoxAnswer::kNo;
      case IDCANCEL: return BoxAnswer::kCancel;
      default: return BoxAnswer::kOk;
    }
  }

  Text Prompt(const Text& title, const Text& message, const Text& initial, bool password) override {
    HWND owner = detail::DialogOwner();
    PromptState state;
    HWND prompt = BuildPrompt(owner, title, message, initial, password);
    if (prompt == nullptr) return {};
    SetWindowLongPtrW(prompt, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    if (owner != nullptr) EnableWindow(owner, FALSE);
    RunPrompt(prompt, state);
    // The owner comes back before the prompt goes, so that the activation
    // returns to it rather than to some other program's window.
    if (owner != nullptr) EnableWindow(owner, TRUE);
    DestroyWindow(prompt);
    if (owner != nullptr) SetActiveWindow(owner);
    return state.confirmed ? state.text : Text();
  }
};

}  // namespace

namespace detail {

void RegisterPromptClass() {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = PromptProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kPromptClass;
  RegisterClassExW(&wc);
}

}  // namespace detail

Dialogs& Boxes() {
  static WindowDialogs dialogs;
  return dialogs;
}

}  // namespace tw::toolkit
