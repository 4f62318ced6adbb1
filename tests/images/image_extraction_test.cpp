#include "images/image_extraction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "images/readers.h"
#include "support/pdf_builder.h"
#include "support/pnm.h"
#include "support/read_structure.h"

namespace paginor {
namespace {

using testing::ParsePnm;
using testing::PdfBuilder;
using testing::Pnm;
using testing::ReadFixture;
using testing::ReadStructure;
using testing::Rgb;

// The colour of the picture's pixel (x, y), y counted from the top.
Rgb PixelAt(const TDIB& dib, int x, int y) {
  const uint32_t v = getpixel(dib, x, dib.Height() - 1 - y);
  if (dib.BitCount() <= 8) {
    const TRGBQuad q = dib.Colors().at(v);
    return {q.Red, q.Green, q.Blue};
  }
  return {static_cast<int>(v >> 16 & 255), static_cast<int>(v >> 8 & 255),
          static_cast<int>(v & 255)};
}

struct Difference {
  int max = 0;
  double mean = 0;
};

Difference Compare(const TDIB& dib, const Pnm& expected) {
  Difference d;
  if (dib.Width() != expected.width || dib.Height() != expected.height) return {999, 999};
  long total = 0;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const Rgb a = PixelAt(dib, x, y);
      const Rgb b = expected.At(x, y);
      for (const int diff : {a.r - b.r, a.g - b.g, a.b - b.b}) {
        d.max = std::max(d.max, std::abs(diff));
        total += std::abs(diff);
      }
    }
  }
  d.mean = static_cast<double>(total) / (3.0 * expected.width * expected.height);
  return d;
}

Pnm Source(const std::string& name) {
  return ParsePnm(ReadFixture("images/" + name));
}

struct Extracted {
  std::unique_ptr<TDocReader> reader;
  TImageRec* bound = nullptr;
  TDynaArray<TImageRec> images{&bound};
  TImageExtraction result;
  std::vector<std::string> status;

  explicit Extracted(std::string file, bool read_pictures = true) {
    reader = ReadStructure(std::move(file));
    result = ExtractImages(*reader, images, read_pictures,
                           [this](const std::string& line) { status.push_back(line); });
  }
};

TEST(ImageExtraction, PngPredictorImagesFromImg2pdf) {
  Extracted x(ReadFixture("images/img2pdf-png.pdf"));
  EXPECT_EQ(x.status,
            (std::vector<std::string>{"3 Bilder/Objekte gefunden...", "3 JPEG-Bilder gelesen..."}));
  ASSERT_EQ(x.images.Count(), 3);
  EXPECT_EQ(x.images[0].Bitmap.BitCount(), 24);
  EXPECT_EQ(x.images[1].Bitmap.BitCount(), 8);
  EXPECT_EQ(x.images[2].Bitmap.BitCount(), 1);
  EXPECT_EQ(Compare(x.images[0].Bitmap.Decode(), Source("rgb.ppm")).max, 0);
  EXPECT_EQ(Compare(x.images[1].Bitmap.Decode(), Source("grey.pgm")).max, 0);
  EXPECT_EQ(Compare(x.images[2].Bitmap.Decode(), Source("mono.pbm")).max, 0);
  // img2pdf names every page's picture /Im0: each page still finds its own.
  for (int page = 0; page < 3; ++page) {
    EXPECT_EQ(x.result.Pages.ImageNumber(page, x.images[page].Name), page + 1);
  }
}

