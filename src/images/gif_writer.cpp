// GIF through giflib: one image, rows top first, the bitmap's own table for palette pictures
// and a libimagequant palette for deeper ones.
#include <gif_lib.h>

#include <algorithm>
#include <cstddef>
#include <exception>
#include <memory>

#include "images/pixel_access.h"
#include "images/writers.h"

namespace paginor {

namespace {

constexpr int32_t kMaxSide = 65535;

// Error paths close here; the success path closes by hand to learn whether the trailer
// reached the output.
struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    EGifCloseFile(gif, &error);
  }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

struct MapFreer {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

int AppendOutput(GifFileType* gif, const GifByteType* data, int length) {
  if (length < 0) return 0;
  try {
    static_cast<std::string*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
  } catch (const std::exception&) {
    return 0;  // giflib sees a short write; nothing may unwind through it
  }
  return length;
}

// giflib takes colour tables of 2, 4, ... 256 entries.
int TableSize(std::size_t colors) {
  int size = 2;
  while (static_cast<std::size_t>(size) < colors && size < 256)
    size *= 2;
  return size;
}

}  // namespace

std::string EncodeGif(const TDIB& dib) {
  if (!IsWritable(dib) || dib.Width() > kMaxSide || dib.Height() > kMaxSide) return {};
  const std::optional<IndexedPicture> picture = ToIndexed(dib);
  if (!picture) return {};

  const int table_size = TableSize(picture->colors.size());
  std::vector<GifColorType> table(static_cast<std::size_t>(table_size));
  for (std::size_t i = 0; i < picture->colors.size() && i < table.size(); ++i) {
    const TRGBQuad& c = picture->colors[i];
    table[i] = GifColorType{c.Red, c.Green, c.Blue};
  }
  const std::unique_ptr<ColorMapObject, MapFreer> map(GifMakeMapObject(table_size, table.data()));
  if (!map) return {};

  std::string out;
  int error = 0;
  GifHandle gif(EGifOpen(&out, AppendOutput, &error));
  if (!gif) return {};
  if (EGifPutScreenDesc(gif.get(), picture->width, picture->height, map->BitsPerPixel, 0,
                        map.get()) != GIF_OK ||
      EGifPutImageDesc(gif.get(), 0, 0, picture->width, picture->height, false, nullptr) !=
          GIF_OK) {
    return {};
  }
  std::vector<GifPixelType> line(static_cast<std::size_t>(picture->width));
  for (int32_t y = picture->height - 1; y >= 0; --y) {
    std::copy_n(picture->Row(y), line.size(), line.begin());
    if (EGifPutLine(gif.get(), line.data(), picture->width) != GIF_OK) return {};
  }
  // EGifCloseFile releases the handle whatever it returns.
  if (EGifCloseFile(gif.release(), &error) != GIF_OK) return {};
  return out;
}

}  // namespace paginor
