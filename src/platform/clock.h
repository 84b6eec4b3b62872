#pragma once
// Local date and time, and pauses.
namespace tw::platform {

struct LocalTime {
  int year;
  int month;   // 1..12
  int day;     // 1..31
  int hour;    // 0..23
  int minute;  // 0..59
  int second;
};

LocalTime Now();
void SleepMs(int ms);
// A monotonic clock in milliseconds, for time-outs.
long long MonotonicMs();

}  // namespace tw::platform
