#pragma once
// Internal to the file backends: counts writing steps for fault injection.
namespace tw::platform::faults {
// True when this step is the one a test asked to fail.
bool StepFails();
}  // namespace tw::platform::faults
