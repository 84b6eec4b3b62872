#include "directory/directory_file.h"

#include <algorithm>
#include <string>

#include "platform/encoding.h"
#include "platform/file.h"

namespace tw {

namespace {

enum class LineEncoding { kAnsi, kUtf8, kUtf16 };

bool StartsWith(std::string_view bytes, size_t pos, std::string_view mark) {
  return bytes.size() - pos >= mark.size() && bytes.compare(pos, mark.size(), mark) == 0;
}

LineEncoding TakeByteOrderMark(std::string_view bytes, size_t& pos) {
  using namespace std::string_view_literals;
  if (StartsWith(bytes, pos, "\xFF\xFE"sv)) {
    pos += 2;
    return LineEncoding::kUtf16;
  }
  if (StartsWith(bytes, pos, "\xEF\xBB\xBF"sv)) {
    pos += 3;
    return LineEncoding::kUtf8;
  }
  if (StartsWith(bytes, pos, "\xFE\xFF"sv)) {
    pos += 2;
    return LineEncoding::kAnsi;
  }
  if (StartsWith(bytes, pos, "\x00\x00\xFE\xFF"sv)) {
    pos += 4;
    return LineEncoding::kAnsi;
  }
  return LineEncoding::kAnsi;
}

bool IsLineEnd(unsigned c) { return c == '\n' || c == '\r' || c == 0; }

Text ReadAnsiLine(std::string_view bytes, size_t& pos) {
  const size_t start = pos;
  while (pos < bytes.size() && !IsLineEnd(static_cast<unsigned char>(bytes[pos]))) ++pos;
  Text line = platform::AnsiToText(bytes.substr(start, pos - start));
  if (pos < bytes.size()) {
    const char t = bytes[pos];
    ++pos;
    if (t == '\r' && pos < bytes.size() && bytes[pos] == '\n') ++pos;
  }
  return line;
}

Text ReadUtf8Line(std::string_view bytes, size_t& pos) {
  // Only lead bytes are looked at: a lead byte takes its continuation bytes
  // whatever they are; any other byte from 80 hex up stands for "?".
  std::string collected;
  while (pos < bytes.size()) {
    const unsigned char b = static_cast<unsigned char>(bytes[pos]);
    if (IsLineEnd(b)) break;
    size_t take = 1;
    if ((b & 0xE0) == 0xC0) take = 2;
    else if ((b & 0xF0) == 0xE0) take = 3;
    else if ((b & 0xF8) == 0xF0) take = 4;
    else if (b >= 0x80) {
      collected.push_back('?');
      ++pos;
      continue;
    }
    take = std::min(take, bytes.size() - pos);
    collected.append(bytes.substr(pos, take));
    pos += take;
  }
  if (pos < bytes.size()) {
    const char t = bytes[pos];
    ++pos;
    if (t == '\r' && pos < bytes.size() && bytes[pos] == '\n') ++pos;
  }
  return Utf8ToText(collected);
}

Text ReadUtf16Line(std::string_view bytes, size_t& pos) {
  auto unit_at = [&](size_t p) -> char16_t {
    const unsigned lo = static_cast<unsigned char>(bytes[p]);
    const unsigned hi = p + 1 < bytes.size() ? static_cast<unsigned char>(bytes[p + 1]) : 0;
    return static_cast<char16_t>(lo | (hi << 8));
  };
  Text line;
  while (pos < bytes.size()) {
    const char16_t u = unit_at(pos);
    pos = std::min(pos + 2, bytes.size());
    if (IsLineEnd(u)) {
      if (u == u'\r' && pos < bytes.size() && unit_at(pos) == u'\n')
        pos = std::min(pos + 2, bytes.size());
      break;
    }
    line.push_back(u);
  }
  return line;
}

size_t Find(TextView line, char16_t c) {
  const size_t at = line.find(c);
  return at == TextView::npos ? 0 : at + 1;  // 1-based, 0 when absent
}

char16_t FoldAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') ? c + 32 : c; }

// The 8-bit lines of a file, as raw bytes, without the byte-order-mark test.
std::vector<std::string_view> SplitRawLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  size_t pos = 0;
  while (pos < bytes.size()) {
    const size_t start = pos;
    while (pos < bytes.size() && bytes[pos] != '\n' && bytes[pos] != '\r') ++pos;
    lines.push_back(bytes.substr(start, pos - start));
    if (pos < bytes.size()) {
      const char t = bytes[pos++];
      if (t == '\r' && pos < bytes.size() && bytes[pos] == '\n') ++pos;
    }
  }
  return lines;
}

bool LooksLikeWideText(std::string_view bytes) {
  using namespace std::string_view_literals;
  return StartsWith(bytes, 0, "\xFF\xFE"sv) || StartsWith(bytes, 0, "\xFE\xFF"sv) ||
         bytes.find('\0') != std::string_view::npos;
}

}  // namespace

