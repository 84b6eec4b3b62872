#pragma once
// A fresh folder for one test, removed with everything in it afterwards.
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"

namespace tw::testing {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, without a trailing separator.
  const Text& path() const { return path_; }
  // path() + separator + name.
  Text File(std::string_view name) const;

 private:
  Text path_;
};

// Whole-file helpers on raw bytes.
void WriteBytes(const Text& path, std::string_view bytes);
std::string ReadBytes(const Text& path);
bool Exists(const Text& path);
// Sets or clears the read-only attribute (the mode bits on POSIX).
void SetReadOnly(const Text& path, bool read_only);
// Names in a folder (not "." or "..").
std::vector<std::string> FolderNames(const Text& folder);

std::string Narrow(const Text& t);

}  // namespace tw::testing
