// The content stream interpreter: the text operators of one page into positioned text runs,
// and image painting into image-link runs.
#pragma once

#include <functional>
#include <string>

#include "images/image_extraction.h"
#include "pdf/caps.h"
#include "pdf/dyna_array.h"
#include "text/fonts.h"
#include "text/measure_font.h"
#include "text/page_frame.h"
#include "text/text_item.h"

namespace paginor {

struct TInterpreterContext {
  int page_number = 1;                    // 1-based
  TDynaArray<TFontRec>* fonts = nullptr;  // its current record is the current font
  const TPageFonts* page_fonts = nullptr;
  const TDynaArray<TImageRec>* images = nullptr;
  const TPageImages* page_images = nullptr;
  bool html_links = true;  // "HTML Links zu den Bildern"
  TMeasureFont* font = nullptr;
  // The modern reader: a hexadecimal string's closing ">" glued to what follows ("<01>Tj", as
  // LibreOffice writes) no longer swallows the operator.
  bool modern = false;
  // The modern reader places text through the whole text matrix and CTM on the page as shown
  // (its box and /Rotate), leaves out text outside the box and repeats at the same place.
  TPageFrame frame;
  // Counts characters that Windows-1252 has no code for (the modern mapping's "?").
  int* unmapped_characters = nullptr;
  // Lets the user interface run; called from the token loop at most every ~20 ms.
  std::function<void()> process_events;
  // The operand list, the saved states and the page's runs stay within these caps; without
  // them, within the default values.
  TCaps* caps = nullptr;
};

// Appends the page's runs to page_runs, in the order the content shows them.
void InterpretPage(std::string content, const TInterpreterContext& context,
                   TDynaArray<TTextItem>& page_runs);

// The image link for image number k: <img src="bild007.jpg" border=0>.
std::string ImageLink(int number, int bit_count);

}  // namespace paginor
