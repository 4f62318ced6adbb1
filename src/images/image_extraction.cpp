#include "images/image_extraction.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <unordered_map>

#include "images/flate_image.h"
#include "images/form_pictures.h"
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

int TPageImages::ImageNumberOfObject(int32_t object) const {
  const auto it = id_by_object.find(object);
  if (it == id_by_object.end() || it->second < 0 ||
      it->second >= static_cast<int>(number_by_id.size())) {
    return 0;
  }
  return number_by_id[static_cast<std::size_t>(it->second)];
}

namespace {

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
    std::vector<TPdfRef> forms;  // what the page names by reference: forms among them
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
        {
          TSavedCursor saved(reader);
          if (num && gen && reader.GotoObject(*num, *gen)) {
            image->ObjectPos = reader.GetPos();
            image->ObjNum = *num;
            image->Gen = *gen;
          }
        }
        if (num) id_of_object[*num] = id;
      } else {
        image->ObjectPos = entry.ValuePos;
      }
      names[name] = id;
      if (num && IsReference(entry))
        forms.push_back({*num, ParseInt32(entry.Tokens[2]).value_or(0)});
    }
    reader.FreeDict();
    // The modern reader also finds the pictures that the page's forms show, after the page's
    // own: they get their numbers, files and links like those.
    if (!reader.Rules().MorePictures || forms.empty()) continue;
    for (const TFormPicture& picture : PicturesInForms(reader, forms, names_left)) {
      if (id_of_object.contains(picture.Ref.Num)) continue;
      const int id = images.Count();
      TImageRec* image = images.Append();
      image->Name = picture.Name;
      {
        TSavedCursor saved(reader);
        if (reader.GotoObject(picture.Ref.Num, picture.Ref.Gen)) {
          image->ObjectPos = reader.GetPos();
          image->ObjNum = picture.Ref.Num;
          image->Gen = picture.Ref.Gen;
        }
      }
      id_of_object[picture.Ref.Num] = id;
    }
    forms.clear();
  }
  pages.id_by_object = std::move(id_of_object);
}

// The dictionary pass: size, depth, length and filter of each record, and what decoding
// needs beyond them.
std::vector<TImageAttributes> ReadImageDictionaries(TDocReader& reader,
                                                    TDynaArray<TImageRec>& images) {
  std::vector<TImageAttributes> attributes;
  TObjectResolver objects(reader);
  for (TImageRec& image : images) {
    reader.SetPos(image.ObjectPos);
    reader.ReadDict();
    image.StreamPos = reader.GetPos();
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
        TSavedCursor saved(reader);
        if (reader.GotoObject(ParseInt32(t[1]).value_or(-1))) image.Length = reader.ReadTokenInt();
      } else if (key == "/Length" && t.size() == 2) {
        image.Length = ParseInt32(t[1]).value_or(image.Length);
      } else if (key == "/Filter") {
        image.FilterKind = t[1] == "/DCTDecode"        ? TFilterKind::DCT
                           : t[1] == "/FlateDecode"    ? TFilterKind::Flate
                           : t[1] == "/CCITTFaxDecode" ? TFilterKind::CCITT
                                                       : TFilterKind::None;
      }
    }
    if (reader.Rules().MorePictures) {
      // The modern reader takes /Filter arrays and more picture decoders.
      attributes.push_back(ReadImageAttributes(objects, objects.ObjectAt(image.ObjectPos),
                                               {image.ObjNum, image.Gen}));
      image.FilterKind = ModernFilterKind(attributes.back().Chain);
    } else {
      attributes.push_back(ReadImageAttributes(reader, entries, image.ObjNum, image.Gen));
    }
  }
  return attributes;
}

// The stream data of a record: after "stream" and its one line end. A keyword followed by
// other white space is still taken, the data starting after it.
std::optional<int64_t> StreamDataPos(TDocReader& reader, const TImageRec& image) {
  reader.SetPos(image.StreamPos);
  if (!reader.AtStreamData()) {
    reader.SetPos(image.StreamPos);
    if (reader.ReadToken() != "stream") return std::nullopt;
  }
  return reader.GetPos();
}

