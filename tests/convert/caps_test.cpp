// The caps that hostile files cannot push past: each one stops what it caps, keeps what was
// read up to it and says so in one status line, through the reader, the page reading and the
// whole conversion.
#include "pdf/caps.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "convert/conversion.h"
#include "images/image_extraction.h"
#include "pdf/content_stream.h"
#include "pdf/filters.h"
#include "support/fake_font.h"
#include "support/pdf_builder.h"
#include "support/read_structure.h"
#include "support/recording_host.h"

namespace paginor {
namespace {

using testing::PdfBuilder;
using testing::RecordingHost;

std::string Line(TCap cap) {
  return CapStatusLine(cap);
}

int Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

int Occurrences(const std::string& text, const std::string& word) {
  int n = 0;
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
    ++n;
  return n;
}

// A whole conversion with lowered caps.
struct Conv {
  RecordingHost host;
  TDocumentState state;
  TConversionResult result;

  explicit Conv(const std::function<void(TCapLimits&)>& lower = {}) {
    state.MeasureFont = testing::MakeFakeFont();
    if (lower) lower(state.Caps);
  }
  Conv& Convert(const std::string& file) {
    result = ConvertBuffer(state, host, file);
    return *this;
  }
  int Times(TCap cap) const { return Count(host.status_lines, Line(cap)); }
  const std::string& Text() const { return state.Memo1.Text(); }
};

// Pages with the given contents; resources, when given, go into every page's dictionary.
std::string Pages(const std::vector<std::string>& contents, const std::string& resources = "") {
  PdfBuilder pdf;
  const int tree = pdf.Add("");
  std::string kids;
  for (const std::string& content : contents) {
    const int stream = pdf.AddStream("", content);
    const int page =
        pdf.Add("<< /Type /Page /Parent " + std::to_string(tree) + " 0 R /MediaBox [0 0 612 792] " +
                resources + " /Contents " + std::to_string(stream) + " 0 R >>");
    kids += std::to_string(page) + " 0 R ";
  }
  pdf.Set(tree, "<< /Type /Pages /Kids [" + kids + "] >>");
  pdf.root = pdf.Add("<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
  return pdf.Build();
}

std::string Show(const std::string& text, int y = 700) {
  return "BT /F1 12 Tf 72 " + std::to_string(y) + " Td (" + text + ") Tj ET\n";
}

TEST(Caps, EveryCapHasItsOwnStatusLine) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < kCapCount; ++i)
    lines.push_back(CapStatusLine(static_cast<TCap>(i)));
  for (const std::string& line : lines) {
    EXPECT_FALSE(line.empty());
    EXPECT_EQ(Count(lines, line), 1) << line;
  }
}

TEST(Caps, EachCapIsReportedOnce) {
  std::vector<std::string> lines;
  TCaps caps;
  caps.SetSink([&lines](const std::string& line) { lines.push_back(line); });
  caps.Reached(TCap::Xref);
  caps.Reached(TCap::Image);
  caps.Reached(TCap::Xref);
  EXPECT_EQ(lines, (std::vector<std::string>{Line(TCap::Xref), Line(TCap::Image)}));
  EXPECT_TRUE(caps.WasReached(TCap::Image));
  EXPECT_FALSE(caps.WasReached(TCap::Runs));
}

// --- the dictionary reader ---

struct DictRead {
  std::vector<std::vector<std::string>> entries;
  std::string next;  // the token after the dictionary
  std::vector<std::string> status;
};

DictRead ReadOneDict(const std::string& text, const std::function<void(TCapLimits&)>& lower) {
  TDocReader reader(text + " nachher");
  DictRead read;
  reader.Caps.SetSink([&read](const std::string& line) { read.status.push_back(line); });
  lower(reader.Caps.Limits);
  reader.SetPos(0);
  reader.ReadDict();
  for (const TDictEntry& e : reader.DictEntries)
    read.entries.push_back(e.Tokens);
  reader.FreeDict();
  read.next = reader.ReadToken();
  return read;
}

TEST(Caps, DictionaryReader) {
  using Tokens = std::vector<std::vector<std::string>>;
  const struct {
    const char* name;
    std::string dict;
    std::function<void(TCapLimits&)> lower;
    Tokens entries;
    std::vector<std::string> status;
  } cases[] = {
      {"within the caps",
       "<< /A [ [ 1 ] ] /B 2 >>",
       [](TCapLimits&) {},
       Tokens{{"/A", "[", "[", "1", "]", "]"}, {"/B", "2"}},
       {}},
      {"arrays deeper than the nesting cap are dropped in pairs",
       "<< /A [ 1 [ 2 [ 3 ] ] ] /B 2 >>",
       [](TCapLimits& l) { l.Nesting = 2; },
       Tokens{{"/A", "[", "1", "[", "2", "]", "]"}, {"/B", "2"}},
       {Line(TCap::Nesting)}},
      {"dictionaries count as nesting too",
       "<< /A << /B << /C 1 >> >> /D 4 >>",
       [](TCapLimits& l) { l.Nesting = 1; },
       Tokens{{"/A", "<<", "/B", ">>"}, {"/D", "4"}},
       {Line(TCap::Nesting)}},
      {"tokens past the dictionary cap are dropped",
       "<< /A 1 /B 2 /C 3 >>",
       [](TCapLimits& l) { l.DictionaryTokens = 3; },
       Tokens{{"/A", "1"}, {"/B"}},
       {Line(TCap::Dictionary)}},
      {"the file's dictionary budget",
       "<< /A 1 /B 2 /C 3 >>",
       [](TCapLimits& l) { l.DocumentDictionaryTokens = 4; },
       Tokens{{"/A", "1"}, {"/B", "2"}},
       {Line(TCap::Document)}},
  };
  for (const auto& c : cases) {
    const DictRead read = ReadOneDict(c.dict, c.lower);
    EXPECT_EQ(read.entries, c.entries) << c.name;
    EXPECT_EQ(read.status, c.status) << c.name;
    EXPECT_EQ(read.next, "nachher") << c.name << ": the whole dictionary is read over";
  }
}

TEST(Caps, DeepNestingAtTheDefaultCapIsReadOver) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const DictRead read = ReadOneDict("<< /A " + deep + " /B 2 >>", [](TCapLimits&) {});
  ASSERT_EQ(read.entries.size(), 2u);
  EXPECT_EQ(read.entries[0].size(), 1u + 2 * TCapLimits{}.Nesting);
  EXPECT_EQ(read.entries[1], (std::vector<std::string>{"/B", "2"}));
  EXPECT_EQ(read.status, std::vector<std::string>{Line(TCap::Nesting)});
}

