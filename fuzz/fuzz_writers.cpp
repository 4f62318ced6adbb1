// The writers over random documents: the document is built by a random sequence of the edits
// the layout and the view make, then written as plain text, RTF (read back by the tests' RTF
// reader: every line, character attribute and paragraph must come back) and HTML.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "output/document.h"
#include "output/html_writer.h"
#include "output/rtf_reader.h"
#include "output/rtf_writer.h"
#include "output/text_writer.h"

namespace {

using paginor::TRichDocument;
using paginor::TTextAttributes;

// Sizes within what RTF can say, which the RTF writer clamps to (a size of 0 is written as 1).
TTextAttributes Attributes(paginor::fuzz::TFuzzInput& input) {
  static const char* const kNames[] = {"Arial", "Times New Roman", "Courier New", "Liberation Sans",
                                       ("\xDC"
                                        "berschrift")};
  TTextAttributes a;
  a.Name = kNames[input.Byte() % 5];
  a.Size = input.In(1, 400);
  const uint8_t color = input.Byte();
  a.Color = color < 128 ? paginor::clWindowText : static_cast<uint32_t>(color) << 16 | input.U16();
  const uint8_t style = input.Byte();
  for (int s = 0; s < 4; ++s) {
    if ((style >> s) & 1) a.Style.Include(static_cast<paginor::TFontStyle>(s));
  }
  return a;
}

void Build(TRichDocument& doc, paginor::fuzz::TFuzzInput& input) {
  for (int op = 0; op < 200 && !input.Empty(); ++op) {
    const int64_t length = doc.TextLength() + 2;
    switch (input.Byte() % 10) {
      case 0:
        doc.AddLine(input.Take(input.Byte() % 16));
        break;
      case 1:
        doc.SetSelStart(input.In(-1, 30000) % length);
        break;
      case 2:
        doc.SetSelLength(input.In(-1, 30000) % length);
        break;
      case 3:
      case 4:
        doc.SetSelText(input.Take(input.Byte() % 24));
        break;
      case 5:
        doc.SetSelAttributesSize(input.In(1, 400));
        break;
      case 6:
        doc.SetSelAttributes(Attributes(input));
        break;
      case 7:
        doc.SetParagraphAlignment(static_cast<paginor::TAlignment>(input.Byte() % 3));
        break;
      case 8:
        doc.SetParagraphNumbering(static_cast<paginor::TNumbering>(input.Byte() % 2));
        break;
      case 9:
        doc.SetDefaultFont(Attributes(input));
        if (input.Bool()) doc.Clear();
        break;
    }
  }
}

void CheckPlainText(const TRichDocument& doc) {
  const std::string text = paginor::DocumentToPlainText(doc);
  FUZZ_CHECK(paginor::fuzz::IsUtf8(text));
  int64_t line_ends = 0;
  for (const char c : text)
    line_ends += c == '\n';
  FUZZ_CHECK(line_ends == doc.LineCount());
}

void CheckRtf(const TRichDocument& doc) {
  const std::string rtf = paginor::DocumentToRTF(doc);
  const paginor::testing::RTFContent read = paginor::testing::ReadRTF(rtf);
  FUZZ_CHECK(read.error.empty());
  FUZZ_CHECK(read.codepage == 1252);
  FUZZ_CHECK(!read.fonts.empty() && read.fonts[0] == doc.DefaultFont().Name);
  FUZZ_CHECK(read.paragraphs.size() == static_cast<std::size_t>(doc.LineCount()));
  for (int i = 0; i < doc.LineCount(); ++i) {
    const auto& p = read.paragraphs[static_cast<std::size_t>(i)];
    FUZZ_CHECK(p.paragraph == doc.LineParagraph(i));
    FUZZ_CHECK(p.text == doc.Line(i));
    for (std::size_t k = 0; k < p.text.size(); ++k) {
      FUZZ_CHECK(p.attributes[k] == doc.AttributesAt(doc.LineStart(i) + static_cast<int64_t>(k)));
    }
    if (doc.LineEnd(i) < doc.TextLength()) FUZZ_CHECK(p.mark == doc.AttributesAt(doc.LineEnd(i)));
  }
}

void CheckHtml(TRichDocument& doc) {
  const std::string text = doc.Text();
  const int64_t start = doc.SelStart();
  const int64_t length = doc.SelLength();
  int events = 0;
  const std::vector<std::string> lines = paginor::RTFToHTML(
      doc,
      [&events] {
        ++events;
        return true;
      },
      [](int percent) { FUZZ_CHECK(percent >= 0 && percent <= 100); });
  FUZZ_CHECK(lines.size() == static_cast<std::size_t>(doc.LineCount()) + 2);
  FUZZ_CHECK(events == doc.LineCount());
  // The build walks the document with its selection and gives both back unchanged.
  FUZZ_CHECK(doc.Text() == text);
  FUZZ_CHECK(doc.SelStart() == start && doc.SelLength() == length);
  const std::string file = paginor::HTMLFileContent(lines);
  FUZZ_CHECK(file.ends_with("</nobr></body></html>\r\n"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  paginor::fuzz::TFuzzInput input(data, size);
  TRichDocument doc;
  Build(doc, input);
  CheckPlainText(doc);
  CheckRtf(doc);
  CheckHtml(doc);
  return 0;
}