TEST(ImageExtraction, JpegOfEveryKindFromImg2pdf) {
  Extracted x(ReadFixture("images/img2pdf-jpeg.pdf"));
  ASSERT_EQ(x.images.Count(), 4);
  const struct {
    const char* kind;
    const char* source;   // what was encoded
    const char* decoded;  // what an independent decoder makes of the JPEG file
  } cases[] = {{"RGB", "rgb.ppm", "rgb-jpeg.ppm"},
               {"grey", "grey.pgm", "grey-jpeg.pgm"},
               {"Adobe CMYK", "rgb.ppm", "cmyk-jpeg.ppm"},
               {"progressive", "rgb.ppm", "progressive-jpeg.ppm"}};
  for (int i = 0; i < 4; ++i) {
    const TImageRec& image = x.images[i];
    EXPECT_EQ(image.FilterKind, TFilterKind::DCT) << cases[i].kind;
    EXPECT_EQ(image.Bitmap.BitCount(), 24) << cases[i].kind;
    const Difference decoded = Compare(image.Bitmap.Decode(), Source(cases[i].decoded));
    EXPECT_LE(decoded.max, 8) << cases[i].kind;
    EXPECT_LT(decoded.mean, 1.0) << cases[i].kind;
    EXPECT_LT(Compare(image.Bitmap.Decode(), Source(cases[i].source)).mean, 8.0) << cases[i].kind;
    ASSERT_GE(image.JpegBytes().size(), 2u);
    EXPECT_EQ(image.JpegBytes().substr(0, 2), "\xFF\xD8") << cases[i].kind;
  }
}

TEST(ImageExtraction, CcittGroup4FromTiff2pdfInBothPolarities) {
  for (const char* file : {"images/ccitt-g4.pdf", "images/ccitt-g4-blackis1.pdf"}) {
    Extracted x(ReadFixture(file));
    ASSERT_EQ(x.images.Count(), 1) << file;
    EXPECT_EQ(x.images[0].FilterKind, TFilterKind::CCITT);
    EXPECT_EQ(x.images[0].Bitmap.BitCount(), 1);
    EXPECT_EQ(Compare(x.images[0].Bitmap.Decode(), Source("mono.pbm")).max, 0) << file;
  }
}

TEST(ImageExtraction, GhostscriptFlateImageAndAnEncryptedFile) {
  Extracted gs(ReadFixture("images/gs-image.pdf"));
  ASSERT_EQ(gs.images.Count(), 1);
  EXPECT_EQ(Compare(gs.images[0].Bitmap.Decode(), Source("rgb-large.ppm")).max, 0);

  Extracted encrypted(ReadFixture("images/rc4-40-images.pdf"));
  ASSERT_EQ(encrypted.images.Count(), 3);
  EXPECT_EQ(Compare(encrypted.images[0].Bitmap.Decode(), Source("rgb.ppm")).max, 0);
  EXPECT_EQ(Compare(encrypted.images[2].Bitmap.Decode(), Source("mono.pbm")).max, 0);
}

TEST(ImageExtraction, NothingIsDecodedWithoutReadPictures) {
  Extracted x(ReadFixture("images/img2pdf-png.pdf"), false);
  EXPECT_EQ(x.images.Count(), 0);
  EXPECT_EQ(x.status,
            (std::vector<std::string>{"3 Bilder/Objekte gefunden...", "0 JPEG-Bilder gelesen..."}));
}

