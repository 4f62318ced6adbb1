// The stream filters a reader decodes: each name (and abbreviation) with its decoder and the
// parameters it takes from /DecodeParms. The classic and the modern reader differ only in the
// registry they are given.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/filters.h"
#include "pdf/more_filters.h"

namespace paginor {

class TFilterRegistry {
 public:
  using TDecode = std::string (*)(const TFilterStep& step, std::string_view data, std::size_t limit,
                                  bool* limit_reached);

  // ASCII85, Flate and LZW by their full names, without parameters.
  static const TFilterRegistry& Classic();
  // Every filter that leaves bytes rather than a picture, abbreviations included, with
  // predictors, /EarlyChange and /Crypt (which passes the data: decryption comes first).
  static const TFilterRegistry& Modern();

  bool Knows(std::string_view name) const { return Find(name) != nullptr; }
  // The data with one filter undone; nothing when the registry does not know the filter.
  std::optional<std::string> Decode(const TFilterStep& step, std::string_view data,
                                    std::size_t limit = kMaxInflatedSize,
                                    bool* limit_reached = nullptr) const;

 private:
  struct TEntry {
    std::string_view Name;
    TDecode Decoder;
  };
  TFilterRegistry(std::vector<TEntry> entries, bool abbreviations)
      : entries_(std::move(entries)), abbreviations_(abbreviations) {}
  const TEntry* Find(std::string_view name) const;

  std::vector<TEntry> entries_;
  bool abbreviations_ = false;
};

// A filter's full name for its abbreviation ("/Fl" → "/FlateDecode", "/DCT" → "/DCTDecode");
// any other name as it is.
std::string_view FullFilterName(std::string_view name);

}  // namespace paginor
