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
      {"Windows-1252 characters", "Gr\xFC\xDF\x65 \x80\t\x84x\x93", "Grüße €\t„x“\n"},
  };
  for (const Case& c : cases) {
    TRichDocument doc;
    doc.SetSelText(c.document);
    EXPECT_EQ(DocumentToPlainText(doc), c.file) << c.name;
  }
}

TEST(PlainText, SampleDocumentFile) {
  EXPECT_EQ(DocumentToPlainText(testing::SampleDocument()), testing::ReadExpected("sample.txt"));
}

}  // namespace
}  // namespace paginor