// A document whose pages bind the given XObject dictionaries.
std::string WithPages(PdfBuilder& pdf, const std::vector<std::string>& xobjects) {
  const int tree = pdf.Add("");
  std::string kids;
  for (const std::string& x : xobjects) {
    kids += std::to_string(pdf.Add("<< /Type /Page /Resources << /XObject << " + x + " >> >> >>")) +
            " 0 R ";
  }
  pdf.Set(tree, "<< /Type /Pages /Kids [" + kids + "] >>");
  pdf.root = pdf.Add("<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
  return pdf.Build();
}

std::string Ref(int num) {
  return std::to_string(num) + " 0 R";
}

std::string ImageDict(int w, int h, const std::string& more) {
  return "/Type /XObject /Subtype /Image /Width " + std::to_string(w) + " /Height " +
         std::to_string(h) + " " + more;
}

TEST(ImageExtraction, FlateSamplesBecomeBitmapsOfTheirDepth) {
  // 3 × 2 pictures, first data row at the top.
  const std::string rgb = std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF", 9) +
                          std::string("\x10\x20\x30\x40\x50\x60\x70\x80\x90", 9);
  const struct {
    const char* name;
    std::string dict;
    std::string samples;
    int bits;
    std::vector<Rgb> top_row;
    std::vector<Rgb> bottom_row;
  } cases[] = {
      {"8-bit RGB",
       "/ColorSpace /DeviceRGB /BitsPerComponent 8",
       rgb,
       24,
       {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
       {{16, 32, 48}, {64, 80, 96}, {112, 128, 144}}},
      {"8-bit grey",
       "/ColorSpace /DeviceGray /BitsPerComponent 8",
       std::string("\x00\x80\xFF\x10\x20\x30", 6),
       8,
       {{0, 0, 0}, {128, 128, 128}, {255, 255, 255}},
       {{16, 16, 16}, {32, 32, 32}, {48, 48, 48}}},
      {"1-bit grey",
       "/ColorSpace /DeviceGray /BitsPerComponent 1",
       "\xA0\x40",
       1,
       {{255, 255, 255}, {0, 0, 0}, {255, 255, 255}},
       {{0, 0, 0}, {255, 255, 255}, {0, 0, 0}}},
      {"2-bit grey",
       "/ColorSpace /DeviceGray /BitsPerComponent 2",
       "\x1B\xE4",
       4,
       {{0, 0, 0}, {85, 85, 85}, {170, 170, 170}},
       {{255, 255, 255}, {170, 170, 170}, {85, 85, 85}}},
      {"inverted grey",
       "/ColorSpace /DeviceGray /BitsPerComponent 8 /Decode [1 0]",
       std::string("\x00\xFF\x00\xFF\x00\xFF", 6),
       8,
       {{255, 255, 255}, {0, 0, 0}, {255, 255, 255}},
       {{0, 0, 0}, {255, 255, 255}, {0, 0, 0}}},
      {"indexed",
       "/ColorSpace [/Indexed /DeviceRGB 2 <FF0000 00FF00\n0000FF>] /BitsPerComponent 8",
       std::string("\x00\x01\x02\x02\x01\x00", 6),
       8,
       {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
       {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}}},
      {"image mask",
       "/ImageMask true /BitsPerComponent 1",
       "\x40\xA0",
       1,
       {{0, 0, 0}, {255, 255, 255}, {0, 0, 0}},
       {{255, 255, 255}, {0, 0, 0}, {255, 255, 255}}},
      {"16-bit RGB",
       "/ColorSpace /DeviceRGB /BitsPerComponent 16",
       std::string("\xFF\x01\x00\x02\x00\x03\x00\x00\xFF\x00\x00\x00\x00\x00\x00\x00\xFF\x00", 18) +
           std::string(18, '\x40'),
       24,
       {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
       {{64, 64, 64}, {64, 64, 64}, {64, 64, 64}}},
  };
  for (const auto& c : cases) {
    PdfBuilder pdf;
    const int image = pdf.AddStream(ImageDict(3, 2, c.dict + " /Filter /FlateDecode"),
                                    PdfBuilder::Deflate(c.samples));
    Extracted x(WithPages(pdf, {"/Im1 " + Ref(image)}));
    ASSERT_EQ(x.images.Count(), 1) << c.name;
    const TDIB& dib = x.images[0].Bitmap.Decode();
    EXPECT_EQ(dib.BitCount(), c.bits) << c.name;
    for (int col = 0; col < 3; ++col) {
      EXPECT_EQ(PixelAt(dib, col, 0), c.top_row[col]) << c.name << " top " << col;
      EXPECT_EQ(PixelAt(dib, col, 1), c.bottom_row[col]) << c.name << " bottom " << col;
    }
  }
}

TEST(ImageExtraction, TiffPredictorIsUndone) {
  // Rows of differences: 10, +5, +5 per component of one grey channel.
  PdfBuilder pdf;
  const int image =
      pdf.AddStream(ImageDict(3, 1,
                              "/ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode "
                              "/DecodeParms << /Predictor 2 /Colors 1 /Columns 3 >>"),
                    PdfBuilder::Deflate("\x0A\x05\x05"));
  Extracted x(WithPages(pdf, {"/Im1 " + Ref(image)}));
  ASSERT_EQ(x.images.Count(), 1);
  EXPECT_EQ(getpixel(x.images[0].Bitmap.Decode(), 0, 0), 10u);
  EXPECT_EQ(getpixel(x.images[0].Bitmap.Decode(), 2, 0), 20u);
}

TEST(ImageExtraction, WhatIsNotDecodedIsCountedThenPruned) {
  PdfBuilder pdf;
  const std::string grey = PdfBuilder::Deflate(std::string(4, '\x80'));
  const int form = pdf.AddStream("/Type /XObject /Subtype /Form /BBox [0 0 1 1]", "0 0 m");
  const int array =
      pdf.AddStream(ImageDict(2, 2, "/BitsPerComponent 8 /Filter [/FlateDecode]"), grey);
  const int no_depth = pdf.AddStream(ImageDict(2, 2, "/Filter /FlateDecode"), grey);
  const int damaged = pdf.AddStream(ImageDict(2, 2, "/BitsPerComponent 8 /Filter /DCTDecode"),
                                    "\xFF\xD8 not a jpeg");
  const int thin_fax = pdf.AddStream(
      ImageDict(8, 1, "/BitsPerComponent 1 /Filter /CCITTFaxDecode /DecodeParms << /K -1 >>"),
      "\x00");
  const int good = pdf.AddStream(ImageDict(1, 1, "/BitsPerComponent 8 /Filter /FlateDecode"),
                                 PdfBuilder::Deflate("\x40"));
  Extracted x(
      WithPages(pdf, {"/Fm1 " + Ref(form) + " /A " + Ref(array) + " /B " + Ref(no_depth) + " /C " +
                      Ref(damaged) + " /D " + Ref(thin_fax) + " /E " + Ref(good)}));
  EXPECT_EQ(x.status[0], "6 Bilder/Objekte gefunden...");
  EXPECT_EQ(x.status[1], "1 JPEG-Bilder gelesen...");
  ASSERT_EQ(x.images.Count(), 1);
  EXPECT_EQ(x.images[0].Name, "/E");  // 1 × 1 Flate is decoded
  EXPECT_EQ(x.result.Pages.ImageNumber(0, "/E"), 1);
  EXPECT_EQ(x.result.Pages.ImageNumber(0, "/Fm1"), 0);
  EXPECT_EQ(x.result.Pages.ImageNumber(0, "/Unbekannt"), 0);
}

TEST(ImageExtraction, NamesAreResolvedPerPage) {
  PdfBuilder pdf;
  const int first = pdf.AddStream(ImageDict(1, 1, "/BitsPerComponent 8 /Filter /FlateDecode"),
                                  PdfBuilder::Deflate("\x10"));
  const int second = pdf.AddStream(ImageDict(1, 1, "/BitsPerComponent 8 /Filter /FlateDecode"),
                                   PdfBuilder::Deflate("\x20"));
  // Page 1 and 2 bind /Im1 to different objects; page 3 binds the first object as /X.
  Extracted x(WithPages(pdf, {"/Im1 " + Ref(first), "/Im1 " + Ref(second), "/X " + Ref(first)}));
  EXPECT_EQ(x.status[0], "2 Bilder/Objekte gefunden...");
  ASSERT_EQ(x.images.Count(), 2);
  EXPECT_EQ(getpixel(x.images[0].Bitmap.Decode(), 0, 0), 0x10u);
  EXPECT_EQ(getpixel(x.images[1].Bitmap.Decode(), 0, 0), 0x20u);
  EXPECT_EQ(x.result.Pages.ImageNumber(0, "/Im1"), 1);
  EXPECT_EQ(x.result.Pages.ImageNumber(1, "/Im1"), 2);
  EXPECT_EQ(x.result.Pages.ImageNumber(2, "/X"), 1);
  EXPECT_EQ(x.result.Pages.ImageNumber(2, "/Im1"), 0);
}

TEST(ImageExtraction, NumbersFollowThePrunedList) {
  PdfBuilder pdf;
  const int form = pdf.AddStream("/Type /XObject /Subtype /Form", "");
  const int a = pdf.AddStream(ImageDict(1, 1, "/BitsPerComponent 8 /Filter /FlateDecode"),
                              PdfBuilder::Deflate("\x01"));
  const int b = pdf.AddStream(ImageDict(1, 1, "/BitsPerComponent 8 /Filter /FlateDecode"),
                              PdfBuilder::Deflate("\x02"));
  Extracted x(WithPages(pdf, {"/F " + Ref(form) + " /A " + Ref(a) + " /B " + Ref(b)}));
  EXPECT_EQ(x.result.Pages.ImageNumber(0, "/A"), 1);
  EXPECT_EQ(x.result.Pages.ImageNumber(0, "/B"), 2);
}

// --- pictures kept as their data, decoded when asked ---

// A small JPEG made by the JPEG writer, and the same with its quantisation tables cut out:
// its headers read, but decoding stops where the tables are first needed.
struct SmallJpeg {
  std::string good;
  std::string without_tables;
  SmallJpeg(int width, int height) {
    TDIB dib;
    newdib(dib, width, height, 24);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x)
        setpixel(dib, x, y, static_cast<uint32_t>(x * 40 + y));
    }
    good = EncodeDib(dib, TDibFormat::Jpg);
    std::size_t at = 2;  // after SOI: marker segments up to the scan
    without_tables = good.substr(0, 2);
    while (at + 4 <= good.size() && static_cast<uint8_t>(good[at]) == 0xFF &&
           static_cast<uint8_t>(good[at + 1]) != 0xDA) {
      const std::size_t length =
          static_cast<uint8_t>(good[at + 2]) << 8 | static_cast<uint8_t>(good[at + 3]);
      if (static_cast<uint8_t>(good[at + 1]) != 0xDB) without_tables += good.substr(at, 2 + length);
      at += 2 + length;
    }
    without_tables += good.substr(at);
  }
};

TEST(LazyPictures, TheRecordsSizeAndDepthAreThoseOfTheDecodedBitmap) {
  for (const char* file :
       {"images/img2pdf-png.pdf", "images/img2pdf-jpeg.pdf", "images/ccitt-g4.pdf",
        "images/gs-image.pdf", "images/rc4-40-images.pdf"}) {
    SCOPED_TRACE(file);
    Extracted x(ReadFixture(file));
    ASSERT_GT(x.images.Count(), 0);
    for (const TImageRec& image : x.images) {
      SCOPED_TRACE(image.Name);
      const TDIB first = image.Bitmap.Decode();
      ASSERT_TRUE(first.HasBits());
      EXPECT_EQ(image.Bitmap.Width(), first.Width());
      EXPECT_EQ(image.Bitmap.Height(), first.Height());
      EXPECT_EQ(image.Bitmap.BitCount(), first.BitCount());
      // Each decoding gives the same pixels, and no record holds them meanwhile.
      EXPECT_EQ(image.Bitmap.Decode().Bitmap()->Bits, first.Bitmap()->Bits);
      EXPECT_EQ(image.JpegBytes().empty(), image.FilterKind != TFilterKind::DCT);
    }
  }
}

// Checking without keeping the data gives the records that keeping it gives, only empty.
void ExpectSameRecordsWithoutKeptData(const std::string& file) {
  Extracted kept(file);
  auto reader = ReadStructure(file);
  TImageRec* bound = nullptr;
  TDynaArray<TImageRec> images{&bound};
  std::vector<std::string> status;
  const TImageExtraction result = ExtractImages(
      *reader, images, true, [&status](const std::string& line) { status.push_back(line); }, {},
      false);
  EXPECT_EQ(status, kept.status);
  EXPECT_EQ(result.Pages.ids_by_page, kept.result.Pages.ids_by_page);
  EXPECT_EQ(result.Pages.number_by_id, kept.result.Pages.number_by_id);
  ASSERT_EQ(images.Count(), kept.images.Count());
  for (int i = 0; i < images.Count(); ++i) {
    EXPECT_EQ(images[i].Name, kept.images[i].Name);
    EXPECT_EQ(images[i].Bitmap.Width(), kept.images[i].Bitmap.Width());
    EXPECT_EQ(images[i].Bitmap.BitCount(), kept.images[i].Bitmap.BitCount());
    EXPECT_FALSE(images[i].Bitmap.CanDecode());
    EXPECT_FALSE(images[i].Bitmap.Decode().HasBits());
  }
}

TEST(LazyPictures, WithoutKeptDataTheNumbersSizesAndDepthsStay) {
  for (const char* name : {"images/img2pdf-png.pdf", "images/img2pdf-jpeg.pdf"}) {
    SCOPED_TRACE(name);
    ExpectSameRecordsWithoutKeptData(ReadFixture(name));
  }
}

TEST(LazyPictures, TheSinkGetsEachPictureAsItPassesWithItsNumber) {
  PdfBuilder pdf;
  const SmallJpeg jpeg(5, 3);
  const int form = pdf.AddStream("/Type /XObject /Subtype /Form", "");
  const int photo = pdf.AddStream(
      ImageDict(5, 3, "/BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /DCTDecode"), jpeg.good);
  const int grey = pdf.AddStream(ImageDict(1, 1, "/BitsPerComponent 8 /Filter /FlateDecode"),
                                 PdfBuilder::Deflate("\x42"));
  auto reader =
      ReadStructure(WithPages(pdf, {"/F " + Ref(form) + " /P " + Ref(photo) + " /G " + Ref(grey)}));
  TImageRec* bound = nullptr;
  TDynaArray<TImageRec> images{&bound};
  struct Seen {
    int number;
    std::string name;
    std::string jpeg;
    bool handed_decoded;
    bool grey;  // its data, decoded at the hand-over, give the grey pixel
  };
  std::vector<Seen> seen;
  ExtractImages(
      *reader, images, true, [](const std::string&) {}, {}, false,
      [&seen](int number, const TImageRec& image, const TDIB& decoded) {
        const TDIB pixels = image.Bitmap.Decode();
        seen.push_back(
            {number, image.Name, std::string(image.JpegBytes()), decoded.HasBits(),
             pixels.HasBits() && pixels.BitCount() == 8 && getpixel(pixels, 0, 0) == 0x42});
      });
  ASSERT_EQ(seen.size(), 2u);
  // Neither is decoded for its check: the JPEG is handed over as stored, the Flate picture
  // with its data, which decode while it is being handed over.
  EXPECT_EQ(seen[0].number, 1);
  EXPECT_EQ(seen[0].name, "/P");
  EXPECT_EQ(seen[0].jpeg, jpeg.good);
  EXPECT_FALSE(seen[0].handed_decoded);
  EXPECT_FALSE(seen[0].grey);
  EXPECT_EQ(seen[1].number, 2);
  EXPECT_EQ(seen[1].name, "/G");
  EXPECT_FALSE(seen[1].handed_decoded);
  EXPECT_TRUE(seen[1].grey);
  // Nothing is kept past the hand-over.
  EXPECT_TRUE(images[0].JpegBytes().empty());
}

TEST(LazyPictures, AFlatePictureIsCheckedByCountingItsSamplesAsDecodingWouldTakeThem) {
  // 3 × 2 pictures: whether they are kept, and the depth that picks their link's extension,
  // follow from the number of samples alone.
  const std::string rgb(18, '\x50');
  const std::string packed = PdfBuilder::Deflate(std::string(600, '\x33'));
  const struct {
    const char* name;
    std::string dict;
    std::string data;
    int bits;  // 0: dropped
  } cases[] = {
      {"8-bit RGB", "/ColorSpace /DeviceRGB /BitsPerComponent 8", PdfBuilder::Deflate(rgb), 24},
      {"RGB one byte short", "/ColorSpace /DeviceRGB /BitsPerComponent 8",
       PdfBuilder::Deflate(rgb.substr(1)), 0},
      {"three bytes a pixel without a colour space", "/BitsPerComponent 8",
       PdfBuilder::Deflate(rgb), 24},
      {"grey with its last row missing", "/ColorSpace /DeviceGray /BitsPerComponent 8",
       PdfBuilder::Deflate("\x01\x02\x03"), 8},
      {"grey, damaged stream", "/ColorSpace /DeviceGray /BitsPerComponent 8",
       packed.substr(0, packed.size() / 2), 8},
      {"grey, no zlib data", "/ColorSpace /DeviceGray /BitsPerComponent 8", "nonsense", 8},
      {"RGB with a PNG predictor",
       "/ColorSpace /DeviceRGB /BitsPerComponent 8 /DecodeParms << /Predictor 15 /Colors 3 "
       "/Columns 3 >>",
       PdfBuilder::Deflate(std::string(1, '\0') + rgb.substr(0, 9) + std::string(1, '\2') +
                           rgb.substr(9)),
       24},
      {"2-bit grey", "/ColorSpace /DeviceGray /BitsPerComponent 2", PdfBuilder::Deflate("\x1B\xE4"),
       4},
      {"3-bit grey", "/ColorSpace /DeviceGray /BitsPerComponent 3", PdfBuilder::Deflate("\x1B\xE4"),
       0},
      {"16-bit RGB", "/ColorSpace /DeviceRGB /BitsPerComponent 16",
       PdfBuilder::Deflate(std::string(36, '\x40')), 24},
  };
  for (const auto& c : cases) {
    for (const bool modern : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (modern ? ", modern reader" : ""));
      PdfBuilder pdf;
      const int image = pdf.AddStream(ImageDict(3, 2, c.dict + " /Filter /FlateDecode"), c.data);
      auto reader = ReadStructure(WithPages(pdf, {"/Im1 " + Ref(image)}), nullptr, modern);
      TImageRec* bound = nullptr;
      TDynaArray<TImageRec> images{&bound};
      ExtractImages(*reader, images, true, [](const std::string&) {});
      ASSERT_EQ(images.Count(), c.bits == 0 ? 0 : 1);
      if (c.bits == 0) continue;
      EXPECT_EQ(images[0].Bitmap.BitCount(), c.bits);
      const TDIB dib = images[0].Bitmap.Decode();
      ASSERT_TRUE(dib.HasBits());
      EXPECT_EQ(dib.BitCount(), c.bits);
      EXPECT_EQ(dib.Width(), images[0].Bitmap.Width());
      EXPECT_EQ(dib.Height(), images[0].Bitmap.Height());
    }
  }
}

