// The end of the file, the cross-reference sections (classic, streams and repair) and the
// trailer, then the catalog and the page tree, as the driver reads them before the pages.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_check.h"
#include "pdf/doc_reader.h"
#include "pdf/inherited.h"
#include "pdf/page_tree.h"
#include "pdf/repair.h"
#include "pdf/unlock.h"
#include "pdf/xref.h"

namespace {

class NoPassword final : public paginor::TPasswordPrompt {
 public:
  std::optional<std::string> AskPassword() override { return std::nullopt; }
  void WrongPassword() override {}
};

// One reading of the structure, classic or modern.
void ReadStructure(const std::string& bytes, bool modern) {
  paginor::TDocReader reader(bytes);
  reader.SetRules(modern ? paginor::TReadingRules::Modern() : paginor::TReadingRules::Classic());
  paginor::TCapLimits& limits = reader.Caps.Limits;
  limits.KidsEntries = 256;
  limits.ContentStreams = 256;
  paginor::ReadXrefAndTrailer(reader);
  // The table never outgrows what the file could hold, with the modern reader's room for
  // sparse numbers.
  FUZZ_CHECK(reader.XrefCount() <= reader.Size() / 4 + (modern ? 65536 : 4096));
  FUZZ_CHECK(reader.XrefCount() <= limits.XrefEntries);
  if (reader.Invalid || !reader.RootFound) return;
  if (reader.Encrypted) {
    NoPassword prompt;
    paginor::UnlockDocument(reader, prompt);
    if (reader.Invalid) return;
  }
  if (modern) paginor::ExpandObjectStreams(reader);
  paginor::ReadCatalog(reader);
  if (reader.Invalid) return;
  paginor::WalkPageTree(reader);
  FUZZ_CHECK(static_cast<std::size_t>(reader.Kids.Count()) <= limits.KidsEntries);
  FUZZ_CHECK(reader.Pages.Count() <= reader.Kids.Count());
  paginor::ReadPageDictionaries(reader);
  if (modern) paginor::ApplyInheritedAttributes(reader);
  std::size_t streams = 0;
  for (const paginor::TPageRec& page : reader.Pages)
    streams += static_cast<std::size_t>(page.Contents.Count());
  FUZZ_CHECK(streams <= limits.ContentStreams);
  paginor::ReadPageResources(reader);
  for (const paginor::TPageRec& page : reader.Pages) {
    FUZZ_CHECK(!page.HasFonts || (page.FontPos >= 0 && page.FontPos <= reader.Size() + 2));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ReadStructure(bytes, false);
  ReadStructure(bytes, true);
  return 0;
}