std::vector<Text> ReadRecipientFileLines(std::string_view bytes) {
  std::vector<Text> lines;
  size_t pos = 0;
  while (pos < bytes.size()) {
    switch (TakeByteOrderMark(bytes, pos)) {
      case LineEncoding::kUtf16: lines.push_back(ReadUtf16Line(bytes, pos)); break;
      case LineEncoding::kUtf8: lines.push_back(ReadUtf8Line(bytes, pos)); break;
      case LineEncoding::kAnsi: lines.push_back(ReadAnsiLine(bytes, pos)); break;
    }
  }
  return lines;
}

RecipientRow SplitRecipientLine(TextView line) {
  const size_t c = Find(line, u';');
  if (c == 0) return {Text(), Text(line)};
  return {Text(line.substr(0, c - 1)), Text(line.substr(c))};
}

PagerRecord SplitDirectoryLine(TextView line) {
  const size_t b = Find(line, u',');
  const size_t c = Find(line, u';');
  PagerRecord r;
  if (b > 1) r.last_name = Text(line.substr(0, b - 1));
  // First name: 1-based positions b + 2 to c - 1.
  const size_t first = b + 2;
  if (c >= 1 && c - 1 >= first) r.first_name = Text(line.substr(first - 1, c - first));
  r.pager_id = c == 0 ? Text(line) : Text(line.substr(c));
  return r;
}

Text JoinDirectoryLine(const PagerRecord& record) {
  return record.last_name + u", " + record.first_name + u";" + record.pager_id;
}

std::vector<Row> RecipientRowsFromBytes(std::string_view bytes) {
  std::vector<Row> rows;
  for (const Text& line : ReadRecipientFileLines(bytes)) {
    if (!line.empty() && line[0] == u'#') continue;
    RecipientRow r = SplitRecipientLine(line);
    rows.push_back({std::move(r.display_name), std::move(r.pager_id)});
  }
  return rows;
}

std::vector<Row> GridRowsFromBytes(std::string_view bytes) {
  std::vector<Row> rows;
  for (const Text& line : ReadRecipientFileLines(bytes)) {
    PagerRecord r = SplitDirectoryLine(line);
    rows.push_back({Text(), std::move(r.last_name), std::move(r.first_name), std::move(r.pager_id)});
  }
  return rows;
}

void LoadRecipientLines(RowList& list, const Text& path) {
  const auto bytes = platform::ReadWholeFile(path);
  if (bytes) list.AppendRows(RecipientRowsFromBytes(*bytes));
}

void LoadDirectoryIntoGrid(RowList& grid, const Text& path) {
  const auto bytes = platform::ReadWholeFile(path);
  if (bytes) grid.AppendRows(GridRowsFromBytes(*bytes));
}

bool SaveDirectoryFromGrid(const RowList& grid, const Text& path) {
  std::string out;
  for (int i = 0; i < grid.RowCount(); ++i) {
    PagerRecord r{grid.Cell(i, 1), grid.Cell(i, 2), grid.Cell(i, 3)};
    if (r.last_name.empty() || r.first_name.empty() || r.pager_id.empty()) continue;
    out += platform::TextToAnsi(JoinDirectoryLine(r));
    out += "\r\n";
  }
  return platform::ReplaceFileContent(path, out);
}

bool DirectoryLineLess(TextView a, TextView b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const char16_t x = FoldAsciiLetter(a[i]);
    const char16_t y = FoldAsciiLetter(b[i]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

std::optional<std::string> CompactDirectoryBytes(std::string_view bytes) {
  if (LooksLikeWideText(bytes)) return std::nullopt;
  // Lines keep their own bytes; only the sort looks at them as text, so
  // nothing is changed by a round trip through the code page.
  struct Line {
    std::string_view bytes;
    Text key;
  };
  std::vector<Line> lines;
  for (std::string_view raw : SplitRawLines(bytes)) {
    if (raw.empty() || raw == ",") continue;
    lines.push_back({raw, platform::AnsiToText(raw)});
  }
  std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
    return DirectoryLineLess(a.key, b.key);
  });
  std::string out;
  out.reserve(bytes.size() + lines.size());
  for (const Line& l : lines) {
    out += l.bytes;
    out += "\r\n";
  }
  return out;
}

bool CompactDirectoryFile(const Text& path) {
  switch (platform::QueryPath(path)) {
    case platform::PathKind::kFolder: return false;
    case platform::PathKind::kMissing: return platform::CreateFileWithContent(path, {});
    case platform::PathKind::kFile: break;
  }
  if (platform::IsReadOnlyFile(path)) return false;
  const auto bytes = platform::ReadWholeFile(path);
  if (!bytes) return false;
  const auto compacted = CompactDirectoryBytes(*bytes);
  if (!compacted) return false;
  if (*compacted == *bytes) return true;
  return platform::ReplaceFileContent(path, *compacted);
}

}  // namespace tw
