#pragma once
// Runs copies of the current test executable as separate processes, for
// tests of what several operators' programs do to one shared file.
#include <string>
#include <vector>

namespace tw::testing {

// Path of the running executable.
std::string SelfPath();

class ChildProcess {
 public:
  // Starts the executable with the arguments and the extra environment
  // variables ("NAME=value"), output going to the parent's.
  ChildProcess(const std::string& exe, const std::vector<std::string>& args,
               const std::vector<std::string>& env);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return started_; }
  // Waits for the end; the exit code, or -1 when it could not be had.
  int Wait();

 private:
  bool started_ = false;
  bool waited_ = false;
  int exit_code_ = -1;
#ifdef _WIN32
  void* process_ = nullptr;
#else
  int pid_ = -1;
#endif
};

}  // namespace tw::testing