// The stream data as the buffer holds them, up to its end; not copied.
std::string_view StoredBytes(const TDocReader& reader, int64_t offset, int64_t length) {
  if (length <= 0 || offset >= reader.Size()) return {};
  return reader.Buffer().substr(static_cast<std::size_t>(offset),
                                static_cast<std::size_t>(std::min(length, reader.Size() - offset)));
}

std::optional<std::string> ReadImageStream(TDocReader& reader, const TImageRec& image,
                                           const TImageAttributes& a, int64_t& offset) {
  const std::optional<int64_t> start = StreamDataPos(reader, image);
  if (!start) return std::nullopt;
  offset = *start;
  std::string data(StoredBytes(reader, offset, image.Length));
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

// The depth of the bitmap a checked JPEG decodes into.
constexpr int kJpegBitCount = 24;

bool Sized(const TImageRec& image) {
  return image.IsImage && image.Width > 0 && image.Height > 0 && image.BitsPerComponent > 0 &&
         image.Length > 0;
}

// The conditions under which a kind is decoded at all, from the dictionary.
bool Decodable(const TImageRec& image) {
  switch (image.FilterKind) {
    case TFilterKind::DCT:
    case TFilterKind::Flate:
    case TFilterKind::JBIG2:
      return Sized(image);
    case TFilterKind::CCITT:
      return Sized(image) && image.Width > 1 && image.Height > 1;
    case TFilterKind::JPX:
      // The codestream says its depth: /BitsPerComponent may be left out.
      return image.IsImage && image.Width > 0 && image.Height > 0 && image.Length > 0;
    case TFilterKind::None:
      break;
  }
  return false;
}

// How many bytes of samples the data of a Flate picture decode into, without keeping them
// where one inflate makes them; inflated receives what the generic filters make, as decoding
// counts it.
int64_t CountSamples(const std::string& data, const TImageAttributes& a, int64_t& inflated) {
  if (!a.Modern) {
    const std::size_t count = CountFlate(data);
    inflated = static_cast<int64_t>(count);
    return static_cast<int64_t>(PredictedSize(count, a.Predictor));
  }
  const bool one_inflate =
      a.Chain.size() == 1 && (a.Chain[0].Name == "/FlateDecode" || a.Chain[0].Name == "/Fl");
  const std::size_t count =
      one_inflate ? PredictedSize(CountFlate(data, kMaxInflatedSize), a.Chain[0].Predictor)
                  : UndoGenericFilters(a.Chain, data, TFilterKind::Flate, kMaxInflatedSize).size();
  inflated = static_cast<int64_t>(count);
  return inflated;
}

}  // namespace

TDIB DecodePictureSource(const TPictureSource& source, int64_t* inflated) {
  const TImageAttributes& a = source.Attributes;
  TDIB dib;
  const std::string reread = source.File ? source.Bytes() : std::string();
  const std::string& stored = source.File ? reread : source.Data;
  std::string undone;
  // The modern reader undoes the generic filters before the picture's own decoder; for raw
  // samples that is all of them. A kept JPEG has them undone already.
  if (a.Modern && source.Kind != TFilterKind::DCT) {
    undone = UndoGenericFilters(a.Chain, stored, source.Kind, kMaxInflatedSize);
    if (inflated) *inflated += static_cast<int64_t>(undone.size());
  }
  const std::string& data = a.Modern && source.Kind != TFilterKind::DCT ? undone : stored;
  switch (source.Kind) {
    case TFilterKind::DCT:
      ReadJpeg(dib, data);
      break;
    case TFilterKind::Flate: {
      std::string samples;
      if (a.Modern) {
        samples = data;
      } else {
        samples = DecodeFlate(data);
        if (inflated) *inflated += static_cast<int64_t>(samples.size());
        if (a.Predictor.Predictor >= 2) samples = UndoPredictor(samples, a.Predictor);
      }
      FlateSamplesToDib(dib, samples, source.Width, source.Height, source.BitsPerComponent, a);
      break;
    }
    case TFilterKind::CCITT:
      ReadCcitt(dib, source.Width, source.Height, data, a.Ccitt);
      if (dib.HasBits() && a.Inverted) {
        const TRGBQuad swapped[2] = {dib.Colors()[1], dib.Colors()[0]};
        TDIB inverted;
        newdib(inverted, source.Width, source.Height, 1, swapped, 2);
        for (int32_t y = 0; y < source.Height && inverted.HasBits(); ++y) {
          std::copy_n(dib.Row(y), dib.RowBytes(), inverted.Row(y));
        }
        dib = inverted;
      }
      break;
    case TFilterKind::JPX:
      ReadJpx(dib, data, a, source.MaxBytes);
      break;
    case TFilterKind::JBIG2:
      ReadJbig2(dib, data, a.Jbig2Globals, a.Inverted, source.MaxBytes);
      break;
    case TFilterKind::None:
      break;
  }
  return dib;
}

