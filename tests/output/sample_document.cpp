#include "output/sample_document.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace paginor::testing {

TTextAttributes Font(std::string name, int size, TColor color, TFontStyles style) {
  return TTextAttributes{std::move(name), size, color, style};
}

void AppendPieces(TRichDocument& doc, TParaAttributes para, const std::vector<TextPiece>& pieces) {
  doc.SetSelStart(doc.TextLength());
  doc.SetParagraphAlignment(para.Alignment);
  doc.SetParagraphNumbering(para.Numbering);
  for (const TextPiece& piece : pieces) {
    doc.SetSelAttributes(piece.attributes);
    doc.SetSelText(piece.text);
  }
}

void AppendBreak(TRichDocument& doc, const TTextAttributes& attributes) {
  doc.SetSelStart(doc.TextLength());
  doc.SetSelAttributes(attributes);
  doc.SetSelText("\n");
}

TRichDocument SampleDocument() {
  const TTextAttributes plain = Font("Arial", 11);
  const TParaAttributes left{};
  TRichDocument doc;
  doc.SetDefaultFont(plain);
  doc.Clear();
  AppendPieces(doc, {TAlignment::Center, TNumbering::None},
               {{Font("Times New Roman", 16, clWindowText, {fsBold}), "Überschrift"}});
  AppendBreak(doc, plain);
  AppendPieces(doc, left, {});
  AppendBreak(doc, plain);
  AppendPieces(doc, left,
               {{plain, "Preis: "},
                {Font("Arial", 11, 0x0000FF), "5 €"},
                {Font("Arial", 11, clWindowText, {fsItalic, fsUnderline}), " & \"mehr\""}});
  AppendBreak(doc, plain);
  AppendPieces(doc, {TAlignment::Left, TNumbering::Bullet},
               {{plain, "Punkt {eins}\tmit Tab \\ Backslash"}});
  AppendBreak(doc, plain);
  AppendPieces(doc, left, {{plain, "<img src=\"bild001.jpg\">"}});
  AppendBreak(doc, plain);
  // Beyond Windows-1252: Polish, Greek, Cyrillic, mathematics, CJK, and a character beyond the
  // Basic Multilingual Plane.
  AppendPieces(doc, left, {{plain, "Łódź Ωμέγα Жук ≤∑ 中文 𝐀"}});
  AppendBreak(doc, plain);
  AppendPieces(doc, {TAlignment::Right, TNumbering::None},
               {{Font("Arial", 9, clWindowText, {fsStrikeOut}), "durchgestrichen"},
                {Font("Arial", 9, clWindowText, {fsBold}), "!"}});
  return doc;
}

std::string ReadExpected(const std::string& name) {
  const std::string path = std::string(PAGINOR_TEST_DATA) + "/output/" + name;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("missing expected file " + path);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace paginor::testing
