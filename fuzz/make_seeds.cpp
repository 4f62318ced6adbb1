// Writes the seed corpora of the fuzz targets: small PDF files from the PDF builder, encoded
// filter data, pictures from the imaging layer and the streams of the committed fixtures.
// Usage: fuzz_seeds OUT_DIR TEST_DATA_DIR; OUT_DIR/<target>/ gets that target's seeds.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "images/pixolet.h"
#include "pdf/doc_reader.h"
#include "pdf/literals.h"
#include "pdf/xref.h"
#include "support/pdf_builder.h"

namespace {

namespace fs = std::filesystem;
using paginor::testing::PdfBuilder;

class Seeds {
 public:
  explicit Seeds(fs::path root) : root_(std::move(root)) {}
  void Add(const std::string& target, const std::string& bytes) {
    const fs::path dir = root_ / target;
    fs::create_directories(dir);
    const int n = ++count_[target];
    std::ofstream(dir / ("seed" + std::to_string(n)), std::ios::binary) << bytes;
  }
  void AddPdf(const std::string& bytes) {
    for (const char* target : {"conversion", "xref", "scanner"})
      Add(target, bytes);
  }

 private:
  fs::path root_;
  std::map<std::string, int> count_;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string EncodeASCII85(const std::string& data) {
  std::string out;
  for (std::size_t i = 0; i < data.size(); i += 4) {
    const std::size_t n = std::min<std::size_t>(4, data.size() - i);
    uint32_t value = 0;
    for (std::size_t k = 0; k < 4; ++k)
      value = value << 8 | (k < n ? static_cast<unsigned char>(data[i + k]) : 0u);
    char group[5];
    for (int k = 4; k >= 0; --k) {
      group[k] = static_cast<char>('!' + value % 85);
      value /= 85;
    }
    out.append(group, n + 1);
  }
  return out + "~>";
}

std::string Be16(int v) {
  return std::string{static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v & 0xFF)};
}

paginor::TDIB Gradient(int width, int height, int bits) {
  paginor::TDIB dib;
  paginor::newdib(dib, width, height, bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const auto v = static_cast<uint32_t>((x * 255 / width) << 16 | (y * 255 / height) << 8 |
                                           ((x + y) * 127 / (width + height)));
      paginor::setpixel(dib, x, y, bits <= 8 ? (x + y) % (1u << bits) : v);
    }
  }
  return dib;
}

const char* const kContent =
    "BT /F1 12 Tf 72 700 Td (Hallo Welt) Tj 0 -14 Td [(Kern) -250 (ing)] TJ T* (\\344\\366) ' "
    "ET q 100 0 0 50 72 500 cm /Im1 Do Q BT /F2 9 Tf 2 Tc 3 Tw 72 400 Td (zwei) Tj ET";