TDIB TPicture::Decode() const {
  if (!source_) return {};
  return DecodePictureSource(*source_);
}

TDIB TPicture::DecodeAtLeast(int32_t min_width, int32_t min_height) const {
  if (!source_) return {};
  if (source_->Kind != TFilterKind::DCT) return Decode();
  TDIB dib;
  ReadJpegScaled(dib, source_->Bytes(), min_width, min_height);
  return dib;
}

std::string TPicture::JpegBytes() const {
  if (!IsJpeg()) return {};
  return source_->Bytes();
}

std::shared_ptr<const TPictureFile> PictureFileOf(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  auto file = std::make_shared<TPictureFile>();
  file->Path = path;
  file->Size = static_cast<int64_t>(info.st_size);
  file->ModifiedNs = int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
  return file;
}

std::string TPictureSource::Bytes() const {
  if (!File) return Data;
  const int fd = ::open(File->Path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string bytes;
  struct stat info {};
  const int64_t modified = ::fstat(fd, &info) == 0
                               ? int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec
                               : -1;
  // A file changed since it was read may hold anything where the picture was.
  if (modified == File->ModifiedNs && static_cast<int64_t>(info.st_size) == File->Size &&
      Offset >= 0 && Length >= 0 && Offset + Length <= File->Size) {
    bytes.resize(static_cast<std::size_t>(Length));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::pread(fd, bytes.data() + done, bytes.size() - done,
                                static_cast<off_t>(Offset + static_cast<int64_t>(done)));
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    if (done != bytes.size()) bytes.clear();
  }
  ::close(fd);
  return bytes;
}

TImageExtraction ExtractImages(TDocReader& reader, TDynaArray<TImageRec>& images,
                               bool read_pictures, const TStatusSink& status,
                               const TPumpAndCancel& go_on, bool keep_data,
                               const TPictureSink& sink,
                               const std::shared_ptr<const TPictureFile>& file) {
  TImageExtraction result;
  images.Clear();
  CollectImages(reader, images, result.Pages);
  result.ImagesFound = images.Count();
  status(std::to_string(result.ImagesFound) + " Bilder/Objekte gefunden...");
  const std::vector<TImageAttributes> attributes = ReadImageDictionaries(reader, images);
  std::vector<bool> passed(static_cast<std::size_t>(images.Count()), false);
  // The buffer is the file's bytes, unchanged, only when the file is still as it was read and
  // nothing was decrypted.
  const bool rereadable = keep_data && file && file->Size == reader.Size() && !reader.Encrypted;
  if (read_pictures) {
    const TCapLimits& limits = reader.Caps.Limits;
    const int64_t max_bytes = std::min(limits.ImageBytes, kMaxBitmapBytes);
    int64_t kept_bytes = 0;  // of the pictures' data the records hold
    for (int i = 0; i < images.Count(); ++i) {
      if (go_on && !go_on()) break;
      TImageRec& image = images[i];
      const TImageAttributes& a = attributes[static_cast<std::size_t>(i)];
      if (image.Width > 0 && image.Height > 0 && BitmapBytesFor(image, a) > limits.ImageBytes) {
        reader.Caps.Reached(TCap::Image);
        continue;
      }
      if (kept_bytes >= limits.ImagesBytes) {
        reader.Caps.Reached(TCap::Images);
        break;
      }
      if (!reader.CountStreamBytes(0)) break;
      int64_t offset = 0;
      // A JPEG stored as it is whose data are not kept (or read from the file again) has its
      // headers read where they lie: a scanned book's pages are not copied to be checked.
      const bool in_place = image.FilterKind == TFilterKind::DCT && !reader.Encrypted && !sink &&
                            (!a.Modern || a.Chain.size() == 1) && (!keep_data || rereadable);
      std::optional<std::string> data;
      std::string_view stored;
      if (in_place) {
        const std::optional<int64_t> start = StreamDataPos(reader, image);
        if (!start) continue;
        offset = *start;
        stored = StoredBytes(reader, offset, image.Length);
      } else {
        data = ReadImageStream(reader, image, a, offset);
        if (!data) continue;
        stored = *data;
      }
      reader.CountStreamBytes(static_cast<int64_t>(stored.size()));
      if (!Decodable(image)) continue;
      auto source = std::make_shared<TPictureSource>();
      source->Kind = image.FilterKind;
      source->Width = image.Width;
      source->Height = image.Height;
      source->BitsPerComponent = image.BitsPerComponent;
      source->Attributes = a;
      source->MaxBytes = max_bytes;
      TDIB decoded;
      int32_t width = 0;
      int32_t height = 0;
      int bit_count = 0;
      if (image.FilterKind == TFilterKind::DCT) {
        // A JPEG is checked by its headers: the scanned page's pixels are not needed to know
        // its size and depth.
        // The modern reader's generic filters undone; a JPEG stored bare stays as it is.
        const bool as_stored = !a.Modern || a.Chain.size() == 1;
        if (a.Modern) {
          if (!as_stored) {
            *data =
                UndoGenericFilters(a.Chain, std::move(*data), image.FilterKind, kMaxInflatedSize);
            stored = *data;
          }
          reader.CountStreamBytes(static_cast<int64_t>(stored.size()));
        }
        const std::optional<TJpegFrame> frame = ReadJpegFrame(stored);
        if (!frame) continue;
        width = frame->Width;
        height = frame->Height;
        bit_count = kJpegBitCount;
        if (rereadable && as_stored && !sink &&
            offset + static_cast<int64_t>(stored.size()) <= file->Size) {
          source->File = file;
          source->Offset = offset;
          source->Length = static_cast<int64_t>(stored.size());
        } else if (data) {
          source->Data = std::move(*data);
        }
      } else if (image.FilterKind == TFilterKind::Flate) {
        // Raw samples are checked by counting them: their number decides the depth.
        int64_t inflated = 0;
        const int64_t samples = CountSamples(*data, a, inflated);
        reader.CountStreamBytes(inflated);
        bit_count = FlateBitmapDepth(samples, image.Width, image.Height, image.BitsPerComponent, a);
        if (bit_count == 0) continue;
        width = image.Width;
        height = image.Height;
        source->Data = std::move(*data);
      } else {
        source->Data = std::move(*data);
        int64_t inflated = 0;
        decoded = DecodePictureSource(*source, &inflated);
        reader.CountStreamBytes(inflated);
        if (!decoded.HasBits()) continue;
        width = decoded.Width();
        height = decoded.Height();
        bit_count = decoded.BitCount();
      }
      ++result.ImagesRead;
      passed[static_cast<std::size_t>(i)] = true;
      const std::shared_ptr<const TPictureSource> shared = std::move(source);
      image.Bitmap = TPicture(shared, width, height, bit_count);
      if (sink) sink(result.ImagesRead, image, decoded);
      if (keep_data) {
        kept_bytes += static_cast<int64_t>(shared->Data.size());
      } else {
        image.Bitmap = TPicture(nullptr, width, height, bit_count);
      }
    }
  }
  // Pruning: only pictures that passed their checks stay; the survivors are numbered from 1 in
  // list order.
  result.Pages.number_by_id.assign(static_cast<std::size_t>(images.Count()), 0);
  int number = 0;
  for (int id = 0; id < images.Count(); ++id) {
    if (passed[static_cast<std::size_t>(id)])
      result.Pages.number_by_id[static_cast<std::size_t>(id)] = ++number;
  }
  for (int i = images.Count() - 1; i >= 0; --i) {
    if (!passed[static_cast<std::size_t>(i)]) images.Delete(i);
  }
  status(std::to_string(result.ImagesRead) + " JPEG-Bilder gelesen...");
  return result;
}

}  // namespace paginor
