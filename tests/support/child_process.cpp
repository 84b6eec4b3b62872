#include "support/child_process.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
extern char** environ;
#endif

#include <cstring>

namespace tw::testing {

#ifdef _WIN32

namespace {
std::wstring Wide(const std::string& s) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}
std::wstring Quoted(const std::wstring& arg) { return L"\"" + arg + L"\""; }
}  // namespace

std::string SelfPath() {
  wchar_t buf[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  const int len = WideCharToMultiByte(CP_UTF8, 0, buf, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
  std::string out(len, '\0');
  WideCharToMultiByte(CP_UTF8, 0, buf, static_cast<int>(n), out.data(), len, nullptr, nullptr);
  return out;
}

ChildProcess::ChildProcess(const std::string& exe, const std::vector<std::string>& args,
                           const std::vector<std::string>& env) {
  std::wstring cmd = Quoted(Wide(exe));
  for (const auto& a : args) cmd += L" " + Quoted(Wide(a));
  // The child's environment: ours plus the extra variables.
  std::wstring block;
  wchar_t* ours = GetEnvironmentStringsW();
  for (const wchar_t* p = ours; *p; p += wcslen(p) + 1) block.append(p, wcslen(p) + 1);
  FreeEnvironmentStringsW(ours);
  for (const auto& e : env) block += Wide(e) + L'\0';
  block += L'\0';
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  started_ = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                            block.data(), nullptr, &si, &pi) != 0;
  if (started_) {
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
  }
}

ChildProcess::~ChildProcess() {
  Wait();
  if (process_) CloseHandle(process_);
}

int ChildProcess::Wait() {
  if (!started_ || waited_) return exit_code_;
  WaitForSingleObject(process_, INFINITE);
  DWORD code = 0;
  exit_code_ = GetExitCodeProcess(process_, &code) ? static_cast<int>(code) : -1;
  waited_ = true;
  return exit_code_;
}

#else

std::string SelfPath() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

ChildProcess::ChildProcess(const std::string& exe, const std::vector<std::string>& args,
                           const std::vector<std::string>& env) {
  std::vector<std::string> storage_env;
  for (char** e = environ; *e; ++e) storage_env.emplace_back(*e);
  for (const auto& e : env) storage_env.push_back(e);
  std::vector<char*> argv{const_cast<char*>(exe.c_str())};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& e : storage_env) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid;
  started_ = ::posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv.data(), envp.data()) == 0;
  if (started_) pid_ = pid;
}

ChildProcess::~ChildProcess() { Wait(); }

int ChildProcess::Wait() {
  if (!started_ || waited_) return exit_code_;
  int status = 0;
  if (::waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status)) exit_code_ = WEXITSTATUS(status);
  waited_ = true;
  return exit_code_;
}

#endif

}  // namespace tw::testing
