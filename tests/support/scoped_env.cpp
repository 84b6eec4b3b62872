#include "support/scoped_env.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tw::testing {

namespace {

#ifdef _WIN32
// The program reads the process environment block, not the C runtime's copy.
std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::optional<Text> Read(const std::string& name) {
  const std::wstring w = Wide(name);
  const DWORD n = GetEnvironmentVariableW(w.c_str(), nullptr, 0);
  if (n == 0) return std::nullopt;
  std::wstring buf(n, L'\0');
  buf.resize(GetEnvironmentVariableW(w.c_str(), buf.data(), n));
  return Text(buf.begin(), buf.end());
}

void Write(const std::string& name, const std::optional<Text>& value) {
  const std::wstring w = Wide(name);
  if (!value) {
    SetEnvironmentVariableW(w.c_str(), nullptr);
    return;
  }
  const std::wstring v(value->begin(), value->end());
  SetEnvironmentVariableW(w.c_str(), v.c_str());
}
#else
std::optional<Text> Read(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  if (!v) return std::nullopt;
  return Utf8ToText(v);
}

void Write(const std::string& name, const std::optional<Text>& value) {
  if (value)
    ::setenv(name.c_str(), TextToUtf8(*value).c_str(), 1);
  else
    ::unsetenv(name.c_str());
}
#endif

}  // namespace

ScopedEnv::ScopedEnv(const char* name, const Text& value) : name_(name), old_(Read(name_)) {
  Write(name_, value);
}

ScopedEnv::~ScopedEnv() { Write(name_, old_); }

}  // namespace tw::testing
