// The document as a Rich Text Format (RTF 1.x) file in Windows-1252, with Unicode escapes for
// the characters the code page lacks.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "output/document.h"

namespace paginor {

// A picture as the RTF embeds it: the JPEG file as stored, else a PNG file.
struct TRtfPicture {
  bool Jpeg = false;
  std::string Bytes;
  int PixelWidth = 0;
  int PixelHeight = 0;
  int WidthTwips = 0;  // its size on the page
  int HeightTwips = 0;
};
// The picture of an image link's number; nothing when it cannot be had, and the link then
// stays as text.
using TRtfPictures = std::function<std::optional<TRtfPicture>(int number)>;

// Font table from the face names in use (DefaultFont first, as \f0), colour table from the
// explicit colours in use (the automatic colour is \cf0), sizes in half-points, bold, italic,
// underline and strike-out, one \par per document line (Lines.Count of them) with its
// alignment, and bulleted lines as a hanging "\bullet\tab". Only integers are written, so the
// output does not depend on the locale. Characters outside Windows-1252 are written as \uN?
// (a signed 16-bit N; two of them for a character beyond the Basic Multilingual Plane). With
// pictures, where the document shows pictures in rich text, an image link becomes the picture
// it names.
std::string DocumentToRTF(const TRichDocument& doc, const TRtfPictures& pictures = {});

}  // namespace paginor
