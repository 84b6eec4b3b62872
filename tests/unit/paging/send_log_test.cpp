#include "paging/send_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>

#include "common/data_locations.h"
#include "paging_test_support.h"
#include "platform/env.h"
#include "platform/file.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

namespace tw {
namespace {

using testing::InTempFolder;
using testing::Narrow;
using testing::ReadBytes;
using testing::TempFolder;

platform::LocalTime At(int hour, int minute) { return {2020, 5, 22, hour, minute, 0}; }

TEST(FormatTimeOfDay, TwelveHourClockWithoutLeadingZeroOnTheHour) {
  const struct {
    int hour, minute;
    const char* text;
  } cases[] = {
      {0, 0, "12:00 am"}, {0, 5, "12:05 am"},   {0, 59, "12:59 am"}, {1, 7, "1:07 am"},
      {9, 45, "9:45 am"}, {11, 59, "11:59 am"}, {12, 0, "12:00 pm"}, {12, 30, "12:30 pm"},
      {13, 7, "1:07 pm"}, {20, 10, "8:10 pm"},  {23, 9, "11:09 pm"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Narrow(FormatTimeOfDay(At(c.hour, c.minute))), c.text) << c.hour << ":" << c.minute;
  }
}

TEST(SendLogFileName, DateWithLeadingZeros) {
  EXPECT_EQ(Narrow(SendLogFileName({2020, 5, 2, 0, 0, 0})), "Pages-2020-05-02.dat");
  EXPECT_EQ(Narrow(SendLogFileName({2021, 12, 31, 23, 59, 0})), "Pages-2021-12-31.dat");
}

platform::LocalTime g_fixed_now;
platform::LocalTime FixedNow() { return g_fixed_now; }

class SendLogInFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    g_fixed_now = {2020, 5, 22, 13, 7, 0};
    SetSendLogClock(&FixedNow);
  }
  void TearDown() override { SetSendLogClock(nullptr); }
  Text LogPath() const { return here_.folder().File("Pages-2020-05-22.dat"); }

  InTempFolder here_;
};

TEST_F(SendLogInFolder, LinesAreExactUtf8WithCrLfAndNoByteOrderMark) {
  AppendSendLog(u"Doe, John", u"12345", u"1:07 pm", u"Call me", u"Desk", u"jdoe", u"PC-7");
  EXPECT_EQ(ReadBytes(LogPath()),
            "Sent to: Doe, John (12345) at 1:07 pm - Message Content: Call me - From: Desk"
            " - Username: jdoe on Computer Name: PC-7\r\n");

  // A second page adds a line after the first; empty texts leave the
  // literal pieces side by side; é and ∞ are stored as UTF-8.
  AppendSendLog(u"M\u00fcller, J\u00f6rg", u"7", u"12:05 am", u"Caf\u00e9 \u221e", u"", u"", u"");
  EXPECT_EQ(ReadBytes(LogPath()),
            "Sent to: Doe, John (12345) at 1:07 pm - Message Content: Call me - From: Desk"
            " - Username: jdoe on Computer Name: PC-7\r\n"
            "Sent to: M\xC3\xBCller, J\xC3\xB6rg (7) at 12:05 am - Message Content: Caf\xC3\xA9 "
            "\xE2\x88\x9E - From:  - Username:  on Computer Name: \r\n");
  EXPECT_EQ(testing::FolderNames(here_.folder().path()),
            std::vector<std::string>{"Pages-2020-05-22.dat"});
}

TEST_F(SendLogInFolder, LineBreaksInsideFieldsBecomeBlanksSoEachPageIsOneLine) {
  AppendSendLog(u"A\r\nB", u"1\n2", u"1:07 pm", u"x\ry", u"f\r\n", u"u", u"c");
  EXPECT_EQ(ReadBytes(LogPath()),
            "Sent to: A  B (1 2) at 1:07 pm - Message Content: x y - From: f   - Username: u on "
            "Computer Name: c\r\n");
}

TEST_F(SendLogInFolder, TheFileFollowsTheDateOfEachAppend) {
  AppendSendLog(u"A", u"1", u"11:59 pm", u"m", u"f", u"u", u"c");
  g_fixed_now = {2020, 5, 23, 0, 0, 0};
  AppendSendLog(u"B", u"2", u"11:59 pm", u"m", u"f", u"u", u"c");
  EXPECT_EQ(ReadBytes(LogPath()),
            "Sent to: A (1) at 11:59 pm - Message Content: m - From: f - Username: u on Computer "
            "Name: c\r\n");
  EXPECT_EQ(ReadBytes(here_.folder().File("Pages-2020-05-23.dat")),
            "Sent to: B (2) at 11:59 pm - Message Content: m - From: f - Username: u on Computer "
            "Name: c\r\n");
}

