// Text that a page shows through form XObjects and the appearances of its annotations.
#include <gtest/gtest.h>

#include <sstream>

#include "convert/conversion.h"
#include "images/image_extraction.h"
#include "output/text_writer.h"
#include "support/fake_font.h"
#include "support/pdf_builder.h"
#include "support/recording_host.h"

namespace paginor {
namespace {

using testing::PdfBuilder;
using testing::RecordingHost;

std::string Stream(const std::string& dict, const std::string& data) {
  return "<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
         "\nendstream";
}

// One page (object 3) with the font /F1 (object 4) and the XObjects and annotations given;
// objects from 10 on are the test's.
struct FormFile {
  std::string content;
  std::string xobjects;  // entries of the page's /XObject dictionary
  std::string annots;    // the page's /Annots array
  std::map<int, std::string> objects;

  std::vector<std::string> Lines(bool modern = true) const {
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Set(3,
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 4 "
            "0 R >> /XObject << " +
                xobjects + " >> >> /Contents 5 0 R " + (annots.empty() ? "" : "/Annots " + annots) +
                " >>");
    pdf.Set(4, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    pdf.Set(5, Stream("", content));
    for (const auto& [num, body] : objects)
      pdf.Set(num, body);
    pdf.root = 1;
    RecordingHost host;
    host.options.ModernCheck = modern;
    host.options.VertLayCheck = false;
    TDocumentState state;
    state.MeasureFont = testing::MakeFakeFont(96);
    ConvertBuffer(state, host, pdf.Build());
    std::vector<std::string> lines;
    std::istringstream in(DocumentToPlainText(state.Memo1));
    for (std::string line; std::getline(in, line);) {
      const auto first = line.find_first_not_of(' ');
      if (first != std::string::npos) lines.push_back(line.substr(first));
    }
    return lines;
  }
};

TEST(Forms, TextInsideFormsWithTheirMatrixResourcesAndFonts) {
  FormFile file;
  file.content = "BT /F1 10 Tf 72 700 Td (Seite) Tj ET q 1 0 0 1 0 -100 cm /Fm1 Do Q";
  file.xobjects = "/Fm1 10 0 R";
  // The form moves its text up by 50 (so it lands at 650) and names its own font and a form
  // inside it, which in turn names the first form again.
  file.objects[10] = Stream(
      "/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Matrix [1 0 0 1 0 50] "
      "/Resources << /Font << /FA 11 0 R >> /XObject << /Inner 12 0 R >> >>",
      "BT /FA 10 Tf 72 700 Td (Formular) Tj ET /Inner Do");
  file.objects[11] = "<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman >>";
  file.objects[12] = Stream(
      "/Subtype /Form /BBox [0 0 612 792] /Resources << /Font << /FB 11 0 R >> /XObject << "
      "/Outer 10 0 R >> >>",
      "BT /FB 10 Tf 72 600 Td (Innen) Tj ET /Outer Do");
  EXPECT_EQ(file.Lines(), (std::vector<std::string>{"Seite", "Formular", "Innen"}));
  // The classic reader knows no forms.
  EXPECT_EQ(file.Lines(false), std::vector<std::string>{"Seite"});
}

TEST(Forms, AFormWithoutResourcesUsesItsCallers) {
  FormFile file;
  file.content = "/Fm1 Do";
  file.xobjects = "/Fm1 10 0 R";
  file.objects[10] = Stream("/Subtype /Form /BBox [0 0 612 792]",
                            "BT /F1 10 Tf 72 700 Td (Ohne Ressourcen) Tj ET");
  EXPECT_EQ(file.Lines(), std::vector<std::string>{"Ohne Ressourcen"});
}

TEST(Forms, NothingShowsOutsideAFormsBox) {
  FormFile file;
  // The box, moved by the CTM to 100..300 x 600..700, holds the first line only.
  file.content = "q 1 0 0 1 100 600 cm /Fm1 Do Q";
  file.xobjects = "/Fm1 10 0 R";
  file.objects[10] = Stream("/Subtype /Form /BBox [0 0 200 100]",
                            "BT /F1 10 Tf 10 50 Td (Innen) Tj 0 -200 Td (Abgeschnitten) Tj ET");
  EXPECT_EQ(file.Lines(), std::vector<std::string>{"Innen"});
}

// A grey picture of width × 1 samples.
std::string GreyPicture(int width) {
  return Stream("/Type /XObject /Subtype /Image /Width " + std::to_string(width) +
                    " /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode",
                PdfBuilder::Deflate(std::string(static_cast<std::size_t>(width), '\x80')));
}

TEST(Forms, PicturesInsideFormsGetNumbersAndLinks) {
  // The page draws its own picture, then a form that draws one and holds a form drawing
  // another (and the page's picture again, which keeps its number).
  PdfBuilder pdf;
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  pdf.Set(3,
          "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /XObject << /Im0 "
          "10 0 R /Fm1 11 0 R >> >> /Contents 5 0 R >>");
  pdf.Set(5, Stream("", "q 20 0 0 20 72 700 cm /Im0 Do Q q 1 0 0 1 0 -100 cm /Fm1 Do Q"));
  pdf.Set(10, GreyPicture(3));
  pdf.Set(11, Stream("/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Resources << /XObject "
                     "<< /A 12 0 R /Inner 13 0 R >> >>",
                     "q 30 0 0 30 72 500 cm /A Do Q /Inner Do"));
  pdf.Set(12, GreyPicture(4));
  pdf.Set(13, Stream("/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Resources << /XObject "
                     "<< /B 14 0 R /Same 10 0 R >> >>",
                     "q 40 0 0 40 72 300 cm /B Do Q q 10 0 0 10 72 100 cm /Same Do Q"));
  pdf.Set(14, GreyPicture(5));
  pdf.root = 1;
  for (const bool modern : {true, false}) {
    RecordingHost host;
    host.options.ModernCheck = modern;
    host.options.VertLayCheck = false;
    TDocumentState state;
    state.MeasureFont = testing::MakeFakeFont(96);
    ConvertBuffer(state, host, pdf.Build());
    std::vector<int> widths;
    for (const TImageRec& image : state.Images)
      widths.push_back(image.Bitmap.Width());
    const std::string& text = state.Memo1.Text();
    if (modern) {
      EXPECT_EQ(widths, (std::vector<int>{3, 4, 5}));
      // Each link where its picture is drawn, top to bottom; the page's picture twice.
      std::vector<std::string> links;
      for (std::size_t at = text.find("<img"); at != std::string::npos;
           at = text.find("<img", at + 1)) {
        links.push_back(text.substr(at + 10, 11));
      }
      EXPECT_EQ(links, (std::vector<std::string>{"bild001.gif", "bild002.gif", "bild003.gif",
                                                 "bild001.gif"}));
      // The size on the page where each is first drawn.
      EXPECT_EQ(state.Images[1].ShownWidth, 30);
      EXPECT_EQ(state.Images[2].ShownWidth, 40);
    } else {
      // The classic reader knows the page's own pictures only.
      EXPECT_EQ(widths, (std::vector<int>{3}));
      EXPECT_NE(text.find("bild001.gif"), std::string::npos);
      EXPECT_EQ(text.find("bild002"), std::string::npos);
    }
  }
}

TEST(Annotations, AppearancesShowInTheirRectangle) {
  FormFile file;
  file.content = "BT /F1 10 Tf 72 700 Td (Oben) Tj 0 -400 Td (Unten) Tj ET";
  file.annots = "[20 0 R 21 0 R 22 0 R 23 0 R]";
  const std::string field_font = "/Resources << /Font << /Helv 11 0 R >> >>";
  file.objects[11] = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
  // A field between the two lines: its box [0 0 200 20] fits the rectangle at y 500.
  file.objects[20] =
      "<< /Type /Annot /Subtype /Widget /Rect [72 500 272 520] /AP << /N 30 0 R >> >>";
  file.objects[30] = Stream("/Subtype /Form /BBox [0 0 200 20] " + field_font,
                            "/Tx BMC BT /Helv 10 Tf 2 5 Td (Feldwert) Tj ET EMC");
  // Hidden: nothing.
  file.objects[21] =
      "<< /Type /Annot /Subtype /FreeText /F 2 /Rect [72 450 272 470] /AP << /N 31 0 R >> >>";
  file.objects[31] =
      Stream("/BBox [0 0 200 20] " + field_font, "BT /Helv 10 Tf 2 5 Td (Versteckt) Tj ET");
  // A check box whose state picks the appearance.
  file.objects[22] =
      "<< /Type /Annot /Subtype /Widget /Rect [72 600 92 620] /AS /Ja /AP << /N << /Ja 32 0 R "
      "/Off 33 0 R >> >> >>";
  file.objects[32] = Stream("/BBox [0 0 20 20] " + field_font, "BT /Helv 10 Tf 2 5 Td (X) Tj ET");
  file.objects[33] = Stream("/BBox [0 0 20 20] " + field_font, "BT /Helv 10 Tf 2 5 Td (O) Tj ET");
  // An annotation without an appearance shows nothing.
  file.objects[23] = "<< /Type /Annot /Subtype /Text /Rect [0 0 10 10] >>";
  EXPECT_EQ(file.Lines(), (std::vector<std::string>{"Oben", "X", "Feldwert", "Unten"}));
  EXPECT_EQ(file.Lines(false), (std::vector<std::string>{"Oben", "Unten"}));
}

TEST(Annotations, APageWithoutContentShowsItsAnnotations) {
  testing::PdfBuilder pdf;
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  pdf.Set(3,
          "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << >> /Annots [4 0 "
          "R] >>");
  pdf.Set(4, "<< /Type /Annot /Subtype /FreeText /Rect [72 700 272 720] /AP << /N 5 0 R >> >>");
  pdf.Set(5, Stream("/Subtype /Form /BBox [0 0 200 20] /Resources << /Font << /Helv 6 0 R >> >>",
                    "BT /Helv 10 Tf 2 5 Td (Notiz) Tj ET"));
  pdf.Set(6, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  pdf.root = 1;
  RecordingHost host;
  TDocumentState state;
  state.MeasureFont = testing::MakeFakeFont(96);
  ConvertBuffer(state, host, pdf.Build());
  EXPECT_NE(DocumentToPlainText(state.Memo1).find("Notiz"), std::string::npos);
}

TEST(ModernContent, OnlyTheOperatorsOwnStringsAreShown) {
  FormFile file;
  // A marked-content span whose /ActualText replaces its glyphs (once, where they begin), a
  // span without it, comments, a string with balanced parentheses, and an inline image whose
  // data hold what looks like text.
  file.content =
      "BT /F1 10 Tf 72 700 Td /Span << /ActualText <FEFF00C400E4> >> BDC (A\\344) Tj EMC "
      "/P << /MCID 3 >> BDC ( gezeigt) Tj EMC % (nicht)\n"
      "0 -20 Td (f(x) = 1) Tj ET BI /W 1 /H 1 /BPC 8 /CS /G ID (Bild) Tj EI "
      "BT /F1 10 Tf 72 600 Td [(A) -50 (B)] TJ ET";
  EXPECT_EQ(file.Lines(), (std::vector<std::string>{"\xC3\x84\xC3\xA4 gezeigt", "f(x) = 1", "AB"}));
  // The classic reader shows every string before the operator, the span's text string too.
  EXPECT_NE(file.Lines(false).front().find("\xC3\xBE\xC3\xBF"), std::string::npos);
}

TEST(ModernContent, StateOperatorsInsideATJArray) {
  FormFile file;
  file.content =
      "BT /F1 10 Tf 72 700 Td [(Grandes) 0.0 Tc -250.0 (Clients) 0.0 Tc -250 (et) ] TJ ET "
      "BT /F1 10 Tf 72 650 Td [(offen) ET BT /F1 10 Tf 72 600 Td (danach) Tj ET";
  // A "[" never closed ends at the next operator that is no state operator.
  EXPECT_EQ(file.Lines(), (std::vector<std::string>{"Grandes Clients et", "danach"}));
}

}  // namespace
}  // namespace paginor
