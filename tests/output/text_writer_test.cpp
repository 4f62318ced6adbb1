#include "output/text_writer.h"

#include <gtest/gtest.h>

#include "output/sample_document.h"

namespace paginor {
namespace {

TEST(PlainText, OneLinePerDocumentLineInUtf8) {
  struct Case {
    const char* name;
    std::string document;
    std::string file;
  };
  const Case cases[] = {
      {"empty", "", ""},
      {"open last line gets its end", "abc", "abc\n"},
      {"closed last line", "abc\n", "abc\n"},
      {"empty line", "abc\n\ndef", "abc\n\ndef\n"},
      {"trailing empty line", "abc\n\n", "abc\n\n"},
      {"every character", "Grüße €\t„x“ Łódź αβ Жук ≤ 中文 𝐀",
       "Grüße €\t„x“ Łódź αβ Жук ≤ 中文 𝐀\n"},
  };
  for (const Case& c : cases) {
    TRichDocument doc;
    doc.SetSelText(c.document);
    EXPECT_EQ(DocumentToPlainText(doc), c.file) << c.name;
  }
}

TEST(PlainText, LeavesOutImageLinksUnlessTheDocumentKeepsThem) {
  const std::string text =
      "Bild: <img src=\"bild001.jpg\" border=0>\n<img src=\"bild1234.gif\" border=0> und "
      "<img src=\"bild7.jpg\" border=0> <img src=\"bild002.png\" border=0>";
  TRichDocument doc;
  doc.SetSelText(text);
  EXPECT_EQ(DocumentToPlainText(doc), text + "\n");
  doc.SetImageLinksInPlainText(false);
  // Only links as the interpreter writes them go; look-alikes are text.
  EXPECT_EQ(DocumentToPlainText(doc),
            "Bild: \n und <img src=\"bild7.jpg\" border=0> <img src=\"bild002.png\" border=0>\n");
}

TEST(PlainText, SampleDocumentFile) {
  EXPECT_EQ(DocumentToPlainText(testing::SampleDocument()), testing::ReadExpected("sample.txt"));
}

}  // namespace
}  // namespace paginor
