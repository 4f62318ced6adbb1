#include "pdf/content_stream.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/pdf_builder.h"
#include "support/read_structure.h"

namespace paginor {
namespace {

using testing::PdfBuilder;
using testing::ReadStructure;

std::string EncodeASCII85(const std::string& data) {
  std::string out;
  for (std::size_t i = 0; i < data.size(); i += 4) {
    const std::size_t n = std::min<std::size_t>(4, data.size() - i);
    uint32_t value = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      value = value << 8 | (k < n ? static_cast<unsigned char>(data[i + k]) : 0);
    }
    char group[5];
    for (int k = 4; k >= 0; --k) {
      group[k] = static_cast<char>('!' + value % 85);
      value /= 85;
    }
    out.append(group, n + 1);
  }
  return out + "~>";
}

struct PageRead {
  std::unique_ptr<TDocReader> reader;
  TPageContent content;
  std::vector<std::string> status;
};

// A one-page document whose /Contents lists the given stream objects.
PageRead ReadOnePage(PdfBuilder& pdf, const std::string& contents, int page_number = 1) {
  const int tree = pdf.Add("");
  const int page = pdf.Add("<< /Type /Page /Contents " + contents + " >>");
  pdf.Set(tree, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] >>");
  pdf.root = pdf.Add("<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
  PageRead read;
  read.reader = ReadStructure(pdf.Build());
  EXPECT_EQ(read.reader->Pages.Count(), 1);
  if (read.reader->Pages.Count() == 1) {
    read.content =
        ReadPageContent(*read.reader, read.reader->Pages[0], page_number,
                        [&read](const std::string& line) { read.status.push_back(line); });
  }
  return read;
}

TEST(PageContent, StreamsAreJoinedInContentsOrderEachWithALineFeed) {
  PdfBuilder pdf;
  const int a = pdf.AddStream("/Filter /FlateDecode", PdfBuilder::Deflate("BT (eins) Tj ET"));
  const int b = pdf.AddStream("/Filter /FlateDecode", PdfBuilder::Deflate("BT (zwei) Tj ET"));
  const PageRead read =
      ReadOnePage(pdf, "[" + std::to_string(b) + " 0 R " + std::to_string(a) + " 0 R]");
  EXPECT_TRUE(read.content.PageOk);
  EXPECT_EQ(read.content.ContentBuffer, "BT (zwei) Tj ET\nBT (eins) Tj ET\n");
  EXPECT_FALSE(read.reader->Invalid);
}

TEST(PageContent, FilterChainsRunInTheOrderWritten) {
  PdfBuilder pdf;
  const std::string text = "BT /F1 12 Tf (Kette) Tj ET";
  const int a85 = pdf.AddStream("/Filter [/ASCII85Decode /FlateDecode]",
                                EncodeASCII85(PdfBuilder::Deflate(text)));
  const int lzw =
      pdf.AddStream("/Filter /LZWDecode", std::string("\x80\x0B\x60\x50\x22\x0C\x0C\x85\x01", 9));
  const PageRead read =
      ReadOnePage(pdf, "[" + std::to_string(a85) + " 0 R " + std::to_string(lzw) + " 0 R]");
  EXPECT_EQ(read.content.ContentBuffer, text + "\n-----A---B\n");
}

TEST(PageContent, IndirectLengthIsRead) {
  PdfBuilder pdf;
  const int stream = pdf.AddStream("", "BT ET", PdfBuilder::Length::Indirect);
  const PageRead read = ReadOnePage(pdf, std::to_string(stream) + " 0 R");
  EXPECT_EQ(read.content.ContentBuffer, "BT ET\n");
}

TEST(PageContent, UnsupportedFilterStopsThePageWithAStatusLine) {
  PdfBuilder pdf;
  const int plain = pdf.AddStream("", "BT (gut) Tj ET");
  const int dct = pdf.AddStream("/Filter /DCTDecode", "\xFF\xD8 data");
  const PageRead read =
      ReadOnePage(pdf, "[" + std::to_string(plain) + " 0 R " + std::to_string(dct) + " 0 R]", 3);
  EXPECT_FALSE(read.content.PageOk);
  EXPECT_FALSE(read.reader->Invalid);
  EXPECT_EQ(read.status, (std::vector<std::string>{
                             "Die Komprimierung /DCTDecode wird nicht unterstützt, deshalb kann "
                             "die Seite 3 nicht gelesen werden!"}));
}

TEST(PageContent, BrokenStreamsAreSkippedAndTheRestIsRead) {
  const struct {
    const char* name;
    std::string object;  // the broken stream object's body
    bool invalid;
  } cases[] = {
      {"no /Length", "<< /Filter /FlateDecode >>\nstream\nxx\nendstream", true},
      {"/Length that does not convert", "<< /Length x >>\nstream\nxx\nendstream", true},
      {"CR alone after the keyword", "<< /Length 2 >>\nstream\rxx\nendstream", true},
      {"no stream keyword", "<< /Length 2 >>\nxx", true},
      {"empty stream", "<< /Length 0 >>\nstream\n\nendstream", false},
  };
  for (const auto& c : cases) {
    PdfBuilder pdf;
    const int broken = pdf.Add(c.object);
    const int good = pdf.AddStream("", "BT ET");
    const PageRead read =
        ReadOnePage(pdf, "[" + std::to_string(broken) + " 0 R " + std::to_string(good) + " 0 R]");
    EXPECT_EQ(read.reader->Invalid, c.invalid) << c.name;
    EXPECT_TRUE(read.content.PageOk) << c.name;
    EXPECT_EQ(read.content.ContentBuffer, "BT ET\n") << c.name;
  }
}

TEST(PageContent, MissingObjectsAreSkippedSilently) {
  PdfBuilder pdf;
  const int good = pdf.AddStream("", "BT ET");
  const PageRead read = ReadOnePage(pdf, "[77 0 R " + std::to_string(good) + " 0 R]");
  EXPECT_FALSE(read.reader->Invalid);
  EXPECT_EQ(read.content.ContentBuffer, "BT ET\n");
}

TEST(PageContent, ALengthPastTheEndTakesWhatIsThere) {
  PdfBuilder pdf;
  pdf.Add("<< /Length 1000000 >>\nstream\nBT ET");
  const PageRead read = ReadOnePage(pdf, "1 0 R");
  ASSERT_FALSE(read.content.ContentBuffer.empty());
  EXPECT_EQ(read.content.ContentBuffer.substr(0, 5), "BT ET");
  EXPECT_LT(read.content.ContentBuffer.size(), 2000u);
}

}  // namespace
}  // namespace paginor
