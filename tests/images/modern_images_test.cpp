// The modern reader's pictures: /Filter arrays, /JPXDecode, /JBIG2Decode, CMYK samples and
// ICC-based colour spaces, and encrypted pictures of every revision; the classic reader leaves
// them as it always did.
#include <gtest/gtest.h>

#include <cmath>

#include "images/image_attributes.h"
#include "images/image_extraction.h"
#include "images/jbig2_reader.h"
#include "images/jpx_reader.h"
#include "support/filter_encoders.h"
#include "support/pdf_builder.h"
#include "support/pnm.h"
#include "support/read_structure.h"

namespace paginor {
namespace {

using testing::FixedPrompt;
using testing::ParsePnm;
using testing::PdfBuilder;
using testing::Pnm;
using testing::ReadFixture;
using testing::ReadStructure;
using testing::Rgb;

Rgb PixelAt(const TDIB& dib, int x, int y) {
  const uint32_t v = getpixel(dib, x, dib.Height() - 1 - y);
  if (dib.BitCount() <= 8) {
    const TRGBQuad q = dib.Colors().at(v);
    return {q.Red, q.Green, q.Blue};
  }
  return {static_cast<int>(v >> 16 & 255), static_cast<int>(v >> 8 & 255),
          static_cast<int>(v & 255)};
}

// The largest and the mean difference of any colour component; 999 when the sizes differ.
std::pair<int, double> Difference(const TDIB& dib, const Pnm& expected) {
  if (!dib.HasBits() || dib.Width() != expected.width || dib.Height() != expected.height) {
    return {999, 999};
  }
  int max = 0;
  long total = 0;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const Rgb a = PixelAt(dib, x, y);
      const Rgb b = expected.At(x, y);
      for (const int d : {a.r - b.r, a.g - b.g, a.b - b.b}) {
        max = std::max(max, std::abs(d));
        total += std::abs(d);
      }
    }
  }
  return {max, static_cast<double>(total) / (3.0 * expected.width * expected.height)};
}

int MaxDifference(const TDIB& dib, const Pnm& expected) {
  return Difference(dib, expected).first;
}

Pnm Source(const std::string& name) {
  return ParsePnm(ReadFixture("images/" + name));
}

// The same picture, pixel for pixel.
bool SamePixels(const TDIB& a, const TDIB& b) {
  if (!a.HasBits() || a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      if (!(PixelAt(a, x, y) == PixelAt(b, x, y))) return false;
    }
  }
  return true;
}

struct Extracted {
  std::unique_ptr<TDocReader> reader;
  TImageRec* bound = nullptr;
  TDynaArray<TImageRec> images{&bound};
  TImageExtraction result;

  Extracted(std::string file, bool modern, std::optional<std::string> password = std::nullopt,
            int64_t image_cap = 0) {
    FixedPrompt prompt(std::move(password));
    reader = ReadStructure(std::move(file), &prompt, modern);
    if (image_cap > 0) reader->Caps.Limits.ImageBytes = image_cap;
    result = ExtractImages(*reader, images, true, [](const std::string&) {});
  }
};

