// Several operators' programs on one shared folder at once: each appends
// send-log lines and compacts and reads the shared directory, as Tellwave
// does at every page and every exit. No log line may be lost or torn, and
// the directory must always be there, readable and complete.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "directory/directory_file.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

namespace tw {
namespace {

constexpr int kPeople = 400;
constexpr int kOperators = 4;

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

int SoakSeconds() {
  const std::string s = Env("TW_SOAK_SECONDS");
  if (!s.empty()) return std::atoi(s.c_str());
#ifdef _WIN32
  return 60;
#else
  return 10;
#endif
}

std::string Person(int i) {
  return "Person" + std::to_string(kPeople - i) + ", Pat;" + std::to_string(5550000 + i);
}

std::set<std::string> Lines(const std::string& bytes) {
  std::set<std::string> out;
  std::istringstream in(bytes);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) out.insert(line);
  }
  return out;
}

// One operator's program. Runs only as a child of the test below.
TEST(Soak, Operator) {
  const std::string folder = Env("TW_SOAK_FOLDER");
  if (folder.empty()) GTEST_SKIP() << "runs only as a child of Soak.OperatorsShareOneFolder";
  const std::string id = Env("TW_SOAK_ID");
  const Text dir = Utf8ToText(folder);
  const Text log = dir + platform::kPathSeparator + u"Pages-2026-12-11.dat";
  const Text directory = dir + platform::kPathSeparator + u"pagers.dat";
  std::set<std::string> everyone;
  for (int i = 0; i < kPeople; ++i) everyone.insert(Person(i));

  const long long end = platform::MonotonicMs() + SoakSeconds() * 1000LL;
  int appended = 0;
  int incomplete_reads = 0;
  for (int n = 0; platform::MonotonicMs() < end; ++n) {
    const std::string line = "Sent to: Operator " + id + " (" + std::to_string(n) +
                             ") at 9:41 am - Message Content: " + std::string(40 + n % 60, 'x') +
                             " - From: Desk - Username: op" + id + " on Computer Name: PC" + id +
                             "\r\n";
    if (platform::AppendToFile(log, line)) ++appended;
    if (n % 5 == 0) CompactDirectoryFile(directory);
    const auto bytes = platform::ReadWholeFile(directory);
    if (!bytes || Lines(*bytes) != everyone) ++incomplete_reads;
  }
  EXPECT_EQ(incomplete_reads, 0);
  std::string count = std::to_string(appended);
  platform::ReplaceFileContent(dir + platform::kPathSeparator + Utf8ToText("count-" + id), count);
}

TEST(Soak, OperatorsShareOneFolder) {
  testing::TempFolder dir;
  std::string directory;
  for (int i = 0; i < kPeople; ++i) directory += Person(i) + ((i % 3) ? "\r\n" : "\n\n");
  testing::WriteBytes(dir.File("pagers.dat"), directory);

  std::vector<std::unique_ptr<testing::ChildProcess>> operators;
  for (int i = 0; i < kOperators; ++i) {
    operators.push_back(std::make_unique<testing::ChildProcess>(
        testing::SelfPath(), std::vector<std::string>{"--gtest_filter=Soak.Operator"},
        std::vector<std::string>{"TW_SOAK_FOLDER=" + testing::Narrow(dir.path()),
                                 "TW_SOAK_ID=" + std::to_string(i)}));
    ASSERT_TRUE(operators.back()->Started());
  }
  for (auto& op : operators) EXPECT_EQ(op->Wait(), 0) << "an operator saw an incomplete directory";

  // Every appended line is there once and whole, in each writer's order.
  std::map<std::string, int> next;
  int total = 0;
  std::istringstream in(testing::ReadBytes(dir.File("Pages-2026-12-11.dat")));
  for (std::string line; std::getline(in, line); ++total) {
    ASSERT_FALSE(line.empty());
    ASSERT_EQ(line.back(), '\r') << "torn line: " << line;
    const size_t open = line.find(" ("), close = line.find(") at 9:41 am");
    ASSERT_TRUE(line.rfind("Sent to: Operator ", 0) == 0 && open != std::string::npos &&
                close != std::string::npos)
        << "torn line: " << line;
    const std::string who = line.substr(18, open - 18);
    const int n = std::atoi(line.substr(open + 2, close - open - 2).c_str());
    ASSERT_EQ(n, next[who]) << "lost or repeated line of operator " << who;
    ++next[who];
  }
  int appended = 0;
  for (int i = 0; i < kOperators; ++i) {
    const int count = std::atoi(testing::ReadBytes(dir.File("count-" + std::to_string(i))).c_str());
    EXPECT_GT(count, 0);
    EXPECT_EQ(next[std::to_string(i)], count);
    appended += count;
  }
  EXPECT_EQ(total, appended);
  std::cout << "soak: " << kOperators << " operators appended " << appended
            << " log lines in " << SoakSeconds() << " s, none lost or torn\n";

  // The directory ends compacted, sorted and complete.
  std::string expected;
  std::vector<std::string> sorted;
  for (int i = 0; i < kPeople; ++i) sorted.push_back(Person(i));
  std::stable_sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
    return DirectoryLineLess(Utf8ToText(a), Utf8ToText(b));
  });
  for (const auto& s : sorted) expected += s + "\r\n";
  EXPECT_EQ(testing::ReadBytes(dir.File("pagers.dat")), expected);
}

}  // namespace
}  // namespace tw
