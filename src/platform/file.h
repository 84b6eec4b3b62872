#pragma once
// Files and folders. Every open shares read, write and delete access with
// other processes unless a function says otherwise, and every function opens,
// works and closes before it returns.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"

namespace tw::platform {

// The folder separator of paths on this platform ('\\' on Windows).
extern const char16_t kPathSeparator;

enum class PathKind { kMissing, kFile, kFolder };
PathKind QueryPath(const Text& path);
bool IsReadOnlyFile(const Text& path);

// The whole content of a file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const Text& path);

// Replaces the file's content in one step: the bytes go to a new temporary
// file in the same folder, which is flushed and then moved over the target.
// On any failure the old file stays whole and the temporary file is removed.
// A read-only target is never replaced. A target held open by another
// process is retried for about two seconds.
bool ReplaceFileContent(const Text& path, std::string_view bytes);

// Like ReplaceFileContent, but only when nothing exists at the path yet.
bool CreateFileWithContent(const Text& path, std::string_view bytes);

// Appends the bytes at the then current end of the file, creating it when
// missing, as one piece even while other processes append to the same file.
bool AppendToFile(const Text& path, std::string_view bytes);

// A new empty file held open without sharing until the object goes.
class ExclusiveNewFile {
 public:
  virtual ~ExclusiveNewFile() = default;
};
// Null when the file cannot be created (it exists, the folder is missing...).
std::unique_ptr<ExclusiveNewFile> CreateExclusiveNewFile(const Text& path);

bool DeleteFileAt(const Text& path);
// Creates one folder level; false when it cannot (parent missing, exists...).
bool CreateFolder(const Text& path);

struct FolderEntry {
  Text name;
  bool is_folder;
};
// Entries of a folder matching a wildcard pattern such as "*.lst", in the
// order the file system returns them.
std::vector<FolderEntry> ListFolder(const Text& folder, const Text& pattern);

Text CurrentDirectory();

// Test hooks for fault injection: every open, write, flush, rename and
// delete that the writing functions above perform is one step. When
// fail_at is n > 0, the n-th step from now fails as the system would.
namespace faults {
void FailStep(int fail_at);
int StepsTaken();
void Reset();
}  // namespace faults

}  // namespace tw::platform
