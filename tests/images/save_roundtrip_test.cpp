// Saving pictures of every depth in every format of the save dialog, read back by netpbm's
// converters, with the chosen file layouts, the filter text and the refusals checked too.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "images/netpbm_reader.h"
#include "images/pixolet.h"
#include "images/save_test_pictures.h"

namespace paginor {
namespace {

using save_test::Colour;
using save_test::PictureCase;

struct FormatCase {
  const char* name;
  TDibFormat format;
  const char* extension;
  const char* reader;
  bool lossy = false;         // JPEG
  bool palette_only = false;  // deeper pictures are reduced to 256 colours
};

void PrintTo(const FormatCase& format, std::ostream* out) {
  *out << format.name;
}

const std::vector<FormatCase>& AllFormats() {
  static const std::vector<FormatCase> formats = {
      {"Bmp", TDibFormat::Bmp, "bmp", "bmptopnm"},
      {"Dib", TDibFormat::Dib, "dib", "bmptopnm"},
      {"Gif", TDibFormat::Gif, "gif", "giftopnm", false, true},
      {"Iff", TDibFormat::Iff, "iff", "ilbmtoppm"},
      {"Jif", TDibFormat::Jif, "jif", "jpegtopnm", true},
      {"Jpg", TDibFormat::Jpg, "jpg", "jpegtopnm", true},
      {"Lbm", TDibFormat::Lbm, "lbm", "ilbmtoppm"},
      {"Pcx", TDibFormat::Pcx, "pcx", "pcxtoppm"},
      {"Rle", TDibFormat::Rle, "rle", "bmptopnm", false, true},
      {"Tga", TDibFormat::Tga, "tga", "tgatoppm"},
      {"Tif", TDibFormat::Tif, "tif", "tifftopnm"},
      {"Png", TDibFormat::Png, "png", "pngtopnm"},
  };
  return formats;
}

// Long rows only matter to the lossless formats; JPEG's error on them says nothing.
std::vector<FormatCase> LosslessFormats() {
  std::vector<FormatCase> formats;
  for (const FormatCase& f : AllFormats()) {
    if (!f.lossy) formats.push_back(f);
  }
  return formats;
}

const FormatCase& FormatOf(TDibFormat format) {
  for (const FormatCase& f : AllFormats()) {
    if (f.format == format) return f;
  }
  throw std::invalid_argument("format");
}

// Largest and average difference allowed per channel, in 8-bit units.
struct Tolerance {
  double max_error = 0;
  double average_error = 0;
};

constexpr Tolerance kExact{0, 0};
constexpr Tolerance kJpeg{40, 8};
constexpr Tolerance kReducedFewColours{3, 1};  // 256 palette entries suffice
constexpr Tolerance kReducedManyColours{24, 5};

Tolerance ToleranceFor(const FormatCase& format, const PictureCase& picture) {
  if (format.lossy) return kJpeg;
  if (format.palette_only && picture.bits > 8) {
    return picture.over_256_colours ? kReducedManyColours : kReducedFewColours;
  }
  return kExact;
}

class TempDir {
 public:
  TempDir() {
    std::string name = (std::filesystem::temp_directory_path() / "paginor-save-XXXXXX").string();
    if (mkdtemp(name.data()) != nullptr) path_ = name;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

int Channel(const Colour& c, int channel) {
  return channel == 0 ? c.red : channel == 1 ? c.green : c.blue;
}

struct Comparison {
  double max_error = 0;
  double average_error = 0;
  std::string worst;  // where the largest difference is
};

Comparison Compare(const PictureCase& picture, const netpbm::PnmPicture& got) {
  static const char* const kChannelNames[] = {"red", "green", "blue"};
  Comparison result;
  double total = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const Colour expected = save_test::ExpectedColour(picture, x, y);
      for (int c = 0; c < 3; ++c) {
        // Both sides at the coarser precision: a lossless reader then agrees exactly.
        const double at_scale = got.At(x, y, c) * static_cast<double>(expected.scale) / got.maxval;
        const double error =
            std::abs(std::round(at_scale) - Channel(expected, c)) * 255.0 / expected.scale;
        total += error;
        if (error > result.max_error) {
          result.max_error = error;
          std::ostringstream where;
          where << "worst at x=" << x << " y=" << y << " (from the top) " << kChannelNames[c]
                << ": expected " << Channel(expected, c) << "/" << expected.scale << ", read "
                << got.At(x, y, c) << "/" << got.maxval;
          result.worst = where.str();
        }
      }
    }
  }
  result.average_error = total / (3.0 * picture.width * picture.height);
  return result;
}

using RoundTripParam = std::tuple<FormatCase, PictureCase>;

std::string RoundTripName(const ::testing::TestParamInfo<RoundTripParam>& info) {
  return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

class SaveRoundTrip : public ::testing::TestWithParam<RoundTripParam> {};

TEST_P(SaveRoundTrip, NetpbmReadsBackThePicture) {
  const auto& [format, picture] = GetParam();
  const TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const TDIB dib = save_test::MakePicture(picture);
  ASSERT_TRUE(dib.HasBits());
  const std::filesystem::path path = dir.path() / (std::string("picture.") + format.extension);
  ASSERT_TRUE(SaveDib(dib, path.string(), static_cast<int>(format.format)));

  const netpbm::PnmResult read = netpbm::ReadWithTool(format.reader, path);
  ASSERT_TRUE(read.picture.has_value()) << read.error;
  ASSERT_EQ(read.picture->width, picture.width);
  ASSERT_EQ(read.picture->height, picture.height);
  const Tolerance tolerance = ToleranceFor(format, picture);
  const Comparison comparison = Compare(picture, *read.picture);
  EXPECT_LE(comparison.max_error, tolerance.max_error) << comparison.worst;
  EXPECT_LE(comparison.average_error, tolerance.average_error) << comparison.worst;
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, SaveRoundTrip,
                         ::testing::Combine(::testing::ValuesIn(AllFormats()),
                                            ::testing::ValuesIn(save_test::SmallPictures())),
                         RoundTripName);

INSTANTIATE_TEST_SUITE_P(LongRows, SaveRoundTrip,
                         ::testing::Combine(::testing::ValuesIn(LosslessFormats()),
                                            ::testing::ValuesIn(save_test::LongRowPictures())),
                         RoundTripName);

INSTANTIATE_TEST_SUITE_P(OddSizes, SaveRoundTrip,
                         ::testing::Combine(::testing::ValuesIn(AllFormats()),
                                            ::testing::ValuesIn(save_test::OddSizePictures())),
                         RoundTripName);

// Bounds-checked reads of header fields; out of range reads as 0.
class Bytes {
 public:
  Bytes(const std::string& data, bool little_endian) : data_(data), little_(little_endian) {}
  uint32_t U8(std::size_t at) const {
    return at < data_.size() ? static_cast<uint8_t>(data_[at]) : 0;
  }
  uint32_t U16(std::size_t at) const {
    return little_ ? U8(at) | U8(at + 1) << 8 : U8(at) << 8 | U8(at + 1);
  }
  uint32_t U32(std::size_t at) const {
    return little_ ? U16(at) | U16(at + 2) << 16 : U16(at) << 16 | U16(at + 2);
  }

 private:
  const std::string& data_;
  bool little_;
};

// The first value of a short-typed TIFF tag of the first directory.
uint32_t TiffTag(const std::string& data, uint32_t tag) {
  const Bytes b(data, data.compare(0, 2, "II") == 0);
  const uint32_t ifd = b.U32(4);
  const uint32_t entries = b.U16(ifd);
  for (uint32_t i = 0; i < entries; ++i) {
    const std::size_t entry = ifd + 2 + 12 * std::size_t{i};
    if (b.U16(entry) != tag) continue;
    const uint32_t count = b.U32(entry + 4);
    return count <= 2 ? b.U16(entry + 8) : b.U16(b.U32(entry + 8));
  }
  return 0;
}

// The header fields that show which layout a writer chose.
std::string Layout(TDibFormat format, const std::string& data) {
  std::ostringstream out;
  switch (format) {
    case TDibFormat::Bmp:
    case TDibFormat::Dib:
    case TDibFormat::Rle: {
      const Bytes b(data, true);
      out << "bits=" << b.U16(28) << " compression=" << b.U32(30);
      break;
    }
    case TDibFormat::Gif:
      out << "table=" << (2 << (Bytes(data, true).U8(10) & 7));
      break;
    case TDibFormat::Iff:
    case TDibFormat::Lbm:
      out << "planes=" << Bytes(data, false).U8(28);
      break;
    case TDibFormat::Jif:
    case TDibFormat::Jpg: {
      const Bytes b(data, false);
      // Walk the markers to the frame header.
      std::size_t at = 2;
      while (at + 4 < data.size() && b.U8(at) == 0xFF &&
             (b.U8(at + 1) < 0xC0 || b.U8(at + 1) > 0xC2)) {
        at += 2 + b.U16(at + 2);
      }
      out << "components=" << b.U8(at + 9);
      break;
    }
    case TDibFormat::Pcx:
      out << "bits=" << Bytes(data, true).U8(3) << " planes=" << Bytes(data, true).U8(65);
      break;
    case TDibFormat::Tga:
      out << "type=" << Bytes(data, true).U8(2) << " bits=" << Bytes(data, true).U8(16)
          << " descriptor=" << Bytes(data, true).U8(17);
      break;
    case TDibFormat::Tif:
      out << "photometric=" << TiffTag(data, 262) << " samples=" << TiffTag(data, 277)
          << " bits=" << TiffTag(data, 258);
      break;
    case TDibFormat::Png:
      // The IHDR chunk right after the signature: bit depth, then colour type.
      out << "depth=" << Bytes(data, false).U8(24) << " colour=" << Bytes(data, false).U8(25);
      break;
  }
  return out.str();
}

struct LayoutCase {
  TDibFormat format;
  const char* picture;
  const char* layout;
};

void PrintTo(const LayoutCase& c, std::ostream* out) {
  *out << c.picture << " " << c.layout;
}

std::string LayoutName(const ::testing::TestParamInfo<LayoutCase>& info) {
  return std::string(FormatOf(info.param.format).name) + "_" + info.param.picture;
}

class SaveLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(SaveLayout, WriterChoosesTheLayout) {
  const LayoutCase& c = GetParam();
  const TDIB dib = save_test::MakePicture(save_test::PictureNamed(c.picture));
  const std::string data = EncodeDib(dib, c.format);
  ASSERT_FALSE(data.empty());
  EXPECT_EQ(Layout(c.format, data), c.layout);
}

INSTANTIATE_TEST_SUITE_P(
    ByDepth, SaveLayout,
    ::testing::Values(LayoutCase{TDibFormat::Bmp, "Mono1", "bits=1 compression=0"},
                      LayoutCase{TDibFormat::Bmp, "Rgb16", "bits=16 compression=0"},
                      LayoutCase{TDibFormat::Dib, "Bgrx32", "bits=32 compression=0"},
                      LayoutCase{TDibFormat::Rle, "Mono1", "bits=4 compression=2"},
                      LayoutCase{TDibFormat::Rle, "Palette4", "bits=4 compression=2"},
                      LayoutCase{TDibFormat::Rle, "Palette8", "bits=8 compression=1"},
                      LayoutCase{TDibFormat::Rle, "Rgb16", "bits=8 compression=1"},
                      LayoutCase{TDibFormat::Rle, "Bgrx32", "bits=8 compression=1"},
                      LayoutCase{TDibFormat::Gif, "Duo1", "table=2"},
                      LayoutCase{TDibFormat::Gif, "Palette4", "table=16"},
                      LayoutCase{TDibFormat::Gif, "Gradient24", "table=256"},
                      LayoutCase{TDibFormat::Iff, "Palette4", "planes=4"},
                      LayoutCase{TDibFormat::Lbm, "Palette8", "planes=8"},
                      LayoutCase{TDibFormat::Iff, "Rgb16", "planes=24"},
                      LayoutCase{TDibFormat::Jpg, "Grey8", "components=1"},
                      LayoutCase{TDibFormat::Jpg, "Mono1", "components=1"},
                      LayoutCase{TDibFormat::Jif, "Duo1", "components=3"},
                      LayoutCase{TDibFormat::Jpg, "Palette8", "components=3"},
                      LayoutCase{TDibFormat::Pcx, "Duo1", "bits=1 planes=1"},
                      LayoutCase{TDibFormat::Pcx, "Palette4", "bits=8 planes=1"},
                      LayoutCase{TDibFormat::Pcx, "Bgrx32", "bits=8 planes=3"},
                      LayoutCase{TDibFormat::Tga, "Palette4", "type=1 bits=8 descriptor=0"},
                      LayoutCase{TDibFormat::Tga, "Rgb16", "type=2 bits=24 descriptor=0"},
                      LayoutCase{TDibFormat::Tga, "Bgrx32", "type=2 bits=32 descriptor=8"},
                      LayoutCase{TDibFormat::Tif, "Mono1", "photometric=1 samples=1 bits=1"},
                      LayoutCase{TDibFormat::Tif, "MonoInverted1",
                                 "photometric=0 samples=1 bits=1"},
                      LayoutCase{TDibFormat::Tif, "Duo1", "photometric=3 samples=1 bits=1"},
                      LayoutCase{TDibFormat::Tif, "Palette4", "photometric=3 samples=1 bits=4"},
                      LayoutCase{TDibFormat::Tif, "Bgrx32", "photometric=2 samples=3 bits=8"},
                      LayoutCase{TDibFormat::Png, "Mono1", "depth=1 colour=3"},
                      LayoutCase{TDibFormat::Png, "Palette4", "depth=4 colour=3"},
                      LayoutCase{TDibFormat::Png, "Grey8", "depth=8 colour=3"},
                      LayoutCase{TDibFormat::Png, "Rgb16", "depth=8 colour=2"},
                      LayoutCase{TDibFormat::Png, "Bgrx32", "depth=8 colour=2"}),
    LayoutName);

// tgatoppm drops alpha from its picture, so the alpha of 32-bit pixels is read separately.
TEST(SaveTga, ThirtyTwoBitPixelsAreOpaque) {
  const TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const TDIB dib = save_test::MakePicture(save_test::PictureNamed("Bgrx32"));
  const std::filesystem::path path = dir.path() / "opaque.tga";
  const std::filesystem::path alpha = dir.path() / "alpha.pgm";
  ASSERT_TRUE(SaveDib(dib, path.string(), static_cast<int>(TDibFormat::Tga)));
  const netpbm::PnmResult read =
      netpbm::ReadWithTool("tgatoppm", path, {"-alphaout=" + alpha.string()});
  ASSERT_TRUE(read.picture.has_value()) << read.error;
  const netpbm::PnmResult mask = netpbm::ParsePnm(FileBytes(alpha));
  ASSERT_TRUE(mask.picture.has_value()) << mask.error;
  ASSERT_EQ(mask.picture->samples.size(), std::size_t{3} * dib.Width() * dib.Height());
  for (std::size_t i = 0; i < mask.picture->samples.size(); ++i) {
    ASSERT_EQ(mask.picture->samples[i], mask.picture->maxval) << "sample " << i;
  }
}

std::vector<std::string> SplitFilter(const std::string& filter) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = filter.find('|', start);
    fields.push_back(filter.substr(start, bar - start));
    if (bar == std::string::npos) return fields;
    start = bar + 1;
  }
}

// In filter order; code i + 3 must write the kind of file entry i (from 0) names.
struct FilterEntryCase {
  const char* pattern;
  std::size_t magic_at;
  std::string magic;
};

const std::vector<FilterEntryCase>& FilterEntries() {
  static const std::vector<FilterEntryCase> entries = {
      {"*.bmp", 0, "BM"},
      {"*.dib", 0, "BM"},
      {"*.gif", 0, "GIF8"},
      {"*.iff", 8, "ILBM"},
      {"*.jif", 0, "\xFF\xD8\xFF"},
      {"*.jpg", 0, "\xFF\xD8\xFF"},
      {"*.lbm", 8, "ILBM"},
      {"*.pcx", 0, "\x0A\x05\x01"},
      {"*.rle", 30, std::string("\x01\x00\x00\x00", 4)},  // BI_RLE8 for an 8-bit picture
      {"*.tga", 0, std::string("\x00\x01\x01", 3)},
      {"*.tif", 0, std::string("II*\x00", 4)},
      {"*.png", 0, "\x89PNG"},
  };
  return entries;
}

TEST(SaveFilter, ListsTheTwelveTypesInFormatCodeOrder) {
  const std::vector<std::string> fields = SplitFilter(GetDIBSaveFilter());
  ASSERT_EQ(fields.size(), 2 * FilterEntries().size()) << GetDIBSaveFilter();
  for (std::size_t i = 0; i < FilterEntries().size(); ++i) {
    const std::string& description = fields[2 * i];
    const std::string& pattern = fields[2 * i + 1];
    EXPECT_EQ(pattern, FilterEntries()[i].pattern) << "entry " << i;
    EXPECT_NE(description.find(std::string("(") + FilterEntries()[i].pattern + ")"),
              std::string::npos)
        << "entry " << i << ": " << description;
  }
}

TEST(SaveFilter, CodeOfEachEntryWritesThatEntrysType) {
  const TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const TDIB dib = save_test::MakePicture(save_test::PictureNamed("Palette8"));
  for (std::size_t i = 0; i < FilterEntries().size(); ++i) {
    const FilterEntryCase& entry = FilterEntries()[i];
    SCOPED_TRACE(entry.pattern);
    const int code = static_cast<int>(i) + 3;
    const std::filesystem::path path = dir.path() / (std::string("entry") + (entry.pattern + 1));
    ASSERT_TRUE(SaveDib(dib, path.string(), code));
    const std::string data = FileBytes(path);
    EXPECT_EQ(data.substr(entry.magic_at, entry.magic.size()), entry.magic);
    // SaveDib stores exactly what EncodeDib makes.
    EXPECT_EQ(data, EncodeDib(dib, static_cast<TDibFormat>(code)));
  }
}

TEST(SaveFilter, CodeFiveIsGifAndSevenJpeg) {
  const TDIB dib = save_test::MakePicture(save_test::PictureNamed("Bgr24"));
  const TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::filesystem::path gif = dir.path() / "a.gif";
  const std::filesystem::path jpeg = dir.path() / "a.jpg";
  ASSERT_TRUE(SaveDib(dib, gif.string(), 5));
  ASSERT_TRUE(SaveDib(dib, jpeg.string(), 7));
  EXPECT_EQ(FileBytes(gif).substr(0, 6), "GIF87a");
  EXPECT_EQ(FileBytes(jpeg).substr(0, 3), "\xFF\xD8\xFF");
}

TEST(SaveRefusal, RecordWithoutBitsWritesNothing) {
  const TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  TDIB released = save_test::MakePicture(save_test::PictureNamed("Bgr24"));
  deldib(released);
  TDIB too_large;
  newdib(too_large, 1 << 20, 1 << 20, 24);  // refused by newdib: no bitmap
  for (const TDIB* dib : {&released, &too_large}) {
    for (const FormatCase& format : AllFormats()) {
      SCOPED_TRACE(format.name);
      EXPECT_TRUE(EncodeDib(*dib, format.format).empty());
      const std::filesystem::path path = dir.path() / (std::string("none.") + format.extension);
      EXPECT_FALSE(SaveDib(*dib, path.string(), static_cast<int>(format.format)));
      EXPECT_FALSE(std::filesystem::exists(path));
    }
  }
}

TEST(SaveRefusal, CopyOutlivesTheReleasedOriginal) {
  TDIB original = save_test::MakePicture(save_test::PictureNamed("Palette8"));
  const TDIB copy = original;
  const std::string before = EncodeDib(copy, TDibFormat::Bmp);
  deldib(original);
  EXPECT_TRUE(EncodeDib(original, TDibFormat::Bmp).empty());
  EXPECT_FALSE(before.empty());
  EXPECT_EQ(EncodeDib(copy, TDibFormat::Bmp), before);
}

// Formats with 16-bit sizes (JPEG: 65500) refuse wider pictures; BMP, TIFF and PNG take them.
TEST(SaveRefusal, PictureWiderThanTheFormatAllows) {
  TDIB wide;
  newdib(wide, 70000, 2, 8);
  ASSERT_TRUE(wide.HasBits());
  for (const FormatCase& format : AllFormats()) {
    const bool fits = format.format == TDibFormat::Bmp || format.format == TDibFormat::Dib ||
                      format.format == TDibFormat::Rle || format.format == TDibFormat::Tif ||
                      format.format == TDibFormat::Png;
    EXPECT_EQ(EncodeDib(wide, format.format).empty(), !fits) << format.name;
  }
}

TEST(SaveRefusal, UnknownCodesAndUnwritablePaths) {
  const TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const TDIB dib = save_test::MakePicture(save_test::PictureNamed("Palette4"));
  for (int code : {-1, 0, 2, 15, 1000}) {
    const std::filesystem::path path = dir.path() / ("code" + std::to_string(code));
    EXPECT_FALSE(SaveDib(dib, path.string(), code)) << code;
    EXPECT_FALSE(std::filesystem::exists(path)) << code;
  }
  EXPECT_FALSE(SaveDib(dib, (dir.path() / "missing" / "a.bmp").string(), 2));
  EXPECT_FALSE(SaveDib(dib, dir.path().string(), 2));  // a directory, not a file
  EXPECT_FALSE(SaveDib(dib, "", 2));
}

TEST(SaveFile, PathIsTakenAsUtf8) {
  const TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const TDIB dib = save_test::MakePicture(save_test::PictureNamed("Palette4"));
  const std::string utf8 = dir.path().string() + "/Gr\xC3\xBC\xC3\x9F" + "e.bmp";
  ASSERT_TRUE(SaveDib(dib, utf8, static_cast<int>(TDibFormat::Bmp)));
  EXPECT_TRUE(std::filesystem::exists(dir.path() / std::filesystem::path(u8"Grüße.bmp")));
}

}  // namespace
}  // namespace paginor
