#include "pdf/xref.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "support/pdf_builder.h"

namespace paginor {
namespace {

using testing::PdfBuilder;

struct Read {
  explicit Read(std::string bytes) : reader(std::move(bytes)) { ReadXrefAndTrailer(reader); }
  TDocReader reader;
};

// Points the /Prev of the trailer that follows `section` at `target`, digit for digit.
void RedirectPrev(std::string& file, int64_t section, int64_t target) {
  const std::size_t at = file.find("/Prev ", static_cast<std::size_t>(section));
  ASSERT_NE(at, std::string::npos);
  char digits[16];
  std::snprintf(digits, sizeof digits, "%010lld", static_cast<long long>(target));
  file.replace(at + 6, 10, digits);
}

TEST(Xref, FindsObjectsAndTheRoot) {
  PdfBuilder pdf;
  pdf.Add("<< /Type /Catalog >>");
  pdf.Add("(zwei)");
  pdf.root = 1;
  pdf.trailer_extra = "/ID [(abc)(def)]";
  Read read(pdf.Build());
  TDocReader& r = read.reader;
  EXPECT_FALSE(r.Invalid);
  EXPECT_EQ(r.XrefCount(), 3);
  EXPECT_TRUE(r.RootFound);
  EXPECT_EQ(r.RootNum, 1);
  EXPECT_FALSE(r.Encrypted);
  EXPECT_EQ(r.Security.FileId, "abc");
  ASSERT_TRUE(r.GotoObject(2));
  EXPECT_EQ(r.ReadToken(), "(zwei)");
  EXPECT_FALSE(r.GotoObject(3));
  EXPECT_FALSE(r.GotoObject(-1));
}

TEST(Xref, CheckedObjectsAreTakenOnlyInTheGenerationAskedFor) {
  PdfBuilder pdf;
  pdf.root = pdf.Add("<< /Type /Catalog >>");
  pdf.Add("(zwei)");
  std::string file = pdf.Build();
  const std::size_t header = file.find("2 0 obj");
  ASSERT_NE(header, std::string::npos);
  file[header + 2] = '1';
  for (const bool checked : {false, true}) {
    TDocReader r(file);
    r.SetRules(checked ? TReadingRules::Modern() : TReadingRules::Classic());
    ReadXrefAndTrailer(r);
    SCOPED_TRACE(checked ? "modern" : "classic");
    EXPECT_TRUE(r.GotoObject(2));
    EXPECT_TRUE(r.GotoObject(2, 1));
    EXPECT_EQ(r.GotoObject(2, 0), !checked);
    EXPECT_EQ(r.ObjectBodyPos(2, 0).has_value(), !checked);
  }
}

TEST(Xref, HexIdentifierStaysAsTheTokenizerGivesIt) {
  PdfBuilder pdf;
  pdf.root = pdf.Add("<< >>");
  pdf.trailer_extra = "/ID [<0A1B><0A1B>] /Encrypt 1 0 R";
  Read read(pdf.Build());
  EXPECT_EQ(read.reader.Security.FileId, "<0A1B");
  EXPECT_TRUE(read.reader.Encrypted);
  EXPECT_EQ(read.reader.EncryptNum, 1);
}

TEST(Xref, TwoSubsectionsLeaveTheGapEmpty) {
  PdfBuilder pdf;
  pdf.Set(3, "<< >>");
  pdf.Set(4, "(vier)");
  pdf.root = 3;
  const std::string file = pdf.Build();
  ASSERT_NE(file.find("xref\n0 1\n"), std::string::npos);
  ASSERT_NE(file.find("3 2\n"), std::string::npos);
  Read read(file);
  TDocReader& r = read.reader;
  EXPECT_FALSE(r.Invalid);
  ASSERT_EQ(r.XrefCount(), 5);
  for (int i : {1, 2}) {
    EXPECT_FALSE(r.XrefTable[i].Loaded);
    EXPECT_EQ(r.XrefTable[i].Offset, 0);
  }
  EXPECT_EQ(r.XrefTable[4].Offset, pdf.OffsetOf(4));
}

TEST(Xref, SplitSubsectionsReadLikeOne) {
  PdfBuilder pdf;
  for (int i = 0; i < 4; ++i)
    pdf.Add("(" + std::to_string(i) + ")");
  pdf.root = 1;
  Read read(pdf.Build({.split_before = {2, 3}}));
  EXPECT_FALSE(read.reader.Invalid);
  ASSERT_TRUE(read.reader.GotoObject(4));
  EXPECT_EQ(read.reader.ReadToken(), "(3)");
}

TEST(Xref, IncrementalUpdateWinsOverTheOlderSection) {
  PdfBuilder pdf;
  pdf.Set(7, "(alt)");
  pdf.root = 7;
  const std::string base = pdf.Build();
  const std::string updated = PdfBuilder::AppendUpdate(base, {{7, "(neu)"}}, "/Size 8 /Root 7 0 R");
  Read read(updated);
  EXPECT_FALSE(read.reader.Invalid);
  ASSERT_TRUE(read.reader.GotoObject(7));
  EXPECT_EQ(read.reader.ReadToken(), "(neu)");
}

TEST(Xref, PrevChainsThatRepeatEnd) {
  PdfBuilder pdf;
  pdf.Set(1, "(eins)");
  pdf.root = 1;
  pdf.trailer_extra = "/Prev 0000000000";
  const std::string base = pdf.Build();
  const int64_t old_section = PdfBuilder::StartXref(base);
  std::string file = PdfBuilder::AppendUpdate(base, {{2, "(zwei)"}}, "/Size 3 /Root 1 0 R");
  const int64_t new_section = PdfBuilder::StartXref(file);

  std::string self = file;  // the newest trailer names its own section
  RedirectPrev(self, new_section, new_section);
  RedirectPrev(self, old_section, old_section);
  Read self_read(self);
  EXPECT_FALSE(self_read.reader.Invalid);
  EXPECT_EQ(self_read.reader.XrefCount(), 3);
  EXPECT_FALSE(self_read.reader.XrefTable[1].Loaded);  // the old section was never reached

  std::string loop = file;  // old section points back at the new one
  RedirectPrev(loop, old_section, new_section);
  Read loop_read(loop);
  EXPECT_FALSE(loop_read.reader.Invalid);
  ASSERT_TRUE(loop_read.reader.GotoObject(1));
  EXPECT_EQ(loop_read.reader.ReadToken(), "(eins)");
}

TEST(Xref, EndOfFileVariants) {
  PdfBuilder pdf;
  pdf.root = pdf.Add("<< >>");
  const struct {
    const char* name;
    std::string file;
    bool invalid;
  } cases[] = {
      {"garbage after %%EOF", pdf.Build({.after_eof = "\r\ngarbage bytes"}), false},
      {"garbage on the mark's line", pdf.Build({.after_eof = "x"}), false},
      {"blank lines after the mark", pdf.Build({.after_eof = "\n\n\r\n"}), false},
      {"no %%EOF", pdf.Build({.no_eof = true}), true},
      {"empty file", "", true},
      {"startxref missing", "1 0 obj\n<< >>\nendobj\n42\n%%EOF\n", true},
      {"offset points nowhere", "startxref\n999999\n%%EOF\n", true},
      {"no trailer keyword", "xref\n0 1\n0000000000 65535 f \nstartxref\n0\n%%EOF\n", true},
  };
  for (const auto& c : cases) {
    Read read(c.file);
    EXPECT_EQ(read.reader.Invalid, c.invalid) << c.name;
  }
}

TEST(Xref, CrossReferenceStreamIsRefused) {
  const std::string file =
      "%PDF-1.5\n1 0 obj\n<< /Type /XRef /Size 2 /W [1 2 1] /Length 0 >>\nstream\n\nendstream\n"
      "endobj\nstartxref\n9\n%%EOF\n";
  Read read(file);
  EXPECT_TRUE(read.reader.Invalid);
}

TEST(Xref, HugeSubsectionCountsDoNotAllocateOrHang) {
  const std::string file =
      "xref\n0 2000000000\n0000000000 65535 f \ntrailer\n<< >>\nstartxref\n0\n%%EOF\n";
  Read read(file);
  EXPECT_LT(read.reader.XrefCount(), 100000);
  const std::string far =
      "xref\n2000000000 2\n0000000009 00000 n \ntrailer\n<< >>\nstartxref\n0\n%%EOF\n";
  Read far_read(far);
  EXPECT_LT(far_read.reader.XrefCount(), 100000);
  EXPECT_FALSE(far_read.reader.GotoObject(2000000000));
}

}  // namespace
}  // namespace paginor