// One page showing one image XObject (object 5) with the given dictionary entries and data;
// extra objects from 20 on.
std::string OneImageFile(const std::string& dict, const std::string& data,
                         const std::map<int, std::string>& extra = {}) {
  PdfBuilder pdf;
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  pdf.Set(3,
          "<< /Type /Page /Parent 2 0 R /Contents 4 0 R "
          "/Resources << /XObject << /Im1 5 0 R >> >> >>");
  pdf.Set(4, "<< /Length 11 >>\nstream\nq /Im1 Do Q\nendstream");
  pdf.Set(5, "<< /Type /XObject /Subtype /Image " + dict + " /Length " +
                 std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream");
  for (const auto& [num, body] : extra)
    pdf.Set(num, body);
  pdf.root = 1;
  return pdf.Build();
}

TEST(FilterArrays, GhostscriptsAscii85PicturesAreThePlainOnes) {
  for (const char* kind : {"flate", "dct"}) {
    const std::string a85 = ReadFixture(std::string("filters/gs-a85-") + kind + ".pdf");
    const std::string plain = ReadFixture(std::string("filters/gs-plain-") + kind + ".pdf");
    ASSERT_NE(a85.find("/Filter[/ASCII85Decode"), std::string::npos) << kind;
    Extracted modern(a85, true);
    Extracted reference(plain, false);
    ASSERT_EQ(modern.images.Count(), 1) << kind;
    ASSERT_EQ(reference.images.Count(), 1) << kind;
    EXPECT_EQ(modern.images[0].Bitmap.BitCount(), 24) << kind;
    EXPECT_TRUE(SamePixels(modern.images[0].Bitmap.Decode(), reference.images[0].Bitmap.Decode()))
        << kind;
    // A JPEG picture keeps its stream, without the ASCII85 around it, for saving.
    EXPECT_EQ(modern.images[0].JpegBytes(), reference.images[0].JpegBytes()) << kind;
    // The classic reader decodes no picture whose /Filter is an array.
    Extracted strict(a85, false);
    EXPECT_EQ(strict.images.Count(), 0) << kind;
  }
  Extracted flate(ReadFixture("filters/gs-a85-flate.pdf"), true);
  EXPECT_EQ(MaxDifference(flate.images[0].Bitmap.Decode(), Source("rgb-large.ppm")), 0);
}

TEST(FilterArrays, GenericFiltersBeforeEveryDecoder) {
  using namespace testing;
  const std::string jpx = ReadFixture("filters/grey.j2k");
  const Pnm grey = Source("grey.pgm");
  std::string samples;
  for (int y = 0; y < grey.height; ++y) {
    for (int x = 0; x < grey.width; ++x)
      samples += static_cast<char>(grey.At(x, y).r);
  }
  const struct {
    const char* name;
    std::string filter;
    std::string data;
  } cases[] = {
      {"ASCIIHex, JPX", "/Filter [/ASCIIHexDecode /JPXDecode]", EncodeASCIIHex(jpx)},
      {"RunLength, Flate", "/Filter [/RL /Fl]", EncodeRunLength(Deflate(samples))},
      {"LZW alone", "/Filter /LZWDecode", EncodeLzw(samples)},
      {"Flate with predictor, ASCIIHex",
       "/Filter [/ASCIIHexDecode /FlateDecode] /DecodeParms [null << /Predictor 12 /Columns 37 >>]",
       EncodeASCIIHex(Deflate(EncodePng(samples, 37, 1)))},
  };
  for (const auto& c : cases) {
    const std::string file = OneImageFile(
        "/Width 37 /Height 23 /ColorSpace /DeviceGray /BitsPerComponent 8 " + c.filter, c.data);
    Extracted modern(file, true);
    ASSERT_EQ(modern.images.Count(), 1) << c.name << "\n" << file.substr(0, 600);
    EXPECT_EQ(MaxDifference(modern.images[0].Bitmap.Decode(), grey), 0) << c.name;
    Extracted strict(file, false);
    EXPECT_EQ(strict.images.Count(), 0) << c.name;
  }
}

TEST(CmykPictures, InksBecomeTheirColours) {
  // The TIFF's inks (make_filter_fixtures.sh) and the colours they give: each ink takes its
  // share of the white that black leaves.
  const Rgb expected[8] = {{0, 255, 255},   {255, 0, 255},  {255, 255, 0},   {0, 0, 0},
                           {255, 255, 255}, {63, 127, 127}, {255, 191, 255}, {207, 179, 152}};
  for (const char* file : {"filters/img2pdf-cmyk.pdf", "filters/img2pdf-cmyk-icc.pdf"}) {
    Extracted modern(ReadFixture(file), true);
    ASSERT_EQ(modern.images.Count(), 1) << file;
    const TDIB& dib = modern.images[0].Bitmap.Decode();
    ASSERT_EQ(dib.BitCount(), 24) << file;
    ASSERT_EQ(dib.Width(), 8);
    ASSERT_EQ(dib.Height(), 5);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 8; ++x) {
        const Rgb want = expected[(x + y) % 8];
        const Rgb got = PixelAt(dib, x, y);
        EXPECT_LE(std::abs(got.r - want.r) + std::abs(got.g - want.g) + std::abs(got.b - want.b), 3)
            << file << " at " << x << "," << y << ": " << got.r << " " << got.g << " " << got.b;
      }
    }
    Extracted strict(ReadFixture(file), false);
    EXPECT_EQ(strict.images.Count(), 0) << file;
  }
  // ghostscript's own conversion of the RGB picture comes back close to it.
  Extracted gs(ReadFixture("filters/gs-cmyk.pdf"), true);
  ASSERT_EQ(gs.images.Count(), 1);
  EXPECT_LT(Difference(gs.images[0].Bitmap.Decode(), Source("rgb-large.ppm")).second, 40.0);
}

