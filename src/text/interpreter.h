// The content stream interpreter: the text operators of one page into positioned text runs,
// and image painting into image-link runs.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "images/image_extraction.h"
#include "pdf/caps.h"
#include "pdf/dyna_array.h"
#include "pdf/reading_rules.h"
#include "pdf/status.h"
#include "text/fonts.h"
#include "text/measure_font.h"
#include "text/page_frame.h"
#include "text/text_item.h"

namespace paginor {

// A form XObject as the interpreter shows it: its content inside an implicit q/Q, with its
// matrix applied to the CTM.
struct TFormXObject {
  std::string Content;  // decoded
  std::array<double, 6> Matrix{1, 0, 0, 1, 0, 0};
  int32_t Resources = -1;  // its resource dictionary, -1 for none: the caller's then apply
  int32_t Id = 0;          // its object, to stop cycles
  // Its /BBox in form space (x0 y0 x1 y1): nothing shows outside it.
  std::optional<std::array<double, 4>> BBox;
};

// What content names beyond the page's own fonts and pictures (the modern reader): form
// XObjects, and the fonts of the resource dictionaries of forms. Resource dictionaries are
// known by the number the lookup gives them; -1 stands for the page's own.
class TResourceLookup {
 public:
  virtual ~TResourceLookup() = default;
  // The form that name (with its "/") stands for in the resources; nothing for pictures and
  // names of nothing.
  virtual std::optional<TFormXObject> Form(int page_index, int32_t resources,
                                           const std::string& name) = 0;
  // The index in Fonts of the font name stands for in resources (not -1), reading it when it is
  // first named; -1 when there is none.
  virtual int Font(int32_t resources, const std::string& name) = 0;
  // The object of the picture that name stands for in resources (a form's); nothing for
  // forms and names of nothing.
  virtual std::optional<int32_t> Picture(int32_t resources, const std::string& name) = 0;
};

struct TInterpreterContext {
  int page_number = 1;                    // 1-based
  TDynaArray<TFontRec>* fonts = nullptr;  // its current record is the current font
  const TPageFonts* page_fonts = nullptr;
  // The pictures; each gets its size on the page where it is first shown.
  TDynaArray<TImageRec>* images = nullptr;
  const TPageImages* page_images = nullptr;
  bool html_links = true;  // "HTML Links zu den Bildern"
  TMeasureFont* font = nullptr;
  // The reading rules of the document. With PDF's white space the content is tokenised by PDF's
  // own rules (a hexadecimal string's closing ">" glued to what follows, "<01>Tj" as LibreOffice
  // writes, no longer swallows the operator); with the interpreter's extensions arrays hold
  // operands, text is placed through the whole matrix, forms and marked content are read.
  TReadingRules rules;
  // The modern reader places text through the whole text matrix and CTM on the page as shown
  // (its box and /Rotate), leaves out text outside the box and repeats at the same place.
  TPageFrame frame;
  // Forms and their fonts; without it a Do names pictures only.
  TResourceLookup* resources = nullptr;
  // Shown after the page's content, at page level: the appearances of its annotations.
  std::vector<TFormXObject> annotations;
  // Counts the characters that become "?": codes without a known character and, with the text
  // held to Windows-1252, characters the code page lacks.
  int* unmapped_characters = nullptr;
  // The modern reader's characters folded into Windows-1252 ("?" for the rest), as the text
  // of earlier versions was; the classic reader always has them so.
  bool windows1252_text = false;
  // Lets the user interface run; pumped from the token loop at most every ~20 ms. A stop it
  // answers is heeded by the page loop, before the next page: the page is read to its end.
  TPumpAndCancel pump_and_cancel;
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
