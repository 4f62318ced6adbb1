// The Unicode characters of the CIDs of the public character collections (Adobe-Japan1,
// Adobe-GB1, Adobe-CNS1, Adobe-Korea1), for CID fonts that name no characters themselves.
// The tables are Adobe's, as Debian's poppler-data installs them (cidToUnicode/<collection>:
// one hexadecimal code point per line, line n for CID n).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace paginor {

using TCollectionCharacters = std::vector<char32_t>;  // by CID; 0 where there is none

// The table of a collection named registry-ordering ("Adobe-Japan1"), read once and kept;
// null when the name is not a collection's or no table is installed.
std::shared_ptr<const TCollectionCharacters> CollectionCharacters(std::string_view collection);

// Where the tables are looked for: "/usr/share/poppler" unless set (tests).
void SetCollectionDataDirectory(std::string directory);

// The table from its text: malformed lines are CIDs without a character; bounded in size.
TCollectionCharacters ParseCollectionTable(std::string_view text);

}  // namespace paginor