void PdfSeeds(Seeds& seeds) {
  {
    PdfBuilder pdf;
    pdf.AddSimplePages({"BT /F1 12 Tf 72 700 Td (Eins) Tj ET", "BT 72 700 Td (Zwei) Tj ET"});
    seeds.AddPdf(pdf.Build());
    seeds.AddPdf(
        PdfBuilder::AppendUpdate(pdf.Build(), {{4, "<< /Type /Page >>"}}, "/Size 9 /Root 1 0 R"));
  }
  {
    // Fonts with widths and differences, a Flate image and a JPEG, an ASCII85 and Flate chain.
    PdfBuilder pdf;
    const int widths = pdf.Add("[500 600 700]");
    const int encoding =
        pdf.Add("<< /Type /Encoding /Differences [65 /Adieresis /odieresis 97 /germandbls] >>");
    const int f1 =
        pdf.Add("<< /Type /Font /Subtype /Type1 /FirstChar 65 /Widths " + std::to_string(widths) +
                " 0 R /Encoding " + std::to_string(encoding) + " 0 R >>");
    const std::string grey(64, '\x40');
    const int image = pdf.AddStream(
        "/Type /XObject /Subtype /Image /Width 8 /Height 8 /ColorSpace /DeviceGray "
        "/BitsPerComponent 8 /Filter /FlateDecode",
        PdfBuilder::Deflate(grey));
    const std::string jpeg = paginor::EncodeDib(Gradient(8, 8, 24), paginor::TDibFormat::Jpg);
    const int photo = pdf.AddStream(
        "/Type /XObject /Subtype /Image /Width 8 /Height 8 /ColorSpace /DeviceRGB "
        "/BitsPerComponent 8 /Filter /DCTDecode",
        jpeg);
    const int content = pdf.AddStream("/Filter [/ASCII85Decode /FlateDecode]",
                                      EncodeASCII85(PdfBuilder::Deflate(kContent)));
    const int tree = pdf.Add("");
    const int page = pdf.Add(
        "<< /Type /Page /Parent " + std::to_string(tree) +
        " 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 " + std::to_string(f1) +
        " 0 R /F2 << /Type /Font /Subtype /Type3 /FontBBox [0 -200 1000 800] >> >> /XObject << "
        "/Im1 " +
        std::to_string(image) + " 0 R /Im2 " + std::to_string(photo) + " 0 R >> >> /Contents " +
        std::to_string(content) + " 0 R >>");
    pdf.Set(tree, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
    pdf.root = pdf.Add("<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
    seeds.AddPdf(pdf.Build());
  }
  {
    // A tree with an inner node that holds the resources, and an LZW stream.
    PdfBuilder pdf;
    const int root = pdf.Add("");
    const int node = pdf.Add("");
    const int content =
        pdf.AddStream("/Filter /LZWDecode", std::string("\x80\x0B\x60\x50\x22\x0C\x0C\x85\x01", 9));
    const int a = pdf.Add("<< /Type /Page /Parent " + std::to_string(node) + " 0 R /Contents " +
                          std::to_string(content) + " 0 R >>");
    const int b = pdf.Add("<< /Type /Page /Parent " + std::to_string(node) + " 0 R /Contents [" +
                          std::to_string(content) + " 0 R " + std::to_string(content) + " 0 R] >>");
    pdf.Set(node, "<< /Type /Pages /Parent " + std::to_string(root) + " 0 R /Kids [" +
                      std::to_string(a) + " 0 R " + std::to_string(b) +
                      " 0 R] /Resources << /Font << /F1 << /Subtype /Type1 >> >> >> >>");
    pdf.Set(root, "<< /Type /Pages /Kids [" + std::to_string(node) + " 0 R] >>");
    pdf.root = pdf.Add("<< /Type /Catalog /Pages " + std::to_string(root) + " 0 R >>");
    seeds.AddPdf(pdf.Build());
    PdfBuilder::Faults faults;
    faults.offset_shift[a] = 7;
    faults.after_eof = "garbage";
    seeds.AddPdf(pdf.Build(faults));
  }
}

void FilterSeeds(Seeds& seeds, const fs::path& data) {
  const std::string text = kContent;
  seeds.Add("ascii85", EncodeASCII85(text));
  seeds.Add("ascii85", "z!!!!!~>");
  seeds.Add("flate", PdfBuilder::Deflate(text));
  seeds.Add("flate", PdfBuilder::Deflate(std::string(4000, '\0')));
  seeds.Add("lzw", ReadFile(data / "lzw-plain.lzw").substr(0, 2000));
  seeds.Add("jpx", std::string("\x01\0\0", 3) + ReadFile(data / "filters/grey.j2k"));
  seeds.Add("jbig2", std::string(1, '\0') + ReadFile(data / "filters/mono-mmr.jbig2"));
  seeds.Add("lzw", std::string("\x80\x0B\x60\x50\x22\x0C\x0C\x85\x01", 9));
  // kind (PNG), colours, depth, columns, then rows of filter byte and samples.
  std::string png = std::string("\x02") + "\x0F" + Be16(4) + Be16(9) + Be16(5);
  for (int row = 0; row < 4; ++row)
    png += std::string(1, static_cast<char>(row)) + std::string(12, static_cast<char>(row * 9));
  seeds.Add("predictor", png);
  seeds.Add("predictor", std::string("\x01") + Be16(2) + Be16(17) + Be16(6) + std::string(40, 'x'));
}

void ImageSeeds(Seeds& seeds) {
  for (const int bits : {24, 8}) {
    seeds.Add("jpeg", paginor::EncodeDib(Gradient(16, 12, bits), paginor::TDibFormat::Jpg));
  }
  seeds.Add("jpeg", paginor::EncodeDib(Gradient(9, 7, 1), paginor::TDibFormat::Tif));
  seeds.Add("jpeg", paginor::EncodeDib(Gradient(9, 7, 24), paginor::TDibFormat::Tif));
  // width, height, depth, family, base, hival, inverted, mask, lookup size, predicted, samples
  const auto header = [](int w, int h, int depth_index, int family, int lookup_entries) {
    return Be16(w + 1) + Be16(h + 1) + std::string(1, static_cast<char>(depth_index)) +
           std::string(1, static_cast<char>(family)) + std::string(1, '\x02') +
           std::string(1, static_cast<char>(lookup_entries - 1)) + std::string(2, '\0') +
           std::string(1, static_cast<char>(lookup_entries));
  };
  seeds.Add("flate_image", header(8, 8, 3, 1, 0) + '\0' + std::string(64, '\x70'));
  seeds.Add("flate_image", header(4, 4, 3, 2, 0) + '\0' + std::string(48, '\x33'));
  seeds.Add("flate_image", header(16, 2, 0, 1, 0) + '\0' + std::string(4, '\x5A'));
  seeds.Add("flate_image",
            header(4, 4, 2, 4, 4) + std::string(12, '\x44') + '\0' + std::string(8, '\x1B'));
  seeds.Add("flate_image", header(3, 3, 4, 1, 0) + '\0' + std::string(18, '\x81'));
}

// The image streams of the fixtures: JPEG data for the JPEG target, CCITT data with their
// size for the CCITT target.
void FixtureImageSeeds(Seeds& seeds, const fs::path& data) {
  for (const auto& entry : fs::recursive_directory_iterator(data)) {
    if (entry.path().extension() != ".pdf") continue;
    paginor::TDocReader reader(ReadFile(entry.path()));
    reader.SetRules(paginor::TReadingRules::Modern());
    paginor::ReadXrefAndTrailer(reader);
    for (int32_t num = 1; num < reader.XrefCount(); ++num) {
      if (!reader.GotoObject(num)) continue;
      reader.ReadDict();
      std::string filter;
      int32_t width = 0, height = 0, length = -1;
      bool black_is_1 = false;
      int k = 0;
      for (const paginor::TDictEntry& e : reader.DictEntries) {
        const auto& t = e.Tokens;
        if (t.size() < 2) continue;
        if (t[0] == "/Filter") filter = t[1] == "[" && t.size() > 2 ? t[2] : t[1];
        if (t[0] == "/Width") width = paginor::ParseInt32(t[1]).value_or(0);
        if (t[0] == "/Height") height = paginor::ParseInt32(t[1]).value_or(0);
        if (t[0] == "/Length" && t.size() == 2) length = paginor::ParseInt32(t[1]).value_or(-1);
        if (t[0] == "/Length" && t.size() >= 4 && t[3] == "R") {
          const int64_t saved = reader.GetPos();
          if (reader.GotoObject(paginor::ParseInt32(t[1]).value_or(-1))) {
            length = reader.ReadTokenInt();
          }
          reader.SetPos(saved);
        }
        for (std::size_t i = 1; i + 1 < t.size(); ++i) {
          if (t[i] == "/K") k = paginor::ParseInt32(t[i + 1]).value_or(0);
          if (t[i] == "/BlackIs1") black_is_1 = t[i + 1] == "true";
        }
      }
      reader.FreeDict();
      if (length <= 0 || reader.Encrypted || !reader.AtStreamData()) continue;
      const std::string stream = reader.ReadBytes(length);
      if (filter == "/DCTDecode") seeds.Add("jpeg", stream);
      // Both with the flags byte 0 (no globals, the full budget) and, for JPX, no lookup table.
      if (filter == "/JPXDecode") seeds.Add("jpx", std::string(3, '\0') + stream);
      if (filter == "/JBIG2Decode") seeds.Add("jbig2", std::string(1, '\0') + stream);
      if (filter == "/CCITTFaxDecode") {
        const int flags = (k < 0 ? 0 : k == 0 ? 1 : 2) | (black_is_1 ? 4 : 0);
        seeds.Add("ccitt", std::string(1, static_cast<char>(flags)) + '\x01' + Be16(width + 2) +
                               Be16(height + 2) + stream);
      }
    }
  }
}

void TextSeeds(Seeds& seeds) {
  seeds.Add("fonts",
            "<< /F1 5 0 R /F2 << /Type /Font /Subtype /TrueType /FirstChar 32 /Widths [250 300] "
            "/Encoding /MacRomanEncoding >> >> << /F3 6 0 R >>\n"
            "5 0 obj << /Type /Font /Subtype /Type1 /Encoding 7 0 R >> endobj\n"
            "6 0 obj << /Type /Font /Subtype /Type0 /Encoding /Identity-H /ToUnicode 8 0 R "
            "/DescendantFonts [<< /DW 500 /W [1 [600 700] 10 20 800] >>] >> endobj\n"
            "7 0 obj << /BaseEncoding /WinAnsiEncoding /Differences [128 /Euro /uni00E4 /fi] >> "
            "endobj\n");
  seeds.Add("fonts",
            "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
            "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
            "2 beginbfchar <0003> <0020> <0011> <00E4> endbfchar\n"
            "1 beginbfrange <0020> <007E> <0041> endbfrange\n"
            "1 beginbfrange <0100> <0102> [<0066006C> <00DF> <D83DDE00>] endbfrange\n"
            "endcmap CMapName currentdict /CMap defineresource pop end end\n");
  // Edits of the writers' document: add a line, select, replace, attributes, paragraphs.
  static constexpr char kEdits[] =
      "\x00\x05Hallo\x03\x04 Welt\x06\x01\x00\x18\xFF\x00\x00\x0F"
      "\x07\x01\x08\x01\x00\x06\x0A{\\}\xE4\x0B";
  static constexpr char kMoreEdits[] =
      "\x00\x03"
      "abc\x00\x00\x00\x02"
      "de\x01\x00\x02\x02\x00\x03\x05\x00\x30\x07\x02\x09\x00\x00\x10\x00\x01";
  seeds.Add("writers", std::string(kEdits, sizeof kEdits - 1));
  seeds.Add("writers", std::string(kMoreEdits, sizeof kMoreEdits - 1));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "Aufruf: fuzz_seeds AUSGABEORDNER TESTDATENORDNER\n";
    return 2;
  }
  Seeds seeds(argv[1]);
  const fs::path data(argv[2]);
  PdfSeeds(seeds);
  FilterSeeds(seeds, data);
  ImageSeeds(seeds);
  FixtureImageSeeds(seeds, data);
  TextSeeds(seeds);
  return 0;
}
