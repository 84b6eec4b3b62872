#include <windows.h>

#include <string>

#include "platform/faults.h"
#include "platform/file.h"

namespace tw::platform {

const char16_t kPathSeparator = u'\\';

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

const wchar_t* W(const Text& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); }

std::wstring TempPathBeside(const Text& target) {
  static LONG counter = 0;
  std::wstring p(W(target));
  p += L".tw" + std::to_wstring(GetCurrentProcessId()) + L"-" +
       std::to_wstring(GetTickCount64() % 100000000) + L"-" +
       std::to_wstring(InterlockedIncrement(&counter)) + L".tmp";
  return p;
}

bool WriteAll(HANDLE h, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    if (faults::StepFails()) return false;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 30));
    DWORD written = 0;
    if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

// Writes a new temporary file beside the target; its path, or empty.
std::wstring WriteTemporary(const Text& target, std::string_view bytes) {
  const std::wstring tmp = TempPathBeside(target);
  if (faults::StepFails()) return {};
  HANDLE h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  bool ok = WriteAll(h, bytes);
  ok = ok && !faults::StepFails() && FlushFileBuffers(h);
  ok = CloseHandle(h) && ok;
  if (!ok) {
    DeleteFileW(tmp.c_str());
    return {};
  }
  return tmp;
}

}  // namespace

PathKind QueryPath(const Text& path) {
  const DWORD a = GetFileAttributesW(W(path));
  if (a == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
  return (a & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kFolder : PathKind::kFile;
}

bool IsReadOnlyFile(const Text& path) {
  const DWORD a = GetFileAttributesW(W(path));
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY) &&
         (a & FILE_ATTRIBUTE_READONLY);
}

std::optional<std::string> ReadWholeFile(const Text& path) {
  HANDLE h = CreateFileW(W(path), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string out;
  LARGE_INTEGER size;
  if (GetFileSizeEx(h, &size) && size.QuadPart > 0) out.reserve(static_cast<size_t>(size.QuadPart));
  char buf[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) {
      CloseHandle(h);
      return std::nullopt;
    }
    if (n == 0) break;
    out.append(buf, n);
  }
  CloseHandle(h);
  return out;
}

bool ReplaceFileContent(const Text& path, std::string_view bytes) {
  // The move below would replace even a read-only file, so refuse it here.
  if (QueryPath(path) == PathKind::kFolder || IsReadOnlyFile(path)) return false;
  const std::wstring tmp = WriteTemporary(path, bytes);
  if (tmp.empty()) return false;
  // While another process holds the target open the move is refused for a
  // moment; a reader never sees a missing or partial file.
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (faults::StepFails()) break;
    if (MoveFileExW(tmp.c_str(), W(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    const DWORD err = GetLastError();
    if (err != ERROR_ACCESS_DENIED && err != ERROR_SHARING_VIOLATION) break;
    Sleep(20);
  }
  DeleteFileW(tmp.c_str());
  return false;
}

bool CreateFileWithContent(const Text& path, std::string_view bytes) {
  const std::wstring tmp = WriteTemporary(path, bytes);
  if (tmp.empty()) return false;
  // Without MOVEFILE_REPLACE_EXISTING a file made meanwhile survives.
  if (!faults::StepFails() && MoveFileExW(tmp.c_str(), W(path), MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(tmp.c_str());
  return false;
}

bool AppendToFile(const Text& path, std::string_view bytes) {
  if (faults::StepFails()) return false;
  HANDLE h = CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  // Appending handles alone tear and lose lines between processes under
  // Wine; an exclusive lock on one byte far beyond any data serialises the
  // writers, and the end of file is read again under it.
  OVERLAPPED lock_at = {};
  lock_at.Offset = 0xFFFFFFF0u;
  lock_at.OffsetHigh = 0x7FFFFFFFu;
  bool locked = false;
  for (int attempt = 0; attempt < 500 && !locked; ++attempt) {
    locked = LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &lock_at);
    if (!locked) Sleep(2);
  }
  bool ok = locked && !faults::StepFails();
  if (ok) {
    LARGE_INTEGER zero = {};
    ok = SetFilePointerEx(h, zero, nullptr, FILE_END) != 0;
    DWORD written = 0;
    ok = ok && WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
  }
  if (locked) UnlockFileEx(h, 0, 1, 0, &lock_at);
  ok = CloseHandle(h) && ok;
  return ok;
}

namespace {
class Win32ExclusiveNewFile final : public ExclusiveNewFile {
 public:
  explicit Win32ExclusiveNewFile(HANDLE h) : h_(h) {}
  ~Win32ExclusiveNewFile() override { CloseHandle(h_); }

 private:
  HANDLE h_;
};
}  // namespace

std::unique_ptr<ExclusiveNewFile> CreateExclusiveNewFile(const Text& path) {
  HANDLE h = CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32ExclusiveNewFile>(h);
}

bool DeleteFileAt(const Text& path) {
  if (faults::StepFails()) return false;
  return DeleteFileW(W(path)) != 0;
}

bool CreateFolder(const Text& path) { return CreateDirectoryW(W(path), nullptr) != 0; }

std::vector<FolderEntry> ListFolder(const Text& folder, const Text& pattern) {
  std::vector<FolderEntry> out;
  Text query = folder;
  if (!query.empty() && query.back() != u'\\' && query.back() != u'/') query += u'\\';
  query += pattern;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(W(query), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    const Text name(reinterpret_cast<const char16_t*>(fd.cFileName));
    if (name == u"." || name == u"..") continue;
    out.push_back({name, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return out;
}

Text CurrentDirectory() {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return {};
  std::wstring buf(n, L'\0');
  const DWORD got = GetCurrentDirectoryW(n, buf.data());
  buf.resize(got);
  return Text(reinterpret_cast<const char16_t*>(buf.c_str()), buf.size());
}

}  // namespace tw::platform
