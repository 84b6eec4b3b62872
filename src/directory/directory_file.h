#pragma once
// pagers.dat and the saved-list files: one recipient line per person,
// "Last, First;PagerID", 8-bit text with CR LF line ends.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/records.h"
#include "common/row_list.h"
#include "common/text.h"

namespace tw {

// Splits file content into lines. Each line may begin with its own
// byte-order mark, which chooses how that line alone is decoded (UTF-16LE,
// UTF-8, or else 8-bit text). Lines end at LF, CR, CR LF, NUL or the end.
std::vector<Text> ReadRecipientFileLines(std::string_view bytes);

// The picker's view of a line: split at its first ";".
RecipientRow SplitRecipientLine(TextView line);
// The editor's view of a line: last name before the first ",", first name
// after the one character that follows it, pager ID after the first ";".
PagerRecord SplitDirectoryLine(TextView line);
// The line the directory file holds for a record.
Text JoinDirectoryLine(const PagerRecord& record);

// Appends a row (display name, pager ID) per line not starting with "#".
void LoadRecipientLines(RowList& list, const Text& path);
// Appends a grid row ("", last, first, pager ID) per line, hidden ones too.
void LoadDirectoryIntoGrid(RowList& grid, const Text& path);
// Writes the grid's complete rows to the file in one step; rows with an
// empty cell are left out. False when the file could not be replaced.
bool SaveDirectoryFromGrid(const RowList& grid, const Text& path);
// Rewrites the file without empty and "," lines, sorted without regard to
// the case of A to Z. A file that is not 8-bit text, a read-only file and
// one that cannot be read are left as they are. True when it was written.
bool CompactDirectoryFile(const Text& path);

// The rows the two loaders append, from a file's bytes.
std::vector<Row> RecipientRowsFromBytes(std::string_view bytes);
std::vector<Row> GridRowsFromBytes(std::string_view bytes);
// The compacted content of a directory file, or nothing when the bytes are
// not 8-bit text and must be left alone.
std::optional<std::string> CompactDirectoryBytes(std::string_view bytes);

// The directory order: A-Z folded to a-z, then 16-bit code units.
bool DirectoryLineLess(TextView a, TextView b);

}  // namespace tw
