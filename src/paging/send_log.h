#pragma once
// The daily send log: one UTF-8 line per page that went out, in
// "Pages-YYYY-MM-DD.dat" in the data folder.
#include "common/text.h"
#include "platform/clock.h"

namespace tw {

// "1:07 pm": 12-hour clock, hour without and minutes with a leading zero.
Text FormatTimeOfDay(const platform::LocalTime& when);
// The same for the current local time.
Text FormatTimeOfDay();

// Appends one line to the log of today's date in SendLogFolder(). A folder
// that is missing or a file that cannot be written drops the line silently.
void AppendSendLog(const Text& display_name, const Text& pager_id, const Text& time_text,
                   const Text& message, const Text& from, const Text& user_name,
                   const Text& computer_name);

// The same into a given folder (ending with a separator). The exchange
// works the folder out once: the current directory cannot change while it
// runs, and asking the system for it on every page is a tenth of the cost.
void AppendSendLogIn(const Text& folder, const Text& display_name, const Text& pager_id,
                     const Text& time_text, const Text& message, const Text& from,
                     const Text& user_name, const Text& computer_name);

// The pieces of AppendSendLog, for callers that know the folder and date.
Text SendLogFileName(const platform::LocalTime& date);
std::string SendLogLine(const Text& display_name, const Text& pager_id, const Text& time_text,
                        const Text& message, const Text& from, const Text& user_name,
                        const Text& computer_name);
// folder ends with a separator.
bool AppendSendLogLine(const Text& folder, const platform::LocalTime& date, std::string_view line);

// The local clock that FormatTimeOfDay() and the log's file names read;
// tests replace it to cross midnight.
using LocalClock = platform::LocalTime (*)();
void SetSendLogClock(LocalClock clock);  // null: the system's local time

}  // namespace tw
