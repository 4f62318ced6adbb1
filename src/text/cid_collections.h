// The Unicode characters of the CIDs of the public character collections (Adobe-Japan1,
// Adobe-GB1, Adobe-CNS1, Adobe-Korea1), for CID fonts that name no characters themselves, and
// the predefined CMaps that select those CIDs.
// The tables are Adobe's, as Debian's poppler-data installs them (cidToUnicode/<collection>:
// one hexadecimal code point per line, line n for CID n).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/cmap.h"

namespace paginor {

using TCollectionCharacters = std::vector<char32_t>;  // by CID; 0 where there is none

// The table of a collection named registry-ordering ("Adobe-Japan1"), read once and kept;
// null when the name is not a collection's or no table is installed.
std::shared_ptr<const TCollectionCharacters> CollectionCharacters(std::string_view collection);

// The program of a predefined CMap ("90ms-RKSJ-H", "GBK-EUC-H"), from the CMaps installed
// beside the tables (cMap/<collection>/<name>); nothing when the name is not installed.
std::optional<std::string> PredefinedCMapProgram(std::string_view name);
// That CMap read (with the CMaps it uses), once, and kept; null when it is not installed.
std::shared_ptr<const TCodeToCid> PredefinedCodeToCid(std::string_view name);

// Where the tables are looked for: "/usr/share/poppler" unless set (tests).
void SetCollectionDataDirectory(std::string directory);

// The table from its text: malformed lines are CIDs without a character; bounded in size.
TCollectionCharacters ParseCollectionTable(std::string_view text);

}  // namespace paginor
