#include "pdf/filter_registry.h"

#include <array>
#include <utility>

#include "pdf/predictor.h"

namespace paginor {

namespace {

std::string Ascii85(const TFilterStep&, std::string_view data, std::size_t limit, bool* reached) {
  return DecodeASCII85(data, limit, reached);
}
std::string AsciiHex(const TFilterStep&, std::string_view data, std::size_t limit, bool* reached) {
  return DecodeASCIIHex(data, limit, reached);
}
std::string RunLength(const TFilterStep&, std::string_view data, std::size_t limit, bool* reached) {
  return DecodeRunLength(data, limit, reached);
}
std::string Passed(const TFilterStep&, std::string_view data, std::size_t, bool* reached) {
  if (reached != nullptr) *reached = false;
  return std::string(data);
}
std::string PlainFlate(const TFilterStep&, std::string_view data, std::size_t limit,
                       bool* reached) {
  return DecodeFlate(data, limit, reached);
}
std::string PlainLzw(const TFilterStep&, std::string_view data, std::size_t limit, bool* reached) {
  return DecodeLZW(data, limit, reached);
}
// Predicted rows are one byte longer than the rows they give: undoing never grows them.
std::string Flate(const TFilterStep& step, std::string_view data, std::size_t limit,
                  bool* reached) {
  std::string out = DecodeFlate(data, limit, reached);
  return step.Predictor.Predictor >= 2 ? UndoPredictor(out, step.Predictor) : out;
}
std::string Lzw(const TFilterStep& step, std::string_view data, std::size_t limit, bool* reached) {
  std::string out = DecodeLZW(data, limit, reached, step.EarlyChange);
  return step.Predictor.Predictor >= 2 ? UndoPredictor(out, step.Predictor) : out;
}

constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kAbbreviations{{
    {"/A85", "/ASCII85Decode"},
    {"/AHx", "/ASCIIHexDecode"},
    {"/Fl", "/FlateDecode"},
    {"/LZW", "/LZWDecode"},
    {"/RL", "/RunLengthDecode"},
    {"/DCT", "/DCTDecode"},
    {"/CCF", "/CCITTFaxDecode"},
}};

}  // namespace

std::string_view FullFilterName(std::string_view name) {
  for (const auto& [abbreviation, full] : kAbbreviations) {
    if (name == abbreviation) return full;
  }
  return name;
}

const TFilterRegistry& TFilterRegistry::Classic() {
  static const TFilterRegistry registry(
      {{"/ASCII85Decode", &Ascii85}, {"/FlateDecode", &PlainFlate}, {"/LZWDecode", &PlainLzw}},
      /*abbreviations=*/false);
  return registry;
}

const TFilterRegistry& TFilterRegistry::Modern() {
  static const TFilterRegistry registry({{"/ASCII85Decode", &Ascii85},
                                         {"/ASCIIHexDecode", &AsciiHex},
                                         {"/FlateDecode", &Flate},
                                         {"/LZWDecode", &Lzw},
                                         {"/RunLengthDecode", &RunLength},
                                         {"/Crypt", &Passed}},
                                        /*abbreviations=*/true);
  return registry;
}

const TFilterRegistry::TEntry* TFilterRegistry::Find(std::string_view name) const {
  const std::string_view full = abbreviations_ ? FullFilterName(name) : name;
  for (const TEntry& entry : entries_) {
    if (entry.Name == full) return &entry;
  }
  return nullptr;
}

std::optional<std::string> TFilterRegistry::Decode(const TFilterStep& step, std::string_view data,
                                                   std::size_t limit, bool* limit_reached) const {
  const TEntry* entry = Find(step.Name);
  if (entry == nullptr) return std::nullopt;
  bool reached = false;
  std::string out = entry->Decoder(step, data, limit, &reached);
  if (limit_reached != nullptr) *limit_reached = reached;
  return out;
}

}  // namespace paginor