TEST(LazyPictures, AJpegIsCheckedByItsHeaders) {
  const SmallJpeg jpeg(5, 3);
  const struct {
    const char* name;
    std::string data;
    bool readable;
  } cases[] = {
      {"whole", jpeg.good, true},
      {"without quantisation tables", jpeg.without_tables, true},
      {"cut after its frame header", jpeg.good.substr(0, jpeg.good.find("\xFF\xC4")), false},
      {"only SOI and EOI", "\xFF\xD8\xFF\xD9", false},
      {"no JPEG", "\xFF\xD8 not a jpeg", false},
      {"empty", "", false},
  };
  for (const auto& c : cases) {
    const std::optional<TJpegFrame> frame = ReadJpegFrame(c.data);
    ASSERT_EQ(frame.has_value(), c.readable) << c.name;
    if (frame) {
      EXPECT_EQ(frame->Width, 5) << c.name;
      EXPECT_EQ(frame->Height, 3) << c.name;
    }
  }
}

TEST(LazyPictures, AJpegDamagedPastItsHeadersKeepsItsNumberAndFailsWhenDecoded) {
  PdfBuilder pdf;
  const SmallJpeg jpeg(5, 3);
  ASSERT_NE(jpeg.without_tables, jpeg.good);
  const std::string dict = ImageDict(5, 3, "/BitsPerComponent 8 /Filter /DCTDecode");
  const int damaged = pdf.AddStream(dict, jpeg.without_tables);
  const int good = pdf.AddStream(dict, jpeg.good);
  Extracted x(WithPages(pdf, {"/D " + Ref(damaged) + " /G " + Ref(good)}));
  EXPECT_EQ(x.status[1], "2 JPEG-Bilder gelesen...");
  ASSERT_EQ(x.images.Count(), 2);
  EXPECT_EQ(x.result.Pages.ImageNumber(0, "/D"), 1);
  EXPECT_EQ(x.result.Pages.ImageNumber(0, "/G"), 2);
  EXPECT_EQ(x.images[0].Bitmap.BitCount(), 24);
  EXPECT_EQ(x.images[0].JpegBytes(), jpeg.without_tables);  // saved as JPEG: as stored
  EXPECT_FALSE(x.images[0].Bitmap.Decode().HasBits());
  EXPECT_FALSE(x.images[0].Bitmap.DecodeAtLeast(1, 1).HasBits());
  EXPECT_TRUE(x.images[1].Bitmap.Decode().HasBits());
}