TEST(Caps, AnEmptiedBudgetReadsNoFurtherDictionary) {
  TDocReader reader("<< /A 1 >> << /B 2 >>");
  reader.Caps.Limits.DocumentDictionaryTokens = 2;
  reader.SetPos(0);
  reader.ReadDict();
  EXPECT_EQ(reader.DictEntries.Count(), 1);
  reader.FreeDict();
  reader.ReadDict();
  EXPECT_EQ(reader.DictEntries.Count(), 0);
  EXPECT_TRUE(reader.Caps.WasReached(TCap::Document));
}

// --- cross-reference table ---

TEST(Caps, HugeCrossReferenceCountsAllocateLittle) {
  PdfBuilder pdf;
  pdf.AddSimplePages({Show("Hallo")});
  const std::string good = pdf.Build();
  const std::size_t xref = good.find("xref\n0 ");
  ASSERT_NE(xref, std::string::npos);
  const std::size_t count_end = good.find('\n', xref + 5);
  const struct {
    const char* name;
    std::string file;
    bool capped;
    int pages;
  } cases[] = {
      // The count runs the section over its end; the objects are found all the same.
      {"subsection count of 2 000 000 000",
       good.substr(0, xref + 5) + "0 2000000000" + good.substr(count_end), true, 1},
      {"subsection starting at 2 000 000 000",
       [&] {
         std::string f = good;
         return f.insert(f.find("trailer\n"), "2000000000 1\n0000000000 00000 n \n");
       }(),
       true, 1},
      {"/Size 2 000 000 000",
       [&] {
         std::string f = good;
         const std::size_t size = f.find("/Size ");
         return f.replace(size, f.find(' ', size + 6) - size, "/Size 2000000000");
       }(),
       false, 1},
  };
  for (const auto& c : cases) {
    auto reader = testing::ReadStructure(c.file);
    EXPECT_LE(reader->XrefCount(), reader->Size() / 4 + 4096) << c.name;
    EXPECT_EQ(reader->Caps.WasReached(TCap::Xref), c.capped) << c.name;
    Conv run;
    run.Convert(c.file);
    EXPECT_EQ(run.Times(TCap::Xref), c.capped ? 1 : 0) << c.name;
    EXPECT_EQ(run.result.PageCount, c.pages) << c.name;
  }
}

