#include "convert/rtf_pictures.h"

#include <cmath>

#include "images/writers.h"

namespace paginor {

namespace {

constexpr int kTwipsPerPoint = 20;
constexpr int kTwipsPerPixel = 15;  // at 96 dpi

int Twips(double points, int pixels) {
  if (points > 0 && points < 1e6) return static_cast<int>(std::lround(points * kTwipsPerPoint));
  return pixels * kTwipsPerPixel;
}

}  // namespace

TRtfPictures RtfPicturesOf(const TDynaArray<TImageRec>& images) {
  return [&images](int number) -> std::optional<TRtfPicture> {
    if (number < 1 || number > images.Count()) return std::nullopt;
    const TImageRec& image = images[number - 1];
    if (!image.Bitmap.CanDecode()) return std::nullopt;
    TRtfPicture picture;
    picture.PixelWidth = image.Bitmap.Width();
    picture.PixelHeight = image.Bitmap.Height();
    if (image.Bitmap.IsJpeg()) {
      picture.Bytes = image.Bitmap.JpegBytes();
      picture.Jpeg = !picture.Bytes.empty();
    }
    if (picture.Bytes.empty()) {
      const TDIB dib = image.Bitmap.Decode();
      if (!dib.HasBits()) return std::nullopt;  // damaged: the link stays
      picture.Bytes = EncodePng(dib);
      if (picture.Bytes.empty()) return std::nullopt;
    }
    picture.WidthTwips = Twips(image.ShownWidth, picture.PixelWidth);
    picture.HeightTwips = Twips(image.ShownHeight, picture.PixelHeight);
    return picture;
  };
}

}  // namespace paginor
