#include "images/jpx_reader.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace paginor {

namespace {

struct CodecDeleter {
  void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamDeleter {
  void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct ImageDeleter {
  void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
using TCodec = std::unique_ptr<opj_codec_t, CodecDeleter>;
using TStream = std::unique_ptr<opj_stream_t, StreamDeleter>;
using TImage = std::unique_ptr<opj_image_t, ImageDeleter>;

// The data OpenJPEG reads from: the stream buffer and a read position inside it.
struct TSource {
  std::string_view data;
  std::size_t at = 0;
};

OPJ_SIZE_T ReadSource(void* buffer, OPJ_SIZE_T n, void* user) {
  auto* source = static_cast<TSource*>(user);
  const std::size_t left = source->data.size() - source->at;
  if (left == 0) return static_cast<OPJ_SIZE_T>(-1);
  const std::size_t count = std::min<std::size_t>(n, left);
  std::memcpy(buffer, source->data.data() + source->at, count);
  source->at += count;
  return count;
}

OPJ_OFF_T SkipSource(OPJ_OFF_T n, void* user) {
  auto* source = static_cast<TSource*>(user);
  const auto left = static_cast<OPJ_OFF_T>(source->data.size() - source->at);
  const OPJ_OFF_T count = std::clamp<OPJ_OFF_T>(n, -static_cast<OPJ_OFF_T>(source->at), left);
  source->at = static_cast<std::size_t>(static_cast<OPJ_OFF_T>(source->at) + count);
  return count;
}

OPJ_BOOL SeekSource(OPJ_OFF_T pos, void* user) {
  auto* source = static_cast<TSource*>(user);
  if (pos < 0 || static_cast<uint64_t>(pos) > source->data.size()) return OPJ_FALSE;
  source->at = static_cast<std::size_t>(pos);
  return OPJ_TRUE;
}

void Quiet(const char* /*message*/, void* /*client*/) {}

// A JP2 file begins with its signature box; anything else is taken as a bare codestream.
bool IsJp2File(std::string_view data) {
  static constexpr char kSignature[] = "\x00\x00\x00\x0CjP  \r\n\x87\n";
  return data.size() >= 12 && std::memcmp(data.data(), kSignature, 12) == 0;
}

// Sample (x, y) of the picture in component c, scaled to 8 bits; subsampled components are
// read at their own resolution.
class TSampler {
 public:
  explicit TSampler(const opj_image_t& image) : image_(image) {}

  int At(int c, uint32_t x, uint32_t y) const {
    const opj_image_comp_t& comp = image_.comps[c];
    if (comp.data == nullptr || comp.w == 0 || comp.h == 0) return 0;
    const uint32_t cx = std::min(comp.dx > 1 ? x / comp.dx : x, comp.w - 1);
    const uint32_t cy = std::min(comp.dy > 1 ? y / comp.dy : y, comp.h - 1);
    int64_t v = comp.data[std::size_t{cy} * comp.w + cx];
    const int prec = static_cast<int>(std::clamp<OPJ_UINT32>(comp.prec, 1, 31));
    if (comp.sgnd) v += int64_t{1} << (prec - 1);
    if (prec > 8) v >>= prec - 8;
    if (prec < 8) v = v * 255 / ((int64_t{1} << prec) - 1);
    return static_cast<int>(std::clamp<int64_t>(v, 0, 255));
  }
  // The raw value, for palette indices.
  int Raw(int c, uint32_t x, uint32_t y) const {
    const opj_image_comp_t& comp = image_.comps[c];
    if (comp.data == nullptr || comp.w == 0 || comp.h == 0) return 0;
    const uint32_t cx = std::min(x, comp.w - 1);
    const uint32_t cy = std::min(y, comp.h - 1);
    return std::clamp(comp.data[std::size_t{cy} * comp.w + cx], 0, 255);
  }

 private:
  const opj_image_t& image_;
};

uint8_t Clamp8(double v) {
  return static_cast<uint8_t>(std::clamp(v + 0.5, 0.0, 255.0));
}

void ToDib(TDIB& dib, const opj_image_t& image, int32_t width, int32_t height,
           const TImageAttributes& a) {
  const TSampler s(image);
  const int comps = static_cast<int>(image.numcomps);
  if (comps <= 2) {
    const bool indexed = a.Family == TColorFamily::Indexed;
    if (indexed) {
      const std::vector<TRGBQuad> palette = PaletteFor(a, 8);
      newdib(dib, width, height, 8, palette.data(), static_cast<int>(palette.size()));
    } else {
      newdib(dib, width, height, 8);
    }
    if (!dib.HasBits()) return;
    for (int32_t y = 0; y < height; ++y) {
      uint8_t* row = dib.Row(height - 1 - y);
      for (int32_t x = 0; x < width; ++x) {
        const auto ux = static_cast<uint32_t>(x);
        const auto uy = static_cast<uint32_t>(y);
        row[x] = static_cast<uint8_t>(indexed ? s.Raw(0, ux, uy) : s.At(0, ux, uy));
      }
    }
    return;
  }
  const bool cmyk =
      comps == 4 && (image.color_space == OPJ_CLRSPC_CMYK || a.Family == TColorFamily::Cmyk);
  const bool ycc = image.color_space == OPJ_CLRSPC_SYCC;
  newdib(dib, width, height, 24);
  if (!dib.HasBits()) return;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = dib.Row(height - 1 - y);
    for (int32_t x = 0; x < width; ++x) {
      const auto ux = static_cast<uint32_t>(x);
      const auto uy = static_cast<uint32_t>(y);
      int r = s.At(0, ux, uy);
      int g = s.At(1, ux, uy);
      int b = s.At(2, ux, uy);
      if (cmyk) {
        const int k = s.At(3, ux, uy);
        r = (255 - r) * (255 - k) / 255;
        g = (255 - g) * (255 - k) / 255;
        b = (255 - b) * (255 - k) / 255;
      } else if (ycc) {
        const double luma = r;
        const double cb = g - 128.0;
        const double cr = b - 128.0;
        r = Clamp8(luma + 1.402 * cr);
        g = Clamp8(luma - 0.344136 * cb - 0.714136 * cr);
        b = Clamp8(luma + 1.772 * cb);
      }
      row[3 * x] = static_cast<uint8_t>(b);
      row[3 * x + 1] = static_cast<uint8_t>(g);
      row[3 * x + 2] = static_cast<uint8_t>(r);
    }
  }
}

}  // namespace

void ReadJpx(TDIB& dib, std::string_view data, const TImageAttributes& a, int64_t max_bytes) {
  deldib(dib);
  if (data.size() < 12) return;
  TCodec codec(opj_create_decompress(IsJp2File(data) ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
  if (!codec) return;
  opj_set_info_handler(codec.get(), Quiet, nullptr);
  opj_set_warning_handler(codec.get(), Quiet, nullptr);
  opj_set_error_handler(codec.get(), Quiet, nullptr);
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  if (!opj_setup_decoder(codec.get(), &parameters)) return;

  TSource source{data, 0};
  TStream stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
  if (!stream) return;
  opj_stream_set_read_function(stream.get(), ReadSource);
  opj_stream_set_skip_function(stream.get(), SkipSource);
  opj_stream_set_seek_function(stream.get(), SeekSource);
  opj_stream_set_user_data(stream.get(), &source, nullptr);
  opj_stream_set_user_data_length(stream.get(), data.size());

  opj_image_t* raw = nullptr;
  if (!opj_read_header(stream.get(), codec.get(), &raw)) {
    opj_image_destroy(raw);
    return;
  }
  TImage image(raw);
  if (image->x1 <= image->x0 || image->y1 <= image->y0 || image->numcomps < 1 ||
      image->numcomps > 4) {
    return;
  }
  const int64_t width = int64_t{image->x1} - image->x0;
  const int64_t height = int64_t{image->y1} - image->y0;
  // The decoder holds every sample as a 32-bit number before the bitmap is made.
  if (width > INT32_MAX || height > INT32_MAX || width * height > max_bytes / 4 / image->numcomps) {
    return;
  }
  if (!opj_decode(codec.get(), stream.get(), image.get()) ||
      !opj_end_decompress(codec.get(), stream.get())) {
    return;
  }
  for (OPJ_UINT32 c = 0; c < image->numcomps; ++c) {
    if (image->comps[c].data == nullptr) return;
  }
  ToDib(dib, *image, static_cast<int32_t>(width), static_cast<int32_t>(height), a);
}

}  // namespace paginor
