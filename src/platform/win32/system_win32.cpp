#include <windows.h>

#include <string>

#include "platform/clock.h"
#include "platform/encoding.h"
#include "platform/env.h"

namespace tw::platform {

Text AnsiToText(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                    nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
  return Text(reinterpret_cast<const char16_t*>(w.data()), w.size());
}

std::string TextToAnsi(TextView text) {
  if (text.empty()) return {};
  const wchar_t* w = reinterpret_cast<const wchar_t*>(text.data());
  const int len = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_ACP, 0, w, len, nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, w, len, out.data(), n, nullptr, nullptr);
  return out;
}

char16_t LowerChar(char16_t c) {
  // CharLowerW takes a single character in the low word of its argument.
  return static_cast<char16_t>(
      reinterpret_cast<ULONG_PTR>(CharLowerW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)))));
}

Text GetEnv(const char* name) {
  const std::wstring wname(name, name + strlen(name));
  const DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring buf(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(wname.c_str(), buf.data(), n);
  buf.resize(got);
  return Text(reinterpret_cast<const char16_t*>(buf.c_str()), buf.size());
}

LocalTime Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

void SleepMs(int ms) { Sleep(static_cast<DWORD>(ms)); }

long long MonotonicMs() { return static_cast<long long>(GetTickCount64()); }

}  // namespace tw::platform
