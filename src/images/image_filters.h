// The modern reader's image filters: a /Filter array's generic filters undone in turn before
// the picture's own decoder, and the decoder the chain ends in.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "images/image_extraction.h"
#include "pdf/more_filters.h"

namespace paginor {

// The last filter when it makes a picture (DCT, CCITT, JPX, JBIG2, abbreviations included);
// Flate, the kind of raw samples, when every filter is generic; None when the chain is empty
// or holds a filter that is neither, or a picture decoder before its end.
TFilterKind ModernFilterKind(const std::vector<TFilterStep>& chain);

// The data for the decoder of kind: every generic filter of the chain undone in order (for
// Flate all of them, predictors included). Each stops at limit bytes.
std::string UndoGenericFilters(const std::vector<TFilterStep>& chain, std::string data,
                               TFilterKind kind, std::size_t limit);

}  // namespace paginor
