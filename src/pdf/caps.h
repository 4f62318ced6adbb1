// The caps that a hostile file cannot push past. Reaching one never ends a conversion: what
// was read up to it is kept, and a status line says so, once per cap and conversion.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "pdf/status.h"

namespace paginor {

enum class TCap : uint8_t {
  Nesting,      // dictionaries and arrays inside one dictionary
  Dictionary,   // tokens of one dictionary
  Document,     // dictionary tokens, content bytes, text and runs of the whole file
  PageTree,     // entries of all /Kids arrays, content streams of all pages
  Xref,         // object numbers of the cross-reference table
  Content,      // decoded bytes of one content stream, and of one page's streams together
  Image,        // pixel memory of one picture, from its dictionary
  Images,       // data the picture list keeps for all pictures together
  Resources,    // font and XObject names of all pages, font records
  Operands,     // operands waiting for their operator
  SavedStates,  // graphics states saved with q
  Runs,         // text runs of one page
  Blanks,       // blanks that fill one gap of the layout
  EmptyLines,   // empty lines that fill one vertical distance
};
inline constexpr std::size_t kCapCount = static_cast<std::size_t>(TCap::EmptyLines) + 1;

// The values of the caps. Real files stay far below every one; tests lower them.
struct TCapLimits {
  int Nesting = 128;
  std::size_t DictionaryTokens = std::size_t{1} << 22;
  std::size_t DocumentDictionaryTokens = std::size_t{1} << 26;
  int64_t DocumentContentBytes = int64_t{2} << 30;
  int64_t DocumentTextLength = int64_t{256} << 20;
  int DocumentRuns = 1 << 23;  // runs kept for the page preview
  std::size_t KidsEntries = std::size_t{1} << 20;
  std::size_t ContentStreams = std::size_t{1} << 22;
  int64_t XrefEntries = int64_t{1} << 23;
  std::size_t ContentBytes = std::size_t{256} << 20;
  int64_t ImageBytes = int64_t{512} << 20;
  int64_t ImagesBytes = int64_t{2} << 30;
  std::size_t ResourceNames = std::size_t{1} << 20;
  int FontRecords = 1 << 16;
  std::size_t Operands = std::size_t{1} << 20;
  std::size_t SavedStates = 4096;
  int Runs = 1 << 18;
  int64_t Blanks = 2000;
  int64_t EmptyLines = 2000;
};

// The status line of a cap, in German like every line of the progress window.
const char* CapStatusLine(TCap cap);

// The caps of one conversion: their values and which of them were reached.
class TCaps {
 public:
  TCapLimits Limits;

  // Where the status lines go; without a sink reaching a cap is only recorded.
  void SetSink(TStatusSink sink) { sink_ = std::move(sink); }
  // Records the cap; the first time, its status line goes to the sink.
  void Reached(TCap cap);
  bool WasReached(TCap cap) const { return reached_[static_cast<std::size_t>(cap)]; }

 private:
  TStatusSink sink_;
  std::array<bool, kCapCount> reached_{};
};

}  // namespace paginor