TEST(IccBased, GreyAndRgbProfilesByTheirComponents) {
  for (const bool modern : {true, false}) {
    Extracted x(ReadFixture("filters/img2pdf-icc.pdf"), modern);
    ASSERT_EQ(x.images.Count(), 2) << modern;
    EXPECT_EQ(x.images[0].Bitmap.BitCount(), 8);
    EXPECT_EQ(MaxDifference(x.images[0].Bitmap.Decode(), Source("grey.pgm")), 0) << modern;
    EXPECT_EQ(x.images[1].Bitmap.BitCount(), 24);
    EXPECT_EQ(MaxDifference(x.images[1].Bitmap.Decode(), Source("rgb.ppm")), 0) << modern;
  }
}

TEST(JpxPictures, LosslessPicturesComeOutExactly) {
  Extracted rgb(ReadFixture("filters/img2pdf-jpx.pdf"), true);
  ASSERT_EQ(rgb.images.Count(), 1);
  EXPECT_EQ(rgb.images[0].Bitmap.BitCount(), 24);
  EXPECT_EQ(MaxDifference(rgb.images[0].Bitmap.Decode(), Source("rgb.ppm")), 0);
  Extracted strict(ReadFixture("filters/img2pdf-jpx.pdf"), false);
  EXPECT_EQ(strict.images.Count(), 0);

  // A bare codestream without /BitsPerComponent (JPX pictures may leave it out).
  const std::string grey_file =
      OneImageFile("/Width 37 /Height 23 /ColorSpace /DeviceGray /Filter /JPXDecode",
                   ReadFixture("filters/grey.j2k"));
  Extracted grey(grey_file, true);
  ASSERT_EQ(grey.images.Count(), 1);
  EXPECT_EQ(grey.images[0].Bitmap.BitCount(), 8);
  EXPECT_EQ(MaxDifference(grey.images[0].Bitmap.Decode(), Source("grey.pgm")), 0);
}

TEST(JpxPictures, DamagedOrOversizedDataGiveNoPicture) {
  const std::string jp2 = [] {
    const std::string file = ReadFixture("filters/img2pdf-jpx.pdf");
    const std::size_t start = file.find("stream\n", file.find("/JPXDecode")) + 7;
    return file.substr(start, 945);
  }();
  TImageAttributes a;
  TDIB dib;
  ReadJpx(dib, jp2, a, kMaxBitmapBytes);
  ASSERT_TRUE(dib.HasBits());
  const struct {
    const char* name;
    std::string data;
    int64_t max_bytes;
  } cases[] = {
      {"empty", "", kMaxBitmapBytes},
      {"signature alone", jp2.substr(0, 12), kMaxBitmapBytes},
      {"cut in half", jp2.substr(0, jp2.size() / 2), kMaxBitmapBytes},
      {"garbage", std::string(500, '\x5A'), kMaxBitmapBytes},
      {"larger than the cap", jp2, 37 * 23 * 3},
  };
  for (const auto& c : cases) {
    TDIB out;
    ReadJpx(out, c.data, a, c.max_bytes);
    if (std::string(c.name) == "cut in half") continue;  // may keep what it decoded
    EXPECT_FALSE(out.HasBits()) << c.name;
  }
  // The dictionary's size counts against the picture cap before anything is decoded.
  Extracted capped(ReadFixture("filters/img2pdf-jpx.pdf"), true, std::nullopt, 1000);
  EXPECT_EQ(capped.images.Count(), 0);
  EXPECT_TRUE(capped.reader->Caps.WasReached(TCap::Image));
}

std::string Be32(uint32_t v) {
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8)
    s += static_cast<char>(v >> shift & 0xFF);
  return s;
}

