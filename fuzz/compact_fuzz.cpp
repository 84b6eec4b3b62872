// Compaction on arbitrary bytes: the result is sorted, every line ends in
// CR LF, no line is empty or a lone comma, and every other line survives.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "directory/directory_file.h"
#include "platform/encoding.h"

namespace {

std::map<std::string, int> KeptLines(std::string_view bytes) {
  std::map<std::string, int> count;
  size_t pos = 0;
  while (pos < bytes.size()) {
    const size_t start = pos;
    while (pos < bytes.size() && bytes[pos] != '\r' && bytes[pos] != '\n') ++pos;
    const std::string line(bytes.substr(start, pos - start));
    if (!line.empty() && line != ",") ++count[line];
    if (pos < bytes.size()) {
      const char t = bytes[pos++];
      if (t == '\r' && pos < bytes.size() && bytes[pos] == '\n') ++pos;
    }
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto out = tw::CompactDirectoryBytes(bytes);
  if (!out) {
    // Left alone only when it is not 8-bit text.
    const bool wide = bytes.find('\0') != std::string_view::npos ||
                      (size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) ||
                                     (data[0] == 0xFE && data[1] == 0xFF)));
    if (!wide) std::abort();
    return 0;
  }
  if (!out->empty() && out->size() < 2) std::abort();
  std::string previous;
  bool first = true;
  size_t pos = 0;
  while (pos < out->size()) {
    const size_t end = out->find("\r\n", pos);
    if (end == std::string::npos) std::abort();  // every line ends in CR LF
    const std::string line = out->substr(pos, end - pos);
    if (line.empty() || line == "," || line.find_first_of("\r\n") != std::string::npos) std::abort();
    if (!first && tw::DirectoryLineLess(tw::platform::AnsiToText(line),
                                        tw::platform::AnsiToText(previous)))
      std::abort();
    previous = line;
    first = false;
    pos = end + 2;
  }
  if (KeptLines(bytes) != KeptLines(*out)) std::abort();  // nothing else lost
  return 0;
}
