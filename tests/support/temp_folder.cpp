#include "support/temp_folder.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "platform/file.h"

namespace fs = std::filesystem;

namespace tw::testing {

namespace {
fs::path P(const Text& t) { return fs::path(TextToUtf8(t)); }
std::string U8(const fs::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}
Text T(const fs::path& p) { return Utf8ToText(U8(p)); }
}  // namespace

std::string Narrow(const Text& t) { return TextToUtf8(t); }

TempFolder::TempFolder() {
  static std::mt19937_64 rng{std::random_device{}()};
  fs::path p = fs::temp_directory_path() / ("tellwave-test-" + std::to_string(rng()));
  fs::create_directories(p);
  path_ = T(p);
}

TempFolder::~TempFolder() {
  std::error_code ec;
  // Read-only files must be writable again before they can go on Windows.
  for (auto it = fs::recursive_directory_iterator(P(path_), ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
  }
  fs::remove_all(P(path_), ec);
}

Text TempFolder::File(std::string_view name) const {
  Text t = path_;
  t += platform::kPathSeparator;
  t += Utf8ToText(name);
  return t;
}

void WriteBytes(const Text& path, std::string_view bytes) {
  std::ofstream f(P(path), std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const Text& path) {
  std::ifstream f(P(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool Exists(const Text& path) {
  std::error_code ec;
  return fs::exists(P(path), ec);
}

void SetReadOnly(const Text& path, bool read_only) {
  // On Windows std::filesystem maps the write bits to the read-only attribute.
  const auto w = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  fs::permissions(P(path), w, read_only ? fs::perm_options::remove : fs::perm_options::add);
}

std::vector<std::string> FolderNames(const Text& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(P(folder)))
    names.push_back(U8(e.path().filename()));
  return names;
}

}  // namespace tw::testing