std::string Jbig2Segment(uint32_t number, uint8_t type, const std::string& data) {
  // No referred-to segments, page 1.
  return Be32(number) + static_cast<char>(type) + '\0' + '\1' +
         Be32(static_cast<uint32_t>(data.size())) + data;
}

TEST(Jbig2Pictures, MmrRegionAsTheMonochromePicture) {
  const std::string stream = ReadFixture("filters/mono-mmr.jbig2");
  const Pnm mono = Source("mono.pbm");
  const std::string dict =
      "/Width 37 /Height 23 /ColorSpace /DeviceGray /BitsPerComponent 1 /Filter /JBIG2Decode";
  Extracted plain(OneImageFile(dict, stream), true);
  ASSERT_EQ(plain.images.Count(), 1);
  EXPECT_EQ(plain.images[0].Bitmap.BitCount(), 1);
  EXPECT_EQ(MaxDifference(plain.images[0].Bitmap.Decode(), mono), 0);

  // /Decode [1 0] swaps black and white.
  Extracted inverted(OneImageFile(dict + " /Decode [1 0]", stream), true);
  ASSERT_EQ(inverted.images.Count(), 1);
  EXPECT_EQ(PixelAt(inverted.images[0].Bitmap.Decode(), 0, 0).r, 255 - mono.At(0, 0).r);

  // A /JBIG2Globals stream is read and handed to the decoder; one with a segment the page
  // does not use leaves the picture as it is.
  const std::string globals = Jbig2Segment(9, 62, std::string("\x80\x00\x00\x00", 4));
  Extracted with_globals(OneImageFile(dict + " /DecodeParms << /JBIG2Globals 20 0 R >>", stream,
                                      {{20, "<< /Length " + std::to_string(globals.size()) +
                                                " >>\nstream\n" + globals + "\nendstream"}}),
                         true);
  ASSERT_EQ(with_globals.images.Count(), 1);
  EXPECT_EQ(MaxDifference(with_globals.images[0].Bitmap.Decode(), mono), 0);
  {
    // What the decoder is handed as globals: the stream's data.
    const std::string file = OneImageFile(dict + " /DecodeParms << /JBIG2Globals 20 0 R >>", stream,
                                          {{20, "<< /Length " + std::to_string(globals.size()) +
                                                    " >>\nstream\n" + globals + "\nendstream"}});
    auto reader = ReadStructure(file, nullptr, true);
    TObjectResolver objects(*reader);
    EXPECT_EQ(ReadImageAttributes(objects, objects.Object({5, 0}), {5, 0}).Jbig2Globals, globals);
    // The classic reader knows no JBIG2 pictures.
    reader->SetRules(TReadingRules::Classic());
    ASSERT_TRUE(reader->GotoObject(5));
    reader->ReadDict();
    const std::vector<TDictEntry> entries(reader->DictEntries.begin(), reader->DictEntries.end());
    reader->FreeDict();
    EXPECT_EQ(ReadImageAttributes(*reader, entries, 5, 0).Jbig2Globals, "");
  }

  Extracted strict(OneImageFile(dict, stream), false);
  EXPECT_EQ(strict.images.Count(), 0);
}

TEST(Jbig2Pictures, HostileStreamsStayWithinTheBudget) {
  const std::string stream = ReadFixture("filters/mono-mmr.jbig2");
  const std::string huge_page =
      Jbig2Segment(0, 48, Be32(200000) + Be32(200000) + Be32(0) + Be32(0) + std::string(3, '\0'));
  const struct {
    const char* name;
    std::string data;
    int64_t max_bytes;
  } cases[] = {
      {"empty", "", kMaxBitmapBytes},
      {"garbage", std::string(300, '\xA5'), kMaxBitmapBytes},
      {"cut inside the page information", stream.substr(0, 20), kMaxBitmapBytes},
      {"a page of 40 gigapixels", huge_page + stream.substr(30), kMaxBitmapBytes},
      {"larger than the cap", stream, 20},
  };
  for (const auto& c : cases) {
    TDIB dib;
    ReadJbig2(dib, c.data, {}, false, c.max_bytes);
    EXPECT_FALSE(dib.HasBits()) << c.name;
  }
  TDIB good;
  ReadJbig2(good, stream, {}, false, kMaxBitmapBytes);
  EXPECT_TRUE(good.HasBits());
}

