// Inflated image samples of any size, depth and colour space into a bitmap of the image's
// size, or none; the predictor undone first as image extraction does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "image_checks.h"
#include "images/flate_image.h"
#include "pdf/predictor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  paginor::fuzz::TFuzzInput input(data, size);
  const int32_t width = input.In(-1, 200);
  const int32_t height = input.In(-1, 200);
  const int bits[] = {1, 2, 4, 8, 16, 3, 0, 32};
  const int bpc = bits[input.Byte() % 8];
  paginor::TImageAttributes a;
  a.Family = static_cast<paginor::TColorFamily>(input.Byte() % 5);
  a.Base = static_cast<paginor::TColorFamily>(input.Byte() % 5);
  a.HiVal = input.Byte();
  a.Inverted = input.Bool();
  a.ImageMask = input.Bool();
  a.Lookup = std::string(input.Take(input.Byte() * 3u));
  const bool predicted = input.Bool();
  if (predicted) {
    a.Predictor.Predictor = input.Bool() ? 2 : 15;
    a.Predictor.Colors = a.Family == paginor::TColorFamily::Rgb ? 3 : 1;
    a.Predictor.BitsPerComponent = bpc;
    a.Predictor.Columns = width;
  }
  std::string samples(input.Rest());
  if (predicted) samples = paginor::UndoPredictor(samples, a.Predictor);
  paginor::TDIB dib;
  paginor::FlateSamplesToDib(dib, samples, width, height, bpc, a);
  paginor::fuzz::CheckBitmap(dib);
  if (dib.HasBits()) {
    FUZZ_CHECK(dib.Width() == width && dib.Height() == height);
    FUZZ_CHECK(dib.BitCount() == 1 || dib.BitCount() == 4 || dib.BitCount() == 8 ||
               dib.BitCount() == 24);
  }
  paginor::fuzz::WriteInEveryFormat(dib);
  return 0;
}
