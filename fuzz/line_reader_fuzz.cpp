// Arbitrary bytes through the recipient-line reader of both loaders.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "directory/directory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto lines = tw::ReadRecipientFileLines(bytes);
  const auto picker = tw::RecipientRowsFromBytes(bytes);
  const auto grid = tw::GridRowsFromBytes(bytes);
  // Every line gives a grid row; only hidden lines give no picker row.
  if (grid.size() != lines.size() || picker.size() > lines.size()) std::abort();
  for (const auto& row : grid)
    if (row.size() != 4 || !row[0].empty()) std::abort();
  return 0;
}
