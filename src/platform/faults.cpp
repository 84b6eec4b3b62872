#include "platform/faults.h"

#include <atomic>

#include "platform/file.h"

namespace tw::platform::faults {

namespace {
std::atomic<int> g_fail_at{0};
std::atomic<int> g_taken{0};
}  // namespace

void FailStep(int fail_at) {
  g_taken = 0;
  g_fail_at = fail_at;
}
int StepsTaken() { return g_taken; }
void Reset() {
  g_fail_at = 0;
  g_taken = 0;
}
bool StepFails() {
  const int n = ++g_taken;
  return g_fail_at > 0 && n == g_fail_at;
}

}  // namespace tw::platform::faults
