#include "images/image_extraction.h"

#include <algorithm>
#include <unordered_map>

#include "images/flate_image.h"
#include "images/image_attributes.h"
#include "images/image_filters.h"
#include "images/jbig2_reader.h"
#include "images/jpx_reader.h"
#include "images/readers.h"
#include "pdf/filters.h"
#include "pdf/literals.h"
#include "pdf/predictor.h"

namespace paginor {

int TPageImages::ImageNumber(int page_index, const std::string& name) const {
  if (page_index < 0 || page_index >= static_cast<int>(ids_by_page.size())) return 0;
  const auto& names = ids_by_page[static_cast<std::size_t>(page_index)];
  const auto it = names.find(name);
  if (it == names.end() || it->second < 0 || it->second >= static_cast<int>(number_by_id.size())) {
    return 0;
  }
  return number_by_id[static_cast<std::size_t>(it->second)];
}

namespace {

bool IsReference(const TDictEntry& e) {
  return e.Tokens.size() >= 4 && e.Tokens[3] == "R";
}

// Every page's /XObject names; one record per distinct object, in order of first appearance.
// Returns the record id of each image in `images`, in list order (ids are list positions
// before pruning).
void CollectImages(TDocReader& reader, TDynaArray<TImageRec>& images, TPageImages& pages) {
  std::unordered_map<int32_t, int> id_of_object;
  pages.ids_by_page.assign(static_cast<std::size_t>(reader.Pages.Count()), {});
  // The names of all pages count against the resource cap: many pages naming one large
  // dictionary must not multiply it.
  std::size_t names_left = reader.Caps.Limits.ResourceNames;
  for (int p = 0; p < reader.Pages.Count(); ++p) {
    const TPageRec& page = reader.Pages[p];
    if (!page.HasXObjects) continue;
    if (names_left == 0) {
      reader.Caps.Reached(TCap::Resources);
      break;
    }
    auto& names = pages.ids_by_page[static_cast<std::size_t>(p)];
    reader.SetPos(page.XObjectPos);
    reader.ReadDict();
    for (const TDictEntry& entry : reader.DictEntries) {
      const std::string& name = entry.Tokens[0];
      if (names.contains(name)) continue;
      if (names_left == 0) {
        reader.Caps.Reached(TCap::Resources);
        break;
      }
      --names_left;
      std::optional<int32_t> num;
      if (IsReference(entry)) {
        num = ParseInt32(entry.Tokens[1]);
        if (num) {
          const auto known = id_of_object.find(*num);
          if (known != id_of_object.end()) {
            names[name] = known->second;
            continue;
          }
        }
      }
      const int id = images.Count();
      TImageRec* image = images.Append();
      image->Name = name;
      if (IsReference(entry)) {
        const auto gen = ParseInt32(entry.Tokens[2]);
        const int64_t saved = reader.GetPos();
        if (num && gen && reader.GotoObject(*num, *gen)) {
          image->ObjectPos = static_cast<int32_t>(reader.GetPos());
          image->ObjNum = *num;
          image->Gen = *gen;
        }
        reader.SetPos(saved);
        if (num) id_of_object[*num] = id;
      } else {
        image->ObjectPos = entry.ValuePos;
      }
      names[name] = id;
    }
    reader.FreeDict();
  }
}

// The dictionary pass: size, depth, length and filter of each record, and what decoding
// needs beyond them.
std::vector<TImageAttributes> ReadImageDictionaries(TDocReader& reader,
                                                    TDynaArray<TImageRec>& images) {
  std::vector<TImageAttributes> attributes;
  for (TImageRec& image : images) {
    reader.SetPos(image.ObjectPos);
    reader.ReadDict();
    image.StreamPos = static_cast<int32_t>(reader.GetPos());
    // Looking up referenced values reads further dictionaries: work on a copy.
    std::vector<TDictEntry> entries(reader.DictEntries.begin(), reader.DictEntries.end());
    reader.FreeDict();
    for (const TDictEntry& e : entries) {
      const auto& t = e.Tokens;
      if (t.size() < 2) continue;
      const std::string& key = t[0];
      if (key == "/Subtype" && t[1] == "/Image") {
        image.IsImage = true;
      } else if (key == "/Width") {
        image.Width = ParseInt32(t[1]).value_or(image.Width);
      } else if (key == "/Height") {
        image.Height = ParseInt32(t[1]).value_or(image.Height);
      } else if (key == "/BitsPerComponent") {
        image.BitsPerComponent = ParseInt32(t[1]).value_or(image.BitsPerComponent);
      } else if (key == "/Length" && IsReference(e)) {
        const int64_t saved = reader.GetPos();
        if (reader.GotoObject(ParseInt32(t[1]).value_or(-1))) image.Length = reader.ReadTokenInt();
        reader.SetPos(saved);
      } else if (key == "/Length" && t.size() == 2) {
        image.Length = ParseInt32(t[1]).value_or(image.Length);
      } else if (key == "/Filter") {
        image.FilterKind = t[1] == "/DCTDecode"        ? TFilterKind::DCT
                           : t[1] == "/FlateDecode"    ? TFilterKind::Flate
                           : t[1] == "/CCITTFaxDecode" ? TFilterKind::CCITT
                                                       : TFilterKind::None;
      }
    }
    attributes.push_back(ReadImageAttributes(reader, entries, image.ObjNum, image.Gen));
    // The modern reader takes /Filter arrays and more picture decoders.
    if (reader.Modern) image.FilterKind = ModernFilterKind(attributes.back().Chain);
  }
  return attributes;
}

// The stream data of a record: after "stream" and its one line end. A keyword followed by
// other white space is still taken, the data starting after it.
std::optional<std::string> ReadImageStream(TDocReader& reader, const TImageRec& image,
                                           const TImageAttributes& a) {
  reader.SetPos(image.StreamPos);
  if (!reader.AtStreamData()) {
    reader.SetPos(image.StreamPos);
    if (reader.ReadToken() != "stream") return std::nullopt;
  }
  std::string data = reader.ReadBytes(image.Length);
  if (reader.Encrypted && a.Modern) {
    reader.Security.DecryptStream(image.ObjNum, image.Gen, data, StreamCryptFilter(a.Chain));
  } else if (reader.Encrypted) {
    reader.Security.DecryptObject(image.ObjNum, image.Gen, data);
  }
  return data;
}

// The pixel memory of the bitmap that decoding the record would make at least, from its
// dictionary: JPEG pictures become 24 bits, CCITT pictures 1 bit, Flate pictures 24 bits for
// RGB and otherwise the palette depth of their samples.
int64_t BitmapBytesFor(const TImageRec& image, const TImageAttributes& a) {
  int depth = 1;
  switch (image.FilterKind) {
    case TFilterKind::DCT:
      depth = 24;
      break;
    case TFilterKind::Flate:
      depth = a.Family == TColorFamily::Rgb || (a.Modern && a.Family == TColorFamily::Cmyk)
                  ? 24
                  : std::clamp(image.BitsPerComponent, 1, 8);
      break;
    case TFilterKind::JPX:
      depth = 24;
      break;
    case TFilterKind::CCITT:
    case TFilterKind::JBIG2:
    case TFilterKind::None:
      break;
  }
  return int64_t{DibRowBytes(image.Width, depth)} * image.Height;
}

bool DecodeImage(TDocReader& reader, TImageRec& image, const std::string& stream,
                 const TImageAttributes& a) {
  const bool sized = image.IsImage && image.Width > 0 && image.Height > 0 &&
                     image.BitsPerComponent > 0 && image.Length > 0;
  // The modern reader undoes the generic filters before the picture's own decoder first; for
  // raw samples that is all of them.
  std::string undone;
  if (a.Modern && image.FilterKind != TFilterKind::None && image.Length > 0) {
    undone = UndoGenericFilters(a.Chain, stream, image.FilterKind, kMaxInflatedSize);
    reader.CountStreamBytes(static_cast<int64_t>(undone.size()));
  }
  const std::string& data = a.Modern ? undone : stream;
  const int64_t max_bytes = std::min(reader.Caps.Limits.ImageBytes, kMaxBitmapBytes);
  switch (image.FilterKind) {
    case TFilterKind::DCT:
      if (!sized) return false;
      ReadJpeg(image.Bitmap, data);
      if (image.Bitmap.HasBits()) image.JpegData = data;
      break;
    case TFilterKind::Flate: {
      if (!sized) return false;
      std::string samples;
      if (a.Modern) {
        samples = data;
      } else {
        samples = DecodeFlate(data);
        reader.CountStreamBytes(static_cast<int64_t>(samples.size()));
        if (a.Predictor.Predictor >= 2) samples = UndoPredictor(samples, a.Predictor);
      }
      FlateSamplesToDib(image.Bitmap, samples, image.Width, image.Height, image.BitsPerComponent,
                        a);
      break;
    }
    case TFilterKind::CCITT:
      if (!sized || image.Width <= 1 || image.Height <= 1) return false;
      ReadCcitt(image.Bitmap, image.Width, image.Height, data, a.Ccitt);
      if (image.Bitmap.HasBits() && a.Inverted) {
        const TRGBQuad swapped[2] = {image.Bitmap.Colors()[1], image.Bitmap.Colors()[0]};
        TDIB inverted;
        newdib(inverted, image.Width, image.Height, 1, swapped, 2);
        for (int32_t y = 0; y < image.Height && inverted.HasBits(); ++y) {
          std::copy_n(image.Bitmap.Row(y), image.Bitmap.RowBytes(), inverted.Row(y));
        }
        image.Bitmap = inverted;
      }
      break;
    case TFilterKind::JPX:
      // The codestream says its depth: /BitsPerComponent may be left out.
      if (!image.IsImage || image.Width <= 0 || image.Height <= 0 || image.Length <= 0) {
        return false;
      }
      ReadJpx(image.Bitmap, data, a, max_bytes);
      break;
    case TFilterKind::JBIG2:
      if (!sized) return false;
      ReadJbig2(image.Bitmap, data, a.Jbig2Globals, a.Inverted, max_bytes);
      break;
    case TFilterKind::None:
      return false;
  }
  return image.Bitmap.HasBits();
}

}  // namespace

TImageExtraction ExtractImages(TDocReader& reader, TDynaArray<TImageRec>& images,
                               bool read_pictures, const TImageStatusSink& status,
                               const TImageGoOn& go_on) {
  TImageExtraction result;
  images.Clear();
  CollectImages(reader, images, result.Pages);
  result.ImagesFound = images.Count();
  status(std::to_string(result.ImagesFound) + " Bilder/Objekte gefunden...");
  const std::vector<TImageAttributes> attributes = ReadImageDictionaries(reader, images);
  if (read_pictures) {
    const TCapLimits& limits = reader.Caps.Limits;
    int64_t pixel_bytes = 0;  // of the pictures decoded so far
    for (int i = 0; i < images.Count(); ++i) {
      if (go_on && !go_on()) break;
      TImageRec& image = images[i];
      const TImageAttributes& a = attributes[static_cast<std::size_t>(i)];
      if (image.Width > 0 && image.Height > 0 && BitmapBytesFor(image, a) > limits.ImageBytes) {
        reader.Caps.Reached(TCap::Image);
        continue;
      }
      if (pixel_bytes >= limits.ImagesBytes) {
        reader.Caps.Reached(TCap::Images);
        break;
      }
      if (!reader.CountStreamBytes(0)) break;
      const std::optional<std::string> data = ReadImageStream(reader, image, a);
      if (!data) continue;
      reader.CountStreamBytes(static_cast<int64_t>(data->size()));
      if (DecodeImage(reader, image, *data, a)) {
        ++result.ImagesRead;
        pixel_bytes += int64_t{image.Bitmap.RowBytes()} * image.Bitmap.Height();
      }
    }
  }
  // Pruning: only decoded pictures stay; the survivors are numbered from 1 in list order.
  result.Pages.number_by_id.assign(static_cast<std::size_t>(images.Count()), 0);
  int number = 0;
  for (int id = 0; id < images.Count(); ++id) {
    if (images[id].Bitmap.HasBits())
      result.Pages.number_by_id[static_cast<std::size_t>(id)] = ++number;
  }
  for (int i = images.Count() - 1; i >= 0; --i) {
    if (!images[i].Bitmap.HasBits()) images.Delete(i);
  }
  status(std::to_string(result.ImagesRead) + " JPEG-Bilder gelesen...");
  return result;
}

}  // namespace paginor
