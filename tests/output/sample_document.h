// Small documents for the writer tests, built the way the view and the layout fill a document.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "output/document.h"

namespace paginor::testing {

TTextAttributes Font(std::string name, int size, TColor color = clWindowText,
                     TFontStyles style = {});

struct TextPiece {
  TTextAttributes attributes;
  std::string text;
};

// Appends the pieces to the last line and gives that line the paragraph attributes.
void AppendPieces(TRichDocument& doc, TParaAttributes para, const std::vector<TextPiece>& pieces);
// Closes the last line with a break in the given attributes.
void AppendBreak(TRichDocument& doc, const TTextAttributes& attributes);

// Six lines: a centred bold heading in another face, an empty line, a line with a colour and
// style change and characters that HTML escapes, a bulleted line with RTF's special
// characters and a tab, an image link, and a right-aligned last line without a break.
TRichDocument SampleDocument();

// The whole file in tests/data/output.
std::string ReadExpected(const std::string& name);

}  // namespace paginor::testing