TEST(Caps, SparseObjectNumbersOfASmallFile) {
  // Five objects numbered from 9001: beyond a quarter of the file's size, within the modern
  // reader's room.
  const std::string content = "BT /F1 12 Tf 72 700 Td (Verstreut) Tj ET";
  const std::vector<std::string> bodies = {
      "<< /Type /Catalog /Pages 9002 0 R >>", "<< /Type /Pages /Kids [9003 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 9002 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 9004 "
      "0 R >> >> /Contents 9005 0 R >>",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream"};
  std::string file = "%PDF-1.4\n";
  std::string xref = "xref\n0 1\n0000000000 65535 f \n";
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", file.size());
    xref += std::to_string(9001 + i) + " 1\n" + entry;
    file += std::to_string(9001 + i) + " 0 obj\n" + bodies[i] + "\nendobj\n";
  }
  const std::size_t start = file.size();
  file += xref + "trailer\n<< /Size 9006 /Root 9001 0 R >>\nstartxref\n" + std::to_string(start) +
          "\n%%EOF\n";
  ASSERT_LT(file.size() / 4 + 4096, 9001u);
  Conv modern;
  modern.Convert(file);
  EXPECT_NE(modern.Text().find("Verstreut"), std::string::npos);
  EXPECT_EQ(modern.Times(TCap::Xref), 0);
  const auto reader = testing::ReadStructure(file, nullptr, true);
  EXPECT_LE(reader->XrefCount(), reader->Size() / 4 + 65536);
}

TEST(Caps, CrossReferenceTableStopsAtItsCap) {
  PdfBuilder pdf;
  pdf.AddSimplePages({Show("Hallo")});
  Conv run([](TCapLimits& l) { l.XrefEntries = 3; });
  run.Convert(pdf.Build());
  EXPECT_EQ(run.Times(TCap::Xref), 1);
  // Objects 3 and 4 (the page's stream and dictionary) are past the cap.
  EXPECT_EQ(run.Text(), "");
}

// --- page tree ---

TEST(Caps, PageTree) {
  const auto pages = [](int count) {
    return Pages(std::vector<std::string>(static_cast<std::size_t>(count), Show("x")));
  };
  const struct {
    const char* name;
    std::function<void(TCapLimits&)> lower;
    int pages;
    bool capped;
  } cases[] = {
      {"within the cap", [](TCapLimits& l) { l.KidsEntries = 5; }, 5, false},
      {"kids past the cap", [](TCapLimits& l) { l.KidsEntries = 3; }, 3, true},
  };
  for (const auto& c : cases) {
    Conv run(c.lower);
    run.Convert(pages(5));
    EXPECT_EQ(run.result.PageCount, c.pages) << c.name;
    EXPECT_EQ(run.Times(TCap::PageTree), c.capped ? 1 : 0) << c.name;
  }
}

