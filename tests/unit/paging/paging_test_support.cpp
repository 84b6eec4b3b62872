#include "paging_test_support.h"

#include "common/data_locations.h"

namespace tw::testing {

InTempFolder::InTempFolder() : previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(std::filesystem::path(folder_.path()));
  InitDataLocations();
}

InTempFolder::~InTempFolder() {
  // The folder cannot go while it is the current directory on Windows.
  std::filesystem::current_path(previous_);
  InitDataLocations();
}

}  // namespace tw::testing
