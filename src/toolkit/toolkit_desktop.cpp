// The desktop shell and the keyboard, each with a seam for tests.
#include <windows.h>

#include <shellapi.h>

#include "toolkit/toolkit_internal.h"

namespace tw::toolkit {

namespace {

std::function<void(const Text&)> shell_open_override;
std::function<bool(int)> key_down_override;

}  // namespace

void ShellOpen(const Text& address) {
  if (shell_open_override) {
    shell_open_override(address);
    return;
  }
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = detail::Wide(address);
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&info);
}

bool KeyDown(int virtual_key) {
  if (key_down_override) return key_down_override(virtual_key);
  return (GetAsyncKeyState(virtual_key) & 0x8000) != 0;
}

void SetShellOpenForTesting(std::function<void(const Text&)> open) { shell_open_override = std::move(open); }
void SetKeyDownForTesting(std::function<bool(int)> key_down) { key_down_override = std::move(key_down); }

}  // namespace tw::toolkit
