#include "images/save_test_pictures.h"

#include <cstring>
#include <stdexcept>

namespace paginor::save_test {

namespace {

constexpr int kWidth = 19;
constexpr int kHeight = 7;
constexpr int kLongWidth = 2100;

// Blocks of 3 × 2 pixels numbered unevenly across the picture.
int Block(int x, int y) {
  const int bx = x / 3;
  const int by = y / 2;
  return bx * 37 + by * 101 + bx * by * 11 + 5;
}

std::vector<TRGBQuad> Table(int count, int r0, int rs, int g0, int gs, int b0, int bs) {
  std::vector<TRGBQuad> table;
  for (int i = 0; i < count; ++i) {
    table.push_back(TRGBQuad{static_cast<uint8_t>((b0 + i * bs) & 255),
                             static_cast<uint8_t>((g0 + i * gs) & 255),
                             static_cast<uint8_t>((r0 + i * rs) & 255), 0});
  }
  return table;
}

uint32_t Rgb(int r, int g, int b) {
  return static_cast<uint32_t>((r & 255) << 16 | (g & 255) << 8 | (b & 255));
}

uint32_t MonoValue(int x, int y) {
  return static_cast<uint32_t>(Block(x, y) / 3 % 2);
}
uint32_t NibbleValue(int x, int y) {
  return static_cast<uint32_t>(Block(x, y) % 16);
}
uint32_t ByteValue(int x, int y) {
  return static_cast<uint32_t>(Block(x, y) % 256);
}
uint32_t GreyValue(int x, int y) {
  return static_cast<uint32_t>(x * 12 + y * 4 + (x < 3 && y < 2 ? 15 : 0));
}
uint32_t Rgb555Value(int x, int y) {
  const int r = x * 31 / (kWidth - 1);
  const int g = 31 - y * 31 / (kHeight - 1);
  const int b = Block(x, y) % 32;
  return static_cast<uint32_t>(r << 10 | g << 5 | b);
}
uint32_t BgrValue(int x, int y) {
  return Rgb(x * 14, 250 - y * 40, Block(x, y) * 7);
}
uint32_t BgrxValue(int x, int y) {
  return Rgb(Block(x, y) * 3, x * 13 + 8, y * 36 + 20);
}
uint32_t GradientValue(int x, int y) {
  return Rgb(x * 4, y * 5, (x + y) * 2);
}

uint32_t LongMonoValue(int x, int y) {
  if (y == 0) return 1;
  if (y == 1) return x % 3 == 0 ? 1 : 0;
  return x < kLongWidth * 5 / 6 ? 0 : static_cast<uint32_t>(Block(x, y) / 3 % 2);
}
uint32_t LongNibbleValue(int x, int y) {
  if (y == 0) return 5;
  if (y == 1) return static_cast<uint32_t>(x * 7 % 16);
  return x < kLongWidth / 2 ? 3 : static_cast<uint32_t>(x / 4 % 16);
}
uint32_t LongByteValue(int x, int y) {
  if (y == 0) return 200;
  if (y == 1) return static_cast<uint32_t>(x * 37 % 256);
  return x < kLongWidth / 2 ? 0xC1 : static_cast<uint32_t>(x / 5 % 256);
}
uint32_t LongBgrValue(int x, int y) {
  if (y == 0) return Rgb(200, 30, 90);
  if (y == 1) return Rgb(x, x * 3, x * 7);
  return x < kLongWidth / 2 ? Rgb(0xC0, 0xFF, 0xC7) : Rgb(x / 5, 0, 255 - x / 5);
}

}  // namespace

const std::vector<PictureCase>& SmallPictures() {
  static const std::vector<PictureCase> cases = {
      {"Mono1", 1, kWidth, kHeight, {}, MonoValue},
      {"MonoInverted1", 1, kWidth, kHeight, {{255, 255, 255, 0}, {0, 0, 0, 0}}, MonoValue},
      {"Duo1", 1, kWidth, kHeight, {{120, 20, 10, 0}, {30, 160, 250, 0}}, MonoValue},
      {"Palette4", 4, kWidth, kHeight, Table(16, 20, 53, 40, 97, 250, -15), NibbleValue},
      {"Palette8", 8, kWidth, kHeight, Table(256, 7, 29, 101, 71, 53, 113), ByteValue},
      {"Grey8", 8, kWidth, kHeight, {}, GreyValue},
      {"Rgb16", 16, kWidth, kHeight, {}, Rgb555Value},
      {"Bgr24", 24, kWidth, kHeight, {}, BgrValue},
      {"Bgrx32", 32, kWidth, kHeight, {}, BgrxValue},
      {"Gradient24", 24, 64, 48, {}, GradientValue, true},
  };
  return cases;
}

const std::vector<PictureCase>& LongRowPictures() {
  static const std::vector<PictureCase> cases = {
      {"LongMono1", 1, kLongWidth, 3, {}, LongMonoValue},
      {"LongPalette4", 4, kLongWidth, 3, Table(16, 20, 53, 40, 97, 250, -15), LongNibbleValue},
      {"LongPalette8", 8, kLongWidth, 3, Table(256, 7, 29, 101, 71, 53, 113), LongByteValue},
      {"LongBgr24", 24, kLongWidth, 3, {}, LongBgrValue, true},
  };
  return cases;
}

const std::vector<PictureCase>& OddSizePictures() {
  static const std::vector<PictureCase> cases = {
      {"Dot1", 1, 1, 1, {{0, 0, 200, 0}, {0, 90, 0, 0}}, MonoValue},
      {"Dot24", 24, 1, 1, {}, BgrValue},
      {"Column8", 8, 1, 9, Table(256, 7, 29, 101, 71, 53, 113), ByteValue},
      {"Row4", 4, 17, 1, Table(16, 20, 53, 40, 97, 250, -15), NibbleValue},
      {"Row16", 16, 33, 1, {}, Rgb555Value},
      {"Pair32", 32, 2, 2, {}, BgrxValue},
  };
  return cases;
}

const PictureCase& PictureNamed(const char* name) {
  for (const auto* list : {&SmallPictures(), &LongRowPictures(), &OddSizePictures()}) {
    for (const PictureCase& picture : *list) {
      if (std::strcmp(picture.name, name) == 0) return picture;
    }
  }
  throw std::invalid_argument(name);
}

TDIB MakePicture(const PictureCase& picture) {
  TDIB dib;
  newdib(dib, picture.width, picture.height, picture.bits,
         picture.colors.empty() ? nullptr : picture.colors.data(),
         static_cast<int>(picture.colors.size()));
  for (int top = 0; top < picture.height; ++top) {
    const int stored = picture.height - 1 - top;  // stored rows start at the bottom
    for (int x = 0; x < picture.width; ++x) {
      setpixel(dib, x, stored, picture.value(x, top));
      if (picture.bits == 32) dib.Row(stored)[4 * x + 3] = 0xA5;
    }
  }
  return dib;
}

Colour ExpectedColour(const PictureCase& picture, int x, int top_y) {
  const uint32_t v = picture.value(x, top_y);
  if (picture.bits <= 8) {
    if (picture.colors.empty()) {
      const int grey = static_cast<int>(v) * 255 / ((1 << picture.bits) - 1);
      return {grey, grey, grey};
    }
    const TRGBQuad& c = picture.colors.at(v);
    return {c.Red, c.Green, c.Blue};
  }
  if (picture.bits == 16) {
    // Compared at the five bits the pixel holds, whatever widening a format needs.
    return {static_cast<int>(v >> 10 & 31), static_cast<int>(v >> 5 & 31), static_cast<int>(v & 31),
            31};
  }
  return {static_cast<int>(v >> 16 & 255), static_cast<int>(v >> 8 & 255),
          static_cast<int>(v & 255)};
}

}  // namespace paginor::save_test
