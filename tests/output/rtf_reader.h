// A small RTF reader for the tests: it tokenises control words, control symbols, groups and
// text, and interprets the subset of RTF that a document needs (font and colour tables,
// character formatting, paragraphs with alignment and a leading "\bullet\tab").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "output/document.h"

namespace paginor::testing {

struct RTFParagraph {
  TParaAttributes paragraph;
  std::string text;                         // UTF-8
  std::vector<TTextAttributes> attributes;  // one per byte of text
  TTextAttributes mark;                     // the attributes in force at its \par
};

// A {\pict ...} group: its kind, sizes and data.
struct RTFPicture {
  std::string kind;  // "jpegblip", "pngblip", ...
  int picw = 0, pich = 0, picwgoal = 0, pichgoal = 0;
  std::string bytes;          // the hexadecimal data decoded
  std::size_t paragraph = 0;  // the paragraph it stands in
  std::size_t offset = 0;     // the byte of that paragraph's text it stands before
};

struct RTFContent {
  std::string error;  // empty when the file was read to its end without a fault
  std::vector<std::string> control_words;  // of the header group, in order, with parameters
  std::vector<std::string> fonts;          // by number \fN (numbers must be 0, 1, ...)
  std::vector<TColor> colors;              // entry 0 is the automatic colour, clWindowText
  int default_font = -1;
  int codepage = -1;
  std::vector<RTFParagraph> paragraphs;
  std::vector<RTFPicture> pictures;
};

RTFContent ReadRTF(std::string_view rtf);

}  // namespace paginor::testing