TEST_F(SendLogInFolder, AFailedAppendAddsNothingOrTheWholeLine) {
  // Every open and write of an append fails in turn: the log keeps what it
  // had, and never gains part of a line.
  const std::string first = SendLogLine(u"Doe, Jo", u"1", u"1:07 pm", u"Hi", u"Desk", u"u", u"c");
  ASSERT_TRUE(AppendSendLogLine(WithTrailingSeparator(here_.folder().path()), g_fixed_now, first));
  for (int step = 1;; ++step) {
    platform::faults::FailStep(step);
    AppendSendLog(u"Roe, Al", u"2", u"1:07 pm", u"Hi", u"Desk", u"u", u"c");
    const int taken = platform::faults::StepsTaken();
    platform::faults::Reset();
    const std::string log = ReadBytes(LogPath());
    if (step > taken) {
      EXPECT_EQ(log, first + SendLogLine(u"Roe, Al", u"2", u"1:07 pm", u"Hi", u"Desk", u"u", u"c"));
      break;
    }
    EXPECT_EQ(log, first) << "failing at step " << step;
  }
}

TEST(SendLogFolders, AMissingFolderOrAFolderInTheWayDropsTheLineQuietly) {
  TempFolder dir;
  const std::string line = SendLogLine(u"A", u"1", u"1:07 pm", u"m", u"f", u"u", u"c");
  const platform::LocalTime date{2020, 5, 22, 13, 7, 0};
  Text missing = dir.File("missing");
  missing += platform::kPathSeparator;
  EXPECT_FALSE(AppendSendLogLine(missing, date, line));
  EXPECT_FALSE(testing::Exists(dir.File("missing")));
  // A folder that bears the log's name is not a file to append to.
  ASSERT_TRUE(platform::CreateFolder(dir.File("Pages-2020-05-22.dat")));
  Text folder = dir.path();
  folder += platform::kPathSeparator;
  EXPECT_FALSE(AppendSendLogLine(folder, date, line));
  EXPECT_EQ(platform::QueryPath(dir.File("Pages-2020-05-22.dat")), platform::PathKind::kFolder);
}

// Several operators append to one shared log at once: every line must land
// whole, and none may be lost. The test runs copies of this executable.
constexpr int kWriters = 8;
constexpr int kLinesEach = 2000;
constexpr char kChildVar[] = "TW_SEND_LOG_CHILD";
constexpr char kFolderVar[] = "TW_SEND_LOG_FOLDER";
const platform::LocalTime kSharedDate{2020, 5, 22, 13, 7, 0};

std::string ChildLine(int child, int n) {
  return SendLogLine(u"Writer " + NumberText(child) + u", Number", NumberText(n), u"1:07 pm",
                     u"A message long enough to cross a few hundred bytes when written by "
                     u"many processes at once: \u00e9\u221e " +
                         Text(80, u'x'),
                     u"Desk", u"operator", u"PC-" + NumberText(child));
}

TEST(SendLogAcrossProcesses, ChildAppends) {
  const std::string child = Narrow(platform::GetEnv(kChildVar));
  if (child.empty()) GTEST_SKIP() << "run only by SendLogAcrossProcesses.NoLineIsLostOrTorn";
  Text folder = platform::GetEnv(kFolderVar);
  for (int n = 0; n < kLinesEach; ++n)
    ASSERT_TRUE(AppendSendLogLine(folder, kSharedDate, ChildLine(std::stoi(child), n)));
}

TEST(SendLogAcrossProcesses, NoLineIsLostOrTorn) {
  TempFolder dir;
  Text folder = dir.path();
  folder += platform::kPathSeparator;
  std::vector<std::unique_ptr<testing::ChildProcess>> children;
  for (int i = 0; i < kWriters; ++i) {
    children.push_back(std::make_unique<testing::ChildProcess>(
        testing::SelfPath(),
        std::vector<std::string>{"--gtest_filter=SendLogAcrossProcesses.ChildAppends"},
        std::vector<std::string>{std::string(kChildVar) + "=" + std::to_string(i),
                                 std::string(kFolderVar) + "=" + Narrow(folder)}));
  }
  for (auto& child : children) {
    EXPECT_TRUE(child->Started());
    EXPECT_EQ(child->Wait(), 0);
  }

  const std::string log = ReadBytes(dir.File("Pages-2020-05-22.dat"));
  std::map<std::string, int> expected;
  for (int child = 0; child < kWriters; ++child) {
    for (int n = 0; n < kLinesEach; ++n) expected[ChildLine(child, n)] = 0;
  }
  int lines = 0;
  int strangers = 0;
  size_t start = 0;
  for (size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
    ++lines;
    auto it = expected.find(log.substr(start, end + 2 - start));
    if (it == expected.end()) {
      ++strangers;
    } else {
      ++it->second;
    }
  }
  EXPECT_EQ(start, log.size()) << "the file ends inside a line";
  EXPECT_EQ(lines, kWriters * kLinesEach);
  EXPECT_EQ(strangers, 0) << "torn or mixed lines";
  const int missing = static_cast<int>(
      std::count_if(expected.begin(), expected.end(), [](const auto& e) { return e.second != 1; }));
  EXPECT_EQ(missing, 0) << "lines lost or doubled";
}

}  // namespace
}  // namespace tw
