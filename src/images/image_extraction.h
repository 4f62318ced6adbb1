// Image extraction: the XObjects the pages name, their dictionaries, and the decoding of
// /DCTDecode, /FlateDecode and /CCITTFaxDecode image streams into bitmaps.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "images/pixolet.h"
#include "pdf/doc_reader.h"
#include "pdf/dyna_array.h"

namespace paginor {

// JPX and JBIG2 only for the modern reader; Flate stands for raw samples after its filters.
enum class TFilterKind { None = 0, DCT = 1, Flate = 2, CCITT = 3, JPX = 4, JBIG2 = 5 };

struct TImageRec {
  std::string Name;  // the resource name with its "/", as the first page naming it spells it
  int32_t ObjNum = 0;
  int32_t Gen = 0;
  int32_t Length = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  TFilterKind FilterKind = TFilterKind::None;
  int32_t BitsPerComponent = 0;
  int32_t ObjectPos = 0;  // where the object's dictionary begins
  int32_t StreamPos = 0;  // just after it
  bool IsImage = false;
  TDIB Bitmap;
  // A /DCTDecode picture's stream as stored (decrypted): saved as JPEG without re-encoding.
  std::string JpegData;
};

// Which image a page's resource name stands for, after the list has been pruned.
class TPageImages {
 public:
  // The 1-based image number that the name means on the page (0-based index), or 0.
  int ImageNumber(int page_index, const std::string& name) const;

  // Filled by the extraction.
  std::vector<std::map<std::string, int>> ids_by_page;  // page -> name -> record id
  std::vector<int> number_by_id;                        // record id -> image number, 0: dropped
};

struct TImageExtraction {
  int ImagesFound = 0;  // distinct XObjects the pages name
  int ImagesRead = 0;   // images decoded
  TPageImages Pages;
};

using TImageStatusSink = std::function<void(const std::string&)>;

// Asked before each picture is decoded (the window processes its events there); false stops
// the decoding, and what was decoded so far is kept.
using TImageGoOn = std::function<bool()>;

// Collects, reads and (when read_pictures) decodes the pages' images into images, which is
// emptied first; writes the two status lines.
TImageExtraction ExtractImages(TDocReader& reader, TDynaArray<TImageRec>& images,
                               bool read_pictures, const TImageStatusSink& status,
                               const TImageGoOn& go_on = {});

}  // namespace paginor