TEST(Caps, NodesSharingOneKidsArrayDoNotMultiplyIt) {
  // Every node's /Kids is the same array of all the nodes: a walk without the cap would read
  // the array once per node and hold a frame of it per level.
  PdfBuilder pdf;
  const int nodes = 300;
  std::string refs;
  for (int n = 3; n < 3 + nodes; ++n)
    refs += std::to_string(n) + " 0 R ";
  pdf.Set(1, "<< /Type /Catalog /Pages 3 0 R >>");
  pdf.Set(2, "[" + refs + "]");
  for (int n = 3; n < 3 + nodes; ++n)
    pdf.Set(n, "<< /Type /Pages /Kids 2 0 R >>");
  pdf.root = 1;
  Conv run([](TCapLimits& l) { l.KidsEntries = 1000; });
  run.Convert(pdf.Build());
  EXPECT_EQ(run.Times(TCap::PageTree), 1);
  EXPECT_FALSE(run.state.FBusy);
}

TEST(Caps, ContentStreamsOfAllPagesAreCounted) {
  PdfBuilder pdf;
  const int a = pdf.AddStream("", Show("eins"));
  const int b = pdf.AddStream("", Show("zwei", 680));
  const int array = pdf.Add("[" + std::to_string(a) + " 0 R " + std::to_string(b) + " 0 R]");
  const std::string contents = " /Contents " + std::to_string(array) + " 0 R";
  const int tree = pdf.Add("");
  const int p1 = pdf.Add("<< /Type /Page" + contents + " >>");
  const int p2 = pdf.Add("<< /Type /Page" + contents + " >>");
  pdf.Set(tree, "<< /Type /Pages /Kids [" + std::to_string(p1) + " 0 R " + std::to_string(p2) +
                    " 0 R] >>");
  pdf.root = pdf.Add("<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
  Conv run([](TCapLimits& l) { l.ContentStreams = 3; });
  run.Convert(pdf.Build());
  EXPECT_EQ(run.Times(TCap::PageTree), 1);
  // Page 1 has both streams, page 2 only the first.
  EXPECT_EQ(Occurrences(run.Text(), "eins"), 2) << run.Text();
  EXPECT_EQ(Occurrences(run.Text(), "zwei"), 1) << run.Text();
}

// --- content streams ---

std::string Deflated(const std::string& data) {
  return PdfBuilder::Deflate(data);
}

// A zlib stream of `size` zero bytes, made in pieces so that the test holds little of it.
std::string ZeroBomb(std::size_t size) {
  z_stream zs{};
  EXPECT_EQ(deflateInit(&zs, 9), Z_OK);
  const std::string zeros(1 << 20, '\0');
  std::string out;
  char buffer[1 << 16];
  for (std::size_t done = 0; done < size;) {
    const std::size_t piece = std::min(zeros.size(), size - done);
    done += piece;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
    zs.avail_in = static_cast<uInt>(piece);
    const int flush = done == size ? Z_FINISH : Z_NO_FLUSH;
    do {
      zs.next_out = reinterpret_cast<Bytef*>(buffer);
      zs.avail_out = sizeof buffer;
      deflate(&zs, flush);
      out.append(buffer, sizeof buffer - zs.avail_out);
    } while (zs.avail_out == 0);
  }
  deflateEnd(&zs);
  return out;
}

TEST(Caps, AZipBombStopsAtTheDefaultCap) {
  const std::string bomb = ZeroBomb(kMaxInflatedSize + (1 << 20));
  EXPECT_LT(bomb.size(), 1u << 20);
  bool reached = false;
  EXPECT_EQ(DecodeFlate(bomb, kMaxInflatedSize, &reached).size(), kMaxInflatedSize);
  EXPECT_TRUE(reached);
  // Exactly at the cap the stream has ended: nothing was cut.
  const std::string exact = ZeroBomb(1 << 20);
  EXPECT_EQ(DecodeFlate(exact, 1 << 20, &reached).size(), std::size_t{1} << 20);
  EXPECT_FALSE(reached);
}

TEST(Caps, FiltersSayWhenTheyStopAtTheLimit) {
  const std::string text(1000, 'a');
  const struct {
    const char* name;
    std::function<std::string(std::size_t, bool*)> decode;
  } cases[] = {
      {"Flate", [&](std::size_t l, bool* r) { return DecodeFlate(Deflated(text), l, r); }},
      {"ASCII85 of z groups",
       [](std::size_t l, bool* r) { return DecodeASCII85(std::string(250, 'z'), l, r); }},
      {"LZW", [](std::size_t l,
                 bool* r) { return DecodeLZW(testing::ReadFixture("lzw-plain.lzw"), l, r); }},
  };
  for (const auto& c : cases) {
    bool reached = true;
    const std::string whole = c.decode(SIZE_MAX, &reached);
    EXPECT_FALSE(reached) << c.name;
    ASSERT_GE(whole.size(), 6u) << c.name;
    const std::string cut = c.decode(whole.size() - 3, &reached);
    EXPECT_TRUE(reached) << c.name;
    EXPECT_EQ(cut, whole.substr(0, whole.size() - 3)) << c.name;
    EXPECT_EQ(c.decode(whole.size(), &reached), whole) << c.name;
    EXPECT_FALSE(reached) << c.name << " at exactly the decoded size";
  }
}

TEST(Caps, ALargePageKeepsItsTextUpToTheCap) {
  const std::string filler(3000, ' ');
  const struct {
    const char* name;
    std::vector<std::string> streams;  // of the one page, each Flate-compressed
  } cases[] = {
      {"one stream", {Show("Vorher") + filler + filler + Show("Nachher", 600)}},
      {"two streams together", {Show("Vorher") + filler, filler + Show("Nachher", 600)}},
  };
  for (const auto& c : cases) {
    PdfBuilder pdf;
    std::string refs;
    for (const std::string& s : c.streams)
      refs += std::to_string(pdf.AddStream("/Filter /FlateDecode", Deflated(s))) + " 0 R ";
    const int tree = pdf.Add("");
    const int page = pdf.Add("<< /Type /Page /Contents [" + refs + "] >>");
    pdf.Set(tree, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] >>");
    pdf.root = pdf.Add("<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
    Conv run([](TCapLimits& l) { l.ContentBytes = 4000; });
    run.Convert(pdf.Build());
    EXPECT_EQ(run.Times(TCap::Content), 1) << c.name;
    EXPECT_NE(run.Text().find("Vorher"), std::string::npos) << c.name;
    EXPECT_EQ(run.Text().find("Nachher"), std::string::npos) << c.name;
    EXPECT_FALSE(run.result.Invalid) << c.name;

    Conv uncapped;
    uncapped.Convert(pdf.Build());
    EXPECT_NE(uncapped.Text().find("Nachher"), std::string::npos) << c.name;
    EXPECT_EQ(uncapped.Times(TCap::Content), 0) << c.name;
  }
}

TEST(Caps, AStreamNamedManyTimesByAPageIsReadOnce) {
  PdfBuilder pdf;
  const int stream = pdf.AddStream("/Filter /FlateDecode", Deflated("(x) Tj"));
  std::string refs;
  for (int i = 0; i < 1000; ++i)
    refs += std::to_string(stream) + " 0 R ";
  const int tree = pdf.Add("");
  const int page = pdf.Add("<< /Type /Page /Contents [" + refs + "] >>");
  pdf.Set(tree, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] >>");
  pdf.root = pdf.Add("<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
  auto reader = testing::ReadStructure(pdf.Build());
  ASSERT_EQ(reader->Pages.Count(), 1);
  const std::size_t before = reader->DictionaryTokens;
  const TPageContent content =
      ReadPageContent(*reader, reader->Pages[0], 1, [](const std::string&) {});
  EXPECT_EQ(Occurrences(content.ContentBuffer, "(x) Tj\n"), 1000);
  // One stream dictionary: /Filter /FlateDecode /Length n.
  EXPECT_EQ(reader->DictionaryTokens - before, 4u);
  EXPECT_FALSE(reader->Invalid);
}

// --- whole-file budgets ---

TEST(Caps, FileBudgetsEndTheConversionEarly) {
  const std::vector<std::string> contents = {Show("Seite1"), Show("Seite2"), Show("Seite3")};
  const struct {
    const char* name;
    std::function<void(TCapLimits&)> lower;
    bool keep_runs;
  } cases[] = {
      {"stream bytes", [](TCapLimits& l) { l.DocumentContentBytes = 50; }, false},
      {"text length", [](TCapLimits& l) { l.DocumentTextLength = 30; }, false},
      {"runs kept for the preview", [](TCapLimits& l) { l.DocumentRuns = 2; }, true},
  };
  for (const auto& c : cases) {
    Conv run(c.lower);
    run.state.KeepTextItems = c.keep_runs;
    run.Convert(Pages(contents));
    EXPECT_EQ(run.Times(TCap::Document), 1) << c.name;
    EXPECT_NE(run.Text().find("Seite1"), std::string::npos) << c.name;
    EXPECT_EQ(run.Text().find("Seite3"), std::string::npos) << c.name;
    EXPECT_EQ(run.result.PageCount, 3) << c.name;
    EXPECT_FALSE(run.state.FBusy) << c.name;
    EXPECT_EQ(run.host.events.back(), "end") << c.name;
  }
  Conv run;
  run.state.KeepTextItems = true;
  run.Convert(Pages(contents));
  EXPECT_NE(run.Text().find("Seite3"), std::string::npos);
  EXPECT_EQ(run.Times(TCap::Document), 0);
}

// --- images ---

std::string ImagePage(const std::vector<std::string>& images) {
  PdfBuilder pdf;
  std::string names;
  for (std::size_t i = 0; i < images.size(); ++i) {
    names += "/Im" + std::to_string(i) + " " + std::to_string(pdf.Add(images[i])) + " 0 R ";
  }
  std::string draws;
  for (std::size_t i = 0; i < images.size(); ++i)
    draws += "q 10 0 0 10 0 " + std::to_string(100 * i) + " cm /Im" + std::to_string(i) + " Do Q\n";
  const int content = pdf.AddStream("", draws);
  const int tree = pdf.Add("");
  const int page = pdf.Add("<< /Type /Page /Resources << /XObject << " + names +
                           ">> >> /Contents " + std::to_string(content) + " 0 R >>");
  pdf.Set(tree, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] >>");
  pdf.root = pdf.Add("<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
  return pdf.Build();
}

std::string GreyImage(int width, int height) {
  const std::string samples =
      Deflated(std::string(static_cast<std::size_t>(width) * height, '\x80'));
  return "<< /Type /XObject /Subtype /Image /Width " + std::to_string(width) + " /Height " +
         std::to_string(height) +
         " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode /Length " +
         std::to_string(samples.size()) + " >>\nstream\n" + samples + "\nendstream";
}

TEST(Caps, Images) {
  const std::string huge_jpeg =
      "<< /Type /XObject /Subtype /Image /Width 100000 /Height 100000 /ColorSpace /DeviceRGB "
      "/BitsPerComponent 8 /Filter /DCTDecode /Length 4 >>\nstream\n\xFF\xD8\xFF\xD9\nendstream";
  const std::string huge_ccitt =
      "<< /Type /XObject /Subtype /Image /Width 200000 /Height 200000 /BitsPerComponent 1 "
      "/Filter /CCITTFaxDecode /Length 4 >>\nstream\nabcd\nendstream";
  const struct {
    const char* name;
    std::vector<std::string> images;
    std::function<void(TCapLimits&)> lower;
    int decoded;
    std::vector<TCap> caps;
  } cases[] = {
      {"pictures within the caps", {GreyImage(8, 8), GreyImage(8, 8)}, {}, 2, {}},
      {"a picture larger than the cap is not decoded",
       {huge_jpeg, GreyImage(8, 8)},
       {},
       1,
       {TCap::Image}},
      {"the cap is in bitmap bytes: a 1-bit picture", {huge_ccitt}, {}, 0, {TCap::Image}},
      {"a lowered cap",
       {GreyImage(8, 8), GreyImage(16, 16)},
       [](TCapLimits& l) { l.ImageBytes = 100; },
       1,
       {TCap::Image}},
      // Pictures are kept as their data, not their pixels: the cap counts the data kept.
      {"all pictures together",
       {GreyImage(8, 8), GreyImage(8, 8), GreyImage(8, 8)},
       [](TCapLimits& l) {
         l.ImagesBytes = static_cast<int64_t>(Deflated(std::string(64, '\x80')).size()) + 1;
       },
       2,
       {TCap::Images}},
  };
  for (const auto& c : cases) {
    Conv run(c.lower);
    run.Convert(ImagePage(c.images));
    EXPECT_EQ(run.state.Images.Count(), c.decoded) << c.name;
    for (const TCap cap : {TCap::Image, TCap::Images}) {
      const bool expected = std::find(c.caps.begin(), c.caps.end(), cap) != c.caps.end();
      EXPECT_EQ(run.Times(cap), expected ? 1 : 0) << c.name << ": " << Line(cap);
    }
  }
}

// --- fonts and XObject names ---

TEST(Caps, ResourceNames) {
  std::string fonts;
  for (int i = 0; i < 6; ++i)
    fonts += "/F" + std::to_string(i) + " << /Type /Font /Subtype /Type1 >> ";
  const std::string resources = "/Resources << /Font << " + fonts + ">> >>";
  const struct {
    const char* name;
    std::function<void(TCapLimits&)> lower;
    std::string status;  // the line before "Lese Seiten..."
    bool capped;
  } cases[] = {
      {"names of all pages", [](TCapLimits& l) { l.ResourceNames = 9; },
       "9 Schriftarten gefunden...", true},
      {"font records", [](TCapLimits& l) { l.FontRecords = 4; }, "4 Schriftarten gefunden...",
       true},
      {"within the caps", {}, "12 Schriftarten gefunden...", false},
  };
  for (const auto& c : cases) {
    Conv run(c.lower);
    run.Convert(Pages({Show("a"), Show("b")}, resources));
    EXPECT_EQ(run.Times(TCap::Resources), c.capped ? 1 : 0) << c.name;
    EXPECT_EQ(Count(run.host.status_lines, c.status), 1) << c.name;
    EXPECT_NE(run.Text().find('b'), std::string::npos) << c.name;
  }
}

// --- the interpreter ---

TEST(Caps, Interpreter) {
  const struct {
    const char* name;
    std::string content;
    std::function<void(TCapLimits&)> lower;
    std::string text;  // of the document, lines joined by "|"
    TCap cap;
  } cases[] = {
      {"operands: the oldest go, the operator's own stay",
       "BT /F1 12 Tf 0 700 Td [(Eins) 1 2 3 4 5 6 7 8 9 (Zwei)] TJ ET",
       [](TCapLimits& l) { l.Operands = 8; }, "Zwei", TCap::Operands},
      {"saved states: a q past the cap saves nothing",
       "q 1 0 0 1 100 0 cm q 1 0 0 1 1000 0 cm q Q Q BT /F1 12 Tf 0 700 Td (x) Tj ET",
       [](TCapLimits& l) { l.SavedStates = 2; }, "x", TCap::SavedStates},
      {"runs of a page",
       "BT /F1 12 Tf 0 700 Td (a) Tj 0 -20 Td (b) Tj 0 -20 Td (c) Tj 0 -20 Td (d) Tj ET",
       [](TCapLimits& l) { l.Runs = 2; }, "a|b", TCap::Runs},
  };
  for (const auto& c : cases) {
    Conv run(c.lower);
    run.host.options.VertLayCheck = false;
    run.host.options.StartWTCheck = false;
    run.Convert(Pages({c.content}));
    std::string text = run.Text();
    while (!text.empty() && text.back() == '\n')
      text.pop_back();
    std::replace(text.begin(), text.end(), '\n', '|');
    EXPECT_EQ(text, c.text) << c.name;
    EXPECT_EQ(run.Times(c.cap), 1) << c.name;

    Conv uncapped;
    uncapped.host.options = run.host.options;
    uncapped.Convert(Pages({c.content}));
    EXPECT_EQ(uncapped.Times(c.cap), 0) << c.name;
    EXPECT_NE(uncapped.Text(), run.Text()) << c.name;
  }
}

TEST(Caps, ManySavedStatesAtTheDefaultCap) {
  std::string content;
  for (int i = 0; i < 5000; ++i)
    content += "q 1 0 0 1 0.01 0 cm ";  // the text stays on the page
  content += "BT /F1 12 Tf 0 700 Td (x) Tj ET";
  Conv run;
  run.Convert(Pages({content}));
  EXPECT_EQ(run.Times(TCap::SavedStates), 1);
  EXPECT_NE(run.Text().find('x'), std::string::npos);
}

// --- the layout ---

TEST(Caps, LayoutGaps) {
  const struct {
    const char* name;
    std::string content;
    bool tabs;
    std::string line;       // of the page holding "a", when "b" is on it too
    int lines_between = 0;  // empty lines from "a" to "b" otherwise
    TCap cap;
  } cases[] = {
      {"a gap across a line", "BT /F1 12 Tf 0 700 Td (a) Tj 1000000 0 Td (b) Tj ET", false,
       "a" + std::string(2000, ' ') + "b", 0, TCap::Blanks},
      {"spacing inside a run", "BT /F1 12 Tf 0 700 Td [(a) -100000000 (b)] TJ ET", false,
       "a" + std::string(2000, ' ') + "b", 0, TCap::Blanks},
      {"tabs across a line", "BT /F1 12 Tf 0 700 Td (a) Tj 1000000 0 Td (b) Tj ET", true,
       "a" + std::string(2000, '\t') + "b", 0, TCap::Blanks},
      {"a distance down the page", "BT /F1 12 Tf 0 700 Td (a) Tj 0 -100000 Td (b) Tj ET", false, "",
       2000, TCap::EmptyLines},
  };
  for (const auto& c : cases) {
    Conv run;
    run.host.options.TabsCheck = c.tabs;
    run.host.options.StartWTCheck = false;
    // The modern reader leaves out text beyond the page: these gaps reach the layout classically.
    run.host.options.ModernCheck = false;
    run.Convert(Pages({c.content}));
    EXPECT_EQ(run.Times(c.cap), 1) << c.name;
    const TRichDocument& doc = run.state.Memo1;
    int a = -1;
    int b = -1;
    for (int i = 0; i < doc.LineCount(); ++i) {
      if (doc.Line(i).starts_with('a')) a = i;
      if (doc.Line(i).ends_with('b')) b = i;
    }
    ASSERT_GE(a, 0) << c.name;
    ASSERT_GE(b, a) << c.name;
    if (!c.line.empty()) {
      EXPECT_EQ(b, a) << c.name;
      EXPECT_EQ(doc.Line(a), c.line) << c.name;
    } else {
      EXPECT_EQ(b - a - 1, c.lines_between) << c.name;
    }
  }
}

}  // namespace
}  // namespace paginor
