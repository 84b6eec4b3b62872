#include "paging/send_log.h"

#include <cstdio>

#include "common/data_locations.h"
#include "platform/file.h"

namespace tw {

namespace {

LocalClock g_clock = nullptr;

platform::LocalTime LocalNow() { return g_clock ? g_clock() : platform::Now(); }

// Every field comes from a single-line control or cell, but one line per
// page is what makes the log readable, so a stray line break becomes a blank.
void AppendField(std::string& line, const Text& field) {
  std::string bytes = TextToUtf8(field);
  for (char& c : bytes) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  line += bytes;
}

}  // namespace

Text FormatTimeOfDay(const platform::LocalTime& when) {
  int hour = when.hour;
  const char* suffix = "am";
  if (hour >= 12) {
    hour -= 12;
    suffix = "pm";
  }
  if (hour == 0) hour = 12;
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d %s", hour, when.minute, suffix);
  return AsciiToText(text);
}

Text FormatTimeOfDay() { return FormatTimeOfDay(LocalNow()); }

Text SendLogFileName(const platform::LocalTime& date) {
  char name[48];
  std::snprintf(name, sizeof name, "Pages-%04d-%02d-%02d.dat", date.year, date.month, date.day);
  return AsciiToText(name);
}

std::string SendLogLine(const Text& display_name, const Text& pager_id, const Text& time_text,
                        const Text& message, const Text& from, const Text& user_name,
                        const Text& computer_name) {
  std::string line = "Sent to: ";
  AppendField(line, display_name);
  line += " (";
  AppendField(line, pager_id);
  line += ") at ";
  AppendField(line, time_text);
  line += " - Message Content: ";
  AppendField(line, message);
  line += " - From: ";
  AppendField(line, from);
  line += " - Username: ";
  AppendField(line, user_name);
  line += " on Computer Name: ";
  AppendField(line, computer_name);
  line += "\r\n";
  return line;
}

bool AppendSendLogLine(const Text& folder, const platform::LocalTime& date, std::string_view line) {
  // Only an existing folder takes the log; nothing is created on the way.
  return platform::AppendToFile(folder + SendLogFileName(date), line);
}

void AppendSendLogIn(const Text& folder, const Text& display_name, const Text& pager_id,
                     const Text& time_text, const Text& message, const Text& from,
                     const Text& user_name, const Text& computer_name) {
  AppendSendLogLine(
      folder, LocalNow(),
      SendLogLine(display_name, pager_id, time_text, message, from, user_name, computer_name));
}

void AppendSendLog(const Text& display_name, const Text& pager_id, const Text& time_text,
                   const Text& message, const Text& from, const Text& user_name,
                   const Text& computer_name) {
  AppendSendLogIn(SendLogFolder(), display_name, pager_id, time_text, message, from, user_name,
                  computer_name);
}

void SetSendLogClock(LocalClock clock) { g_clock = clock; }

}  // namespace tw
