#include "directory/directory_file.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/memory_row_list.h"
#include "platform/file.h"
#include "support/temp_folder.h"

namespace tw {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::vector<std::vector<std::string>> Rows(const RowList& list) {
  std::vector<std::vector<std::string>> out;
  for (int r = 0; r < list.RowCount(); ++r) {
    std::vector<std::string> cells;
    for (int c = 0; c < list.ColumnCount(); ++c) cells.push_back(TextToUtf8(list.Cell(r, c)));
    out.push_back(cells);
  }
  return out;
}

MemoryRowList Picker() { return MemoryRowList({299, 0}); }
MemoryRowList Grid() { return MemoryRowList({0, 242, 242, 243}); }

struct LineCase {
  const char* line;
  std::vector<std::string> picker;  // empty: the line is hidden
  std::vector<std::string> grid;
};

TEST(DirectoryLines, EachLineReadsAsTheTableSays) {
  const LineCase cases[] = {
      {"Doe, John;555", {"Doe, John", "555"}, {"", "Doe", "John", "555"}},
      {"#Doe, John;555", {}, {"", "#Doe", "John", "555"}},
      {"Doe #2, John;1", {"Doe #2, John", "1"}, {"", "Doe #2", "John", "1"}},
      {"Doe, John", {"", "Doe, John"}, {"", "Doe", "", "Doe, John"}},
      {"Doe,John;1", {"Doe,John", "1"}, {"", "Doe", "ohn", "1"}},
      {"", {"", ""}, {"", "", "", ""}},
      {"Smith, Jr, Al;5", {"Smith, Jr, Al", "5"}, {"", "Smith", "Jr, Al", "5"}},
      {"A;1;2", {"A", "1;2"}, {"", "", "", "1;2"}},
      {";9, x", {"", "9, x"}, {"", ";9", "", "9, x"}},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    TempFolder dir;
    const Text path = dir.File("pagers.dat");
    WriteBytes(path, std::string(c.line) + "\r\n");
    MemoryRowList picker = Picker();
    LoadRecipientLines(picker, path);
    MemoryRowList grid = Grid();
    LoadDirectoryIntoGrid(grid, path);
    if (c.picker.empty()) {
      EXPECT_EQ(picker.RowCount(), 0);
    } else {
      EXPECT_EQ(Rows(picker), (std::vector<std::vector<std::string>>{c.picker}));
    }
    EXPECT_EQ(Rows(grid), (std::vector<std::vector<std::string>>{c.grid}));
  }
}

TEST(DirectoryLines, LineEndsOfEveryKindAndNoExtraLastLine) {
  const std::vector<Text> expected = {u"a", u"b", u"c", u"d"};
  EXPECT_EQ(ReadRecipientFileLines("a\r\nb\r\nc\r\nd\r\n"), expected);
  EXPECT_EQ(ReadRecipientFileLines("a\nb\nc\nd"), expected);
  EXPECT_EQ(ReadRecipientFileLines("a\rb\rc\rd\r"), expected);
  EXPECT_EQ(ReadRecipientFileLines(std::string_view("a\0b\r\nc\nd", 9)), expected);
  EXPECT_EQ(ReadRecipientFileLines("a\r\n\r\nb"), (std::vector<Text>{u"a", u"", u"b"}));
  EXPECT_TRUE(ReadRecipientFileLines("").empty());
}

TEST(DirectoryLines, ByteOrderMarksChooseTheEncodingOfTheirLineOnly) {
  // UTF-8 mark: the first line is UTF-8 (é), the second 8-bit (0xE9 = é too).
  EXPECT_EQ(ReadRecipientFileLines("\xEF\xBB\xBF" "D\xC3\xA9;1\r\nD\xE9;2\r\n"),
            (std::vector<Text>{u"D\u00e9;1", u"D\u00e9;2"}));
  // UTF-16LE mark: only the first line is UTF-16.
  const std::string utf16("\xFF\xFE" "A\0;\0" "1\0\r\0\n\0", 12);
  EXPECT_EQ(ReadRecipientFileLines(utf16 + "B;2\r\n"), (std::vector<Text>{u"A;1", u"B;2"}));
  // A mark in the middle of the file counts for its line.
  EXPECT_EQ(ReadRecipientFileLines("x\r\n\xEF\xBB\xBF\xE2\x82\xAC\r\n"),
            (std::vector<Text>{u"x", u"\u20ac"}));
  // FE FF and 00 00 FE FF are consumed and the line read as 8-bit text.
  EXPECT_EQ(ReadRecipientFileLines("\xFE\xFFqr"), (std::vector<Text>{u"qr"}));
  EXPECT_EQ(ReadRecipientFileLines(std::string("\0\0\xFE\xFFqr", 6)), (std::vector<Text>{u"qr"}));
  // FF FE 00 00 is the two-byte mark, then a UTF-16 zero ends the line.
  EXPECT_EQ(ReadRecipientFileLines(std::string("\xFF\xFE\0\0z", 5)), (std::vector<Text>{u"", u"z"}));
}

TEST(DirectoryLines, Utf8LinesFollowTheLeadByteRule) {
  // A lead byte takes the next byte whatever it is, even a line feed, which
  // then stays in the line after the U+FFFD of the invalid sequence.
  EXPECT_EQ(ReadRecipientFileLines("\xEF\xBB\xBF" "a\xC3\nb\r\nc"),
            (std::vector<Text>{u"a\ufffd\nb", u"c"}));
  // A stray continuation byte reads as "?".
  EXPECT_EQ(ReadRecipientFileLines("\xEF\xBB\xBF" "a\x80z"), (std::vector<Text>{u"a?z"}));
  // A truncated sequence at the end of the file.
  EXPECT_EQ(ReadRecipientFileLines("\xEF\xBB\xBF" "a\xE2\x82"), (std::vector<Text>{u"a\ufffd"}));
}

TEST(DirectoryFile, LoadingAppendsInFileOrderAfterExistingRows) {
  TempFolder dir;
  const Text path = dir.File("pagers.dat");
  WriteBytes(path, "Zed, Al;3\nAbe, Bo;1\r\n#Hidden, X;9\rMid, Cy;2");
  MemoryRowList picker = Picker();
  picker.AppendRow({u"Kept, Row", u"7"});
  LoadRecipientLines(picker, path);
  EXPECT_EQ(Rows(picker), (std::vector<std::vector<std::string>>{
                              {"Kept, Row", "7"}, {"Zed, Al", "3"}, {"Abe, Bo", "1"}, {"Mid, Cy", "2"}}));
}

TEST(DirectoryFile, MissingOrUnreadableFileAddsNothing) {
  TempFolder dir;
  MemoryRowList picker = Picker();
  LoadRecipientLines(picker, dir.File("missing.dat"));
  LoadRecipientLines(picker, dir.path());  // a folder
  MemoryRowList grid = Grid();
  LoadDirectoryIntoGrid(grid, dir.File("missing.dat"));
  EXPECT_EQ(picker.RowCount(), 0);
  EXPECT_EQ(grid.RowCount(), 0);
}

TEST(DirectoryFile, SaveWritesCompleteRowsOnlyInAnsiWithCrLf) {
  TempFolder dir;
  const Text path = dir.File("pagers.dat");
  WriteBytes(path, "Old, Content;1\r\n");
  MemoryRowList grid = Grid();
  grid.AppendRow({u"", u"Smith, Jr", u"Al", u"5"});
  grid.AppendRow({u"", u"No", u"Pager", u""});
  grid.AppendRow({u"", u"", u"NoLast", u"6"});
  grid.AppendRow({u"", u"Caf\u00e9", u" Sp ", u"77"});
  grid.AppendRow({u"", u"#CHANGEME", u"CHANGEME", u"CHANGEME"});
  EXPECT_TRUE(SaveDirectoryFromGrid(grid, path));
  EXPECT_EQ(ReadBytes(path), "Smith, Jr, Al;5\r\nCaf\xE9,  Sp ;77\r\n#CHANGEME, CHANGEME;CHANGEME\r\n");
  // Read back: the comma inside the last name moves into the first name.
  MemoryRowList back = Grid();
  LoadDirectoryIntoGrid(back, path);
  EXPECT_EQ(Rows(back)[0], (std::vector<std::string>{"", "Smith", "Jr, Al", "5"}));
}

TEST(DirectoryFile, CompactDropsEmptyAndCommaLinesAndSortsStably) {
  TempFolder dir;
  const Text path = dir.File("pagers.dat");
  WriteBytes(path,
             "Doe, John;2\n\n,\r\nDoe Jr, Al;1\rsmith, b;4\r\nSMITH, a;5\r\n   \r\n"
             "Smith, a;6\r\n#CHANGEME, CHANGEME;CHANGEME\r\n0Zero, X;0\r\n,x\r\nDoe, John;2");
  EXPECT_TRUE(CompactDirectoryFile(path));
  EXPECT_EQ(ReadBytes(path),
            "   \r\n#CHANGEME, CHANGEME;CHANGEME\r\n,x\r\n0Zero, X;0\r\nDoe Jr, Al;1\r\n"
            "Doe, John;2\r\nDoe, John;2\r\nSMITH, a;5\r\nSmith, a;6\r\nsmith, b;4\r\n");
}

TEST(DirectoryFile, CompactKeepsEveryByteOfEightBitLines) {
  TempFolder dir;
  const Text path = dir.File("pagers.dat");
  std::string all;
  for (int b = 1; b < 256; ++b)
    if (b != '\r' && b != '\n') all.push_back(static_cast<char>(b));
  WriteBytes(path, "b;" + all + "\na;1");
  EXPECT_TRUE(CompactDirectoryFile(path));
  EXPECT_EQ(ReadBytes(path), "a;1\r\nb;" + all + "\r\n");
}

TEST(DirectoryFile, CompactLeavesWideTextUntouched) {
  const std::string inputs[] = {
      std::string("\xFF\xFE" "b\0;\0" "1\0\r\0\n\0a\0", 14),
      std::string("\xFE\xFF\0b\0;", 7),
      std::string("b;1\r\na\0;2\r\n", 11),
  };
  for (const std::string& bytes : inputs) {
    TempFolder dir;
    const Text path = dir.File("pagers.dat");
    WriteBytes(path, bytes);
    EXPECT_FALSE(CompactDirectoryFile(path));
    EXPECT_EQ(ReadBytes(path), bytes);
  }
}

TEST(DirectoryFile, CompactOnMissingFileCreatesAnEmptyOne) {
  TempFolder dir;
  const Text path = dir.File("pagers.dat");
  EXPECT_TRUE(CompactDirectoryFile(path));
  EXPECT_TRUE(testing::Exists(path));
  EXPECT_EQ(ReadBytes(path), "");
  // A missing folder: nothing is created and nothing fails loudly.
  EXPECT_FALSE(CompactDirectoryFile(dir.File("nofolder") + platform::kPathSeparator + u"pagers.dat"));
}

TEST(DirectoryFile, ReadOnlyFileAndFolderStayUnchanged) {
  TempFolder dir;
  const Text path = dir.File("pagers.dat");
  WriteBytes(path, "b;2\r\na;1\r\n");
  testing::SetReadOnly(path, true);
  EXPECT_FALSE(CompactDirectoryFile(path));
  MemoryRowList grid = Grid();
  grid.AppendRow({u"", u"New", u"Row", u"1"});
  EXPECT_FALSE(SaveDirectoryFromGrid(grid, path));
  EXPECT_EQ(ReadBytes(path), "b;2\r\na;1\r\n");
  testing::SetReadOnly(path, false);

  const Text folder = dir.File("folder.dat");
  platform::CreateFolder(folder);
  EXPECT_FALSE(CompactDirectoryFile(folder));
  EXPECT_EQ(platform::QueryPath(folder), platform::PathKind::kFolder);
}

TEST(DirectoryFile, FailedWritesLeaveTheOldFileWholeAndNoTemporaryFile) {
  // Every open, write, flush, rename and delete of a rewrite fails in turn:
  // the old file is whole or the new one is, and no temporary file stays.
  MemoryRowList grid = Grid();
  grid.AppendRow({u"", u"New", u"Row", u"3"});
  struct Writer {
    const char* name;
    std::function<bool(const Text&)> write;
    std::string written;
  } writers[] = {
      {"compact", [](const Text& p) { return CompactDirectoryFile(p); }, "a;1\r\nb;2\r\n"},
      {"save", [&](const Text& p) { return SaveDirectoryFromGrid(grid, p); }, "New, Row;3\r\n"},
  };
  for (const Writer& w : writers) {
    TempFolder dir;
    const Text path = dir.File("pagers.dat");
    const std::string old = "b;2\r\na;1\r\n";
    for (int step = 1;; ++step) {
      SCOPED_TRACE(std::string(w.name) + " failing at step " + std::to_string(step));
      WriteBytes(path, old);
      platform::faults::FailStep(step);
      const bool written = w.write(path);
      const int taken = platform::faults::StepsTaken();
      platform::faults::Reset();
      EXPECT_EQ(testing::FolderNames(dir.path()), std::vector<std::string>{"pagers.dat"});
      if (step > taken) {
        EXPECT_TRUE(written);
        EXPECT_EQ(ReadBytes(path), w.written);
        break;
      }
      EXPECT_FALSE(written);
      EXPECT_EQ(ReadBytes(path), old);
    }
  }
}

TEST(DirectoryFile, LongLinesAndGarbageNeitherCrashNorLoseBytes) {
  TempFolder dir;
  const Text path = dir.File("pagers.dat");
  const std::string long_line = "Long, Line;" + std::string(10 * 1024 * 1024, '7');
  WriteBytes(path, long_line + "\r\n\x81\x8D\x8F\x90\x9D\xFF;\x01\r\n");
  MemoryRowList picker = Picker();
  LoadRecipientLines(picker, path);
  ASSERT_EQ(picker.RowCount(), 2);
  EXPECT_EQ(picker.Cell(0, 1).size(), 10u * 1024 * 1024);
  EXPECT_TRUE(CompactDirectoryFile(path));
  EXPECT_EQ(ReadBytes(path), long_line + "\r\n\x81\x8D\x8F\x90\x9D\xFF;\x01\r\n");
}

}  // namespace
}  // namespace tw
