// The per-document state that a conversion replaces as a whole, and the two flags that
// coordinate the long operations with the user interface.
#pragma once

#include <memory>

#include "images/image_extraction.h"
#include "output/document.h"
#include "pdf/caps.h"
#include "pdf/dyna_array.h"
#include "text/measure_font.h"
#include "text/text_item.h"

namespace paginor {

struct TPageSize {
  double Width = 0;  // PDF points
  double Height = 0;
};

struct TDocumentState {
  TRichDocument Memo1;
  TPageSize* PageSize = nullptr;  // bound to PageSizes
  TDynaArray<TPageSize> PageSizes{&PageSize};
  TImageRec* Image = nullptr;                  // bound to Images
  TDynaArray<TImageRec> Images{&Image};        // the pictures that passed their checks, from 1
  TTextItem* TextItem = nullptr;               // bound to TextItems
  TDynaArray<TTextItem> TextItems{&TextItem};  // every page's runs, for the page preview
  // Without a page preview (the converter) the runs are not kept: they hold each character's
  // advances and would be the bulk of a long document's memory.
  bool KeepTextItems = true;
  // Without anything that shows or saves pictures after the conversion, only their sizes and
  // depths are kept (for numbering and links), not their data.
  bool KeepPictureData = true;
  // Given each picture as soon as it has passed its checks, so that it can be written and let
  // go of at once.
  TPictureSink PictureSink;
  // The chosen font at the sizes of the text, in which all text is measured. Set by the
  // program before the first conversion.
  std::unique_ptr<TMeasureFont> MeasureFont;

  // The caps that a hostile file cannot push a conversion past; tests lower them.
  TCapLimits Caps;

  bool FBusy = false;   // a conversion or another long operation is running
  bool FBreak = false;  // the user asked to stop the running operation
};

// Sets FBusy for its lifetime, so that no path out of a long operation leaves it set.
class TBusyGuard {
 public:
  explicit TBusyGuard(bool& busy) : busy_(busy) { busy_ = true; }
  ~TBusyGuard() { busy_ = false; }
  TBusyGuard(const TBusyGuard&) = delete;
  TBusyGuard& operator=(const TBusyGuard&) = delete;

 private:
  bool& busy_;
};

}  // namespace paginor
