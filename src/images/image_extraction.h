// Image extraction: the XObjects the pages name, their dictionaries, and the checking of
// /DCTDecode, /FlateDecode and /CCITTFaxDecode image streams, kept to be decoded into bitmaps
// when their pixels are wanted.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "images/image_attributes.h"
#include "images/pixolet.h"
#include "pdf/doc_reader.h"
#include "pdf/dyna_array.h"
#include "pdf/status.h"

namespace paginor {

// JPX and JBIG2 only for the modern reader; Flate stands for raw samples after its filters.
enum class TFilterKind { None = 0, DCT = 1, Flate = 2, CCITT = 3, JPX = 4, JBIG2 = 5 };

// The file a conversion read, as it was then. A JPEG stored in it unchanged is read from it
// again when it is wanted instead of being kept in memory.
struct TPictureFile {
  std::string Path;
  int64_t Size = 0;
  int64_t ModifiedNs = 0;
};
// The file at path as it is now; null when it cannot be looked at.
std::shared_ptr<const TPictureFile> PictureFileOf(const std::string& path);

// What decoding a picture needs, taken from the file when it was checked.
struct TPictureSource {
  TFilterKind Kind = TFilterKind::None;
  int32_t Width = 0;  // of the dictionary
  int32_t Height = 0;
  int32_t BitsPerComponent = 0;
  TImageAttributes Attributes;
  // The stream, decrypted. A JPEG's is its file as stored (the modern reader's generic filters
  // undone), the others' are undone again at each decoding, so raw samples are never held.
  std::string Data;
  // Instead of Data: where the stream lies in the file. Read again when wanted; empty when the
  // file has changed since.
  std::shared_ptr<const TPictureFile> File;
  int64_t Offset = 0;
  int64_t Length = 0;
  int64_t MaxBytes = 0;  // the largest bitmap the document's caps allow

  std::string Bytes() const;
};

// The bitmap of one picture, known by its size and depth, decoded only when its pixels are
// asked for. Copies share the source; none holds pixels.
class TPicture {
 public:
  TPicture() = default;
  TPicture(std::shared_ptr<const TPictureSource> source, int32_t width, int32_t height,
           int bit_count)
      : source_(std::move(source)), width_(width), height_(height), bit_count_(bit_count) {}
  // What the decoded bitmap measures: from the dictionary and, for JPEG, its frame header.
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int BitCount() const { return bit_count_; }
  // True when the data are kept and can be decoded.
  bool CanDecode() const { return source_ != nullptr; }
  // The whole bitmap, decoded anew at each call; empty when the data turn out damaged.
  TDIB Decode() const;
  // A bitmap at least min_width × min_height where the decoder can make it smaller at less
  // cost (JPEG), otherwise the whole one; for thumbnails.
  TDIB DecodeAtLeast(int32_t min_width, int32_t min_height) const;
  bool IsJpeg() const { return source_ && source_->Kind == TFilterKind::DCT; }
  // The JPEG file of a /DCTDecode picture as stored; empty for the other kinds, and when the
  // PDF file it is read from again has changed.
  std::string JpegBytes() const;

 private:
  std::shared_ptr<const TPictureSource> source_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int bit_count_ = 0;
};

// Decodes a source into a bitmap; empty when it is damaged. inflated, when given, receives
// the bytes the generic filters made, for the conversion's count.
TDIB DecodePictureSource(const TPictureSource& source, int64_t* inflated = nullptr);

struct TImageRec {
  std::string Name;  // the resource name with its "/", as the first page naming it spells it
  int32_t ObjNum = 0;
  int32_t Gen = 0;
  int32_t Length = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  TFilterKind FilterKind = TFilterKind::None;
  int32_t BitsPerComponent = 0;
  int64_t ObjectPos = 0;  // where the object's dictionary begins
  int64_t StreamPos = 0;  // just after it
  bool IsImage = false;
  TPicture Bitmap;
  // Its size on the page where it is first shown, in points; 0 until then.
  double ShownWidth = 0;
  double ShownHeight = 0;
  // A /DCTDecode picture's stream as stored (decrypted): saved as JPEG without re-encoding.
  std::string JpegBytes() const { return Bitmap.JpegBytes(); }
};

// Which image a page's resource name stands for, after the list has been pruned.
class TPageImages {
 public:
  // The 1-based image number that the name means on the page (0-based index), or 0.
  int ImageNumber(int page_index, const std::string& name) const;
  // The 1-based image number of a picture object (one inside a form), or 0.
  int ImageNumberOfObject(int32_t object) const;

  // Filled by the extraction.
  std::vector<std::map<std::string, int>> ids_by_page;  // page -> name -> record id
  std::vector<int> number_by_id;                        // record id -> image number, 0: dropped
  std::unordered_map<int32_t, int> id_by_object;        // picture object -> record id
};

struct TImageExtraction {
  int ImagesFound = 0;  // distinct XObjects the pages name
  int ImagesRead = 0;   // images that passed their checks and are kept
  TPageImages Pages;
};

// Handed each picture that passes its checks, in order, with its number: the bitmap when the
// check decoded it (CCITT, JPX, JBIG2), else an empty one. The picture's data are there
// whether or not the records keep them.
using TPictureSink = std::function<void(int number, const TImageRec& image, const TDIB& decoded)>;

// Collects, reads and (when read_pictures) checks the pages' images into images, which is
// emptied first; writes the two status lines. A JPEG is checked by its headers, raw (Flate)
// samples by counting them, the other kinds by decoding them; no pixels are kept. keep_data false
// keeps only each picture's size and depth (for numbering and links), so that nothing can be
// decoded later. file, the file the reader's buffer was read from, lets JPEG data be read from it
// again instead of kept. go_on is pumped before each picture is decoded; false stops the
// decoding, and what was decoded so far is kept.
TImageExtraction ExtractImages(TDocReader& reader, TDynaArray<TImageRec>& images,
                               bool read_pictures, const TStatusSink& status,
                               const TPumpAndCancel& go_on = {}, bool keep_data = true,
                               const TPictureSink& sink = {},
                               const std::shared_ptr<const TPictureFile>& file = nullptr);

}  // namespace paginor
