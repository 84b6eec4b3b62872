#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <random>

#include "platform/faults.h"
#include "platform/file.h"

namespace tw::platform {

const char16_t kPathSeparator = u'/';

namespace {

std::string Native(const Text& path) { return TextToUtf8(path); }

std::string TempPathBeside(const std::string& target) {
  static std::mt19937_64 rng{std::random_device{}()};
  return target + ".tw" + std::to_string(getpid()) + "-" + std::to_string(rng() % 1000000000) +
         ".tmp";
}

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    if (faults::StepFails()) return false;
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Writes a new temporary file beside the target; its path, or empty.
std::string WriteTemporary(const std::string& target, std::string_view bytes) {
  const std::string tmp = TempPathBeside(target);
  if (faults::StepFails()) return {};
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return {};
  bool ok = WriteAll(fd, bytes);
  ok = ok && !faults::StepFails() && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok) {
    ::unlink(tmp.c_str());
    return {};
  }
  return tmp;
}

bool MoveOver(const std::string& tmp, const std::string& target) {
  if (faults::StepFails() || ::rename(tmp.c_str(), target.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace

PathKind QueryPath(const Text& path) {
  struct stat st;
  if (::stat(Native(path).c_str(), &st) != 0) return PathKind::kMissing;
  return S_ISDIR(st.st_mode) ? PathKind::kFolder : PathKind::kFile;
}

bool IsReadOnlyFile(const Text& path) {
  const std::string p = Native(path);
  struct stat st;
  if (::stat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  // Root ignores mode bits, so look at the write bits themselves.
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

std::optional<std::string> ReadWholeFile(const Text& path) {
  const int fd = ::open(Native(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::string out;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return out;
}

bool ReplaceFileContent(const Text& path, std::string_view bytes) {
  const std::string target = Native(path);
  if (QueryPath(path) == PathKind::kFolder || IsReadOnlyFile(path)) return false;
  const std::string tmp = WriteTemporary(target, bytes);
  return !tmp.empty() && MoveOver(tmp, target);
}

bool CreateFileWithContent(const Text& path, std::string_view bytes) {
  const std::string target = Native(path);
  const std::string tmp = WriteTemporary(target, bytes);
  if (tmp.empty()) return false;
  // link() fails when the target exists, so a file made meanwhile survives.
  if (faults::StepFails() || ::link(tmp.c_str(), target.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  ::unlink(tmp.c_str());
  return true;
}

bool AppendToFile(const Text& path, std::string_view bytes) {
  if (faults::StepFails()) return false;
  const int fd = ::open(Native(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  // O_APPEND and one write keep the line whole at the end of the file.
  bool ok = !faults::StepFails();
  if (ok) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    ok = n == static_cast<ssize_t>(bytes.size());
  }
  ok = (::close(fd) == 0) && ok;
  return ok;
}

namespace {
class PosixExclusiveNewFile final : public ExclusiveNewFile {
 public:
  explicit PosixExclusiveNewFile(int fd) : fd_(fd) {}
  ~PosixExclusiveNewFile() override { ::close(fd_); }

 private:
  int fd_;
};
}  // namespace

std::unique_ptr<ExclusiveNewFile> CreateExclusiveNewFile(const Text& path) {
  const int fd = ::open(Native(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixExclusiveNewFile>(fd);
}

bool DeleteFileAt(const Text& path) {
  if (faults::StepFails()) return false;
  return ::unlink(Native(path).c_str()) == 0;
}

bool CreateFolder(const Text& path) {
  std::string p = Native(path);
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return ::mkdir(p.c_str(), 0755) == 0;
}

std::vector<FolderEntry> ListFolder(const Text& folder, const Text& pattern) {
  std::vector<FolderEntry> out;
  const std::string dir = Native(folder);
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return out;
  const std::string pat = Native(pattern);
  while (dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    // Windows matches wildcards without regard to case.
    if (::fnmatch(pat.c_str(), name.c_str(), FNM_CASEFOLD) != 0) continue;
    std::string full = dir;
    if (!full.empty() && full.back() != '/') full += '/';
    full += name;
    struct stat st;
    const bool is_folder = ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    out.push_back({Utf8ToText(name), is_folder});
  }
  ::closedir(d);
  return out;
}

Text CurrentDirectory() {
  char buf[PATH_MAX];
  if (!::getcwd(buf, sizeof buf)) return {};
  return Utf8ToText(buf);
}

}  // namespace tw::platform
