// What an image dictionary says beyond its size and filter: colour space, decode parameters,
// /Decode and /ImageMask, needed to decode and colour the picture.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "images/readers.h"
#include "pdf/doc_reader.h"
#include "pdf/more_filters.h"
#include "pdf/object_resolver.h"
#include "pdf/predictor.h"

namespace paginor {

enum class TColorFamily { Unknown, Gray, Rgb, Cmyk, Indexed };

struct TImageAttributes {
  TColorFamily Family = TColorFamily::Unknown;
  TColorFamily Base = TColorFamily::Unknown;  // of an /Indexed space
  int HiVal = 0;
  std::string Lookup;     // /Indexed table bytes, Base components per entry
  bool Inverted = false;  // /Decode [1 0]
  bool ImageMask = false;
  TPredictorParams Predictor;
  TCcittParams Ccitt;
  // The modern reader's decoding: every filter of the stream in order (the picture's own
  // decoder last), and the /JBIG2Globals stream's data.
  bool Modern = false;
  std::vector<TFilterStep> Chain;
  std::pair<int32_t, int32_t> GlobalsRef{0, 0};  // its object and generation
  std::string Jbig2Globals;
};

// The classic reader's attributes from an image dictionary's entries. Strings are decrypted
// with the key of the object that holds them (the image, or a colour space object of its own).
TImageAttributes ReadImageAttributes(TDocReader& reader, const std::vector<TDictEntry>& entries,
                                     int32_t obj_num, int32_t gen);

// The modern reader's attributes from the typed dictionary of picture object image: also the
// filter chain with its parameters and the /JBIG2Globals stream.
TImageAttributes ReadImageAttributes(TObjectResolver& objects, const TPdfObject& dict,
                                     TPdfRef image);

// The colour table of a palette bitmap of the given depth for these attributes.
std::vector<TRGBQuad> PaletteFor(const TImageAttributes& attributes, int bits);

}  // namespace paginor
