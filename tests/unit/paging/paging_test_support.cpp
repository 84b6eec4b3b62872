#include "paging_test_support.h"

#include <cstdlib>

#include "common/data_locations.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tw::testing {

void SetEnvVar(const char* name, const std::string& value) {
#ifdef _WIN32
  const Text wide_name = AsciiToText(name);
  const Text wide_value = Utf8ToText(value);
  SetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(wide_name.c_str()),
                          reinterpret_cast<const wchar_t*>(wide_value.c_str()));
#else
  ::setenv(name, value.c_str(), 1);
#endif
}

void UnsetEnvVar(const char* name) {
#ifdef _WIN32
  const Text wide_name = AsciiToText(name);
  SetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(wide_name.c_str()), nullptr);
#else
  ::unsetenv(name);
#endif
}

InTempFolder::InTempFolder() : previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(std::filesystem::path(folder_.path()));
  InitDataLocations();
}

InTempFolder::~InTempFolder() {
  // The folder cannot go while it is the current directory on Windows.
  std::filesystem::current_path(previous_);
  InitDataLocations();
}

}  // namespace tw::testing
