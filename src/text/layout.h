// The text layout: a page's runs ordered into lines and written into the rich text document,
// with blanks, tabs and empty lines that imitate the page.
#pragma once

#include "output/document.h"
#include "pdf/caps.h"
#include "pdf/dyna_array.h"
#include "text/measure_font.h"
#include "text/text_item.h"

namespace paginor {

struct TLayoutOptions {
  bool HorzLayCheck = true;  // indent and separate runs
  bool VertLayCheck = true;  // empty lines for vertical distances
  bool StartWTCheck = true;  // indentation from the leftmost run rather than the page edge
  bool TabsCheck = false;    // indent with tab characters
  // The modern reader: runs share a line when their baselines are close, so that sub- and
  // superscripts and mixed sizes stay on their line; otherwise by the tops of their lines.
  bool BaselineLines = false;
};

// Orders a page's runs as the layout writes them: from the top down (the exchange procedure
// on the height), numbered by line, and within each line from the left (the exchange
// procedure again).
void OrderPageRuns(TDynaArray<TTextItem>& runs, bool baseline_lines = false);

// Writes the page's runs into the document and moves them, ordered and numbered by line, to
// the end of text_items; page_runs is left empty. The blanks and empty lines of one gap and the
// document's length stay within the caps (the default values without caps).
void LayoutPage(TDynaArray<TTextItem>& page_runs, double page_height, const TLayoutOptions& options,
                TMeasureFont& font, TRichDocument& document, TDynaArray<TTextItem>& text_items,
                TCaps* caps = nullptr);

}  // namespace paginor