// Streams the fuzzer found on a page of 37 x 23 pixels, each asking jbig2dec for minutes of
// work with one field: refused as found, decoded once that field is sane.
TEST(Jbig2Pictures, WorkOutOfProportionToThePageIsRefused) {
  const struct {
    const char* name;
    const char* fixture;
    std::size_t field;  // offset of the 32-bit field
    uint32_t found;
    uint32_t sane;
  } cases[] = {
      // The decoder would place the instances one by one.
      {"a text region of half a billion symbol instances", "filters/busy-text-region.jbig2", 60,
       541098242, 3},
      // The decoder would visit each pixel of the region, even outside the page.
      {"a refinement region 16 515 095 rows tall", "filters/tall-refinement-region.jbig2", 45,
       0x00FC0017, 23},
  };
  for (const auto& c : cases) {
    const std::string found = ReadFixture(c.fixture);
    ASSERT_EQ(found.substr(c.field, 4), Be32(c.found)) << c.name;
    TDIB refused;
    ReadJbig2(refused, found, {}, false, kMaxBitmapBytes);
    EXPECT_FALSE(refused.HasBits()) << c.name;
    TDIB decoded;
    ReadJbig2(decoded, found.substr(0, c.field) + Be32(c.sane) + found.substr(c.field + 4), {},
              false, kMaxBitmapBytes);
    EXPECT_TRUE(decoded.HasBits()) << c.name;
  }
}

TEST(Jbig2Pictures, AStripedPageOfUnknownHeightIsDecoded) {
  // The page information's height all ones, striped with stripes of up to 23 rows.
  std::string stream = ReadFixture("filters/mono-mmr.jbig2");
  stream.replace(15, 4, Be32(0xFFFFFFFF));
  stream.replace(28, 2, std::string("\x80\x17", 2));
  TDIB dib;
  ReadJbig2(dib, stream, {}, false, kMaxBitmapBytes);
  ASSERT_TRUE(dib.HasBits());
  EXPECT_EQ(MaxDifference(dib, Source("mono.pbm")), 0);
}

TEST(EncryptedPictures, PaletteTablesAreDecryptedLikeStreams) {
  Extracted plain(ReadFixture("crypt/palette.pdf"), true);
  ASSERT_EQ(plain.images.Count(), 1);
  // The palette's colours, as the PNG's PLTE gives them.
  EXPECT_EQ(PixelAt(plain.images[0].Bitmap.Decode(), 0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(PixelAt(plain.images[0].Bitmap.Decode(), 1, 0), (Rgb{0, 160, 0}));
  EXPECT_EQ(PixelAt(plain.images[0].Bitmap.Decode(), 3, 0), (Rgb{250, 250, 40}));
  // The table in the image's dictionary, in a colour space object of its own (decrypted with
  // that object's key) and in an object stream (decrypted with the stream, not again).
  for (const char* file :
       {"crypt/qpdf-r3-palette.pdf", "crypt/qpdf-r6-palette.pdf",
        "crypt/qpdf-r3-palette-object.pdf", "crypt/qpdf-r3-palette-objstm.pdf"}) {
    for (const char* password : {"geheim", "chef"}) {
      Extracted encrypted(ReadFixture(file), true, password);
      ASSERT_EQ(encrypted.images.Count(), 1) << file << " " << password;
      EXPECT_TRUE(SamePixels(encrypted.images[0].Bitmap.Decode(), plain.images[0].Bitmap.Decode()))
          << file << " " << password;
    }
  }
  // Revision 2 images still open in the classic reader, as before.
  Extracted classic(ReadFixture("images/rc4-40-images.pdf"), false);
  EXPECT_EQ(classic.images.Count(), 3);
  Extracted modern(ReadFixture("images/rc4-40-images.pdf"), true);
  ASSERT_EQ(modern.images.Count(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(SamePixels(modern.images[i].Bitmap.Decode(), classic.images[i].Bitmap.Decode()))
        << i;
}

}  // namespace
}  // namespace paginor
