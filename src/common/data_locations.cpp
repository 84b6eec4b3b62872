#include "common/data_locations.h"

#include "common/settings.h"
#include "platform/env.h"
#include "platform/file.h"

namespace tw {

namespace {
Text g_directory_path;

Text DataFolder() {
  if (kNetworkMode) return Text(kSharedDataFolder);
  return WithTrailingSeparator(platform::CurrentDirectory());
}
}  // namespace

Text WithTrailingSeparator(Text folder) {
  if (folder.empty() || folder.back() != platform::kPathSeparator)
    folder += platform::kPathSeparator;
  return folder;
}

void InitDataLocations() { g_directory_path = DataFolder() + u"pagers.dat"; }

const Text& DirectoryPath() { return g_directory_path; }

Text SendLogFolder() { return DataFolder(); }

Text ListsFolder() {
  const char16_t sep = platform::kPathSeparator;
  Text folder = platform::GetEnv("USERPROFILE");
  folder += sep;
  folder += u"Documents";
  folder += sep;
  folder += u"Tellwave";
  folder += sep;
  return folder;
}

}  // namespace tw