TEST(LazyPictures, AJpegThumbnailIsDecodedSmallerButNotBelowTheSizeAskedFor) {
  const SmallJpeg jpeg(400, 300);
  const struct {
    int min_width, min_height, width, height;
  } cases[] = {
      {80, 80, 200, 150},    // a quarter would be 75 high
      {50, 37, 50, 38},      // an eighth
      {400, 300, 400, 300},  // whole
      {1, 1, 50, 38},
  };
  for (const auto& c : cases) {
    TDIB dib;
    ReadJpegScaled(dib, jpeg.good, c.min_width, c.min_height);
    EXPECT_EQ(dib.Width(), c.width) << c.min_width;
    EXPECT_EQ(dib.Height(), c.height) << c.min_width;
  }
}

TEST(LazyPictures, AJpegStoredAsItIsIsReadFromTheFileAgainWhileTheFileStaysTheSame) {
  PdfBuilder pdf;
  const SmallJpeg jpeg(5, 3);
  const std::string dict = ImageDict(5, 3, "/BitsPerComponent 8 /Filter /DCTDecode");
  const int photo = pdf.AddStream(dict, jpeg.good);
  const int grey = pdf.AddStream(ImageDict(1, 1, "/BitsPerComponent 8 /Filter /FlateDecode"),
                                 PdfBuilder::Deflate("\x42"));
  const std::string bytes = WithPages(pdf, {"/P " + Ref(photo) + " /G " + Ref(grey)});
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("paginor-lazy-" + std::to_string(::getpid()) + ".pdf");
  const auto write = [&path](const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  };
  write(bytes);
  const auto file = PictureFileOf(path.string());
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size, static_cast<int64_t>(bytes.size()));
  auto reader = ReadStructure(bytes);
  TImageRec* bound = nullptr;
  TDynaArray<TImageRec> images{&bound};
  ExtractImages(
      *reader, images, true, [](const std::string&) {}, {}, true, {}, file);
  ASSERT_EQ(images.Count(), 2);
  EXPECT_EQ(images[0].JpegBytes(), jpeg.good);
  EXPECT_TRUE(images[0].Bitmap.Decode().HasBits());
  EXPECT_EQ(getpixel(images[1].Bitmap.Decode(), 0, 0), 0x42u);

  // Changed on disk since: the JPEG's bytes may be anything now, so none are given.
  std::string changed = bytes;
  changed.back() = changed.back() == ' ' ? '\n' : ' ';
  write(changed + "\n");
  EXPECT_TRUE(images[0].JpegBytes().empty());
  EXPECT_FALSE(images[0].Bitmap.Decode().HasBits());
  EXPECT_EQ(getpixel(images[1].Bitmap.Decode(), 0, 0), 0x42u);  // kept in memory
  std::filesystem::remove(path);
  EXPECT_TRUE(images[0].JpegBytes().empty());

  // A buffer that is not the file (another size: repaired, or another file) keeps the data.
  write(bytes + "%\n");
  auto other = ReadStructure(bytes);
  ExtractImages(
      *other, images, true, [](const std::string&) {}, {}, true, {}, PictureFileOf(path.string()));
  std::filesystem::remove(path);
  ASSERT_EQ(images.Count(), 2);
  EXPECT_EQ(images[0].JpegBytes(), jpeg.good);
}

}  // namespace
}  // namespace paginor
