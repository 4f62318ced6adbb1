// RTFToHTML: the rich text document as a simple HTML page, one div per document line, in the
// document's code page (Windows-1252), without a declared character set.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "output/document.h"

namespace paginor {

// "1" to "7" for a size in points.
std::string_view HTMLFontSize(int points);
// 0x00BBGGRR -> 0xRRGGBB; the top byte is dropped.
uint32_t HTMLColor(uint32_t color);
// HTMLColor as exactly six upper-case hexadecimal digits.
std::string HTMLColorCode(uint32_t color);
// The HTML text of one character. From a "<" up to the next ">" characters pass unchanged;
// tag_flag carries that state from character to character and line to line.
std::string HTMLChar(char c, bool& tag_flag);
// A character of the document: HTMLChar of its Windows-1252 byte, or a numeric character
// reference ("&#322;") where the page's code page has none.
std::string HTMLCharacter(char32_t u, bool& tag_flag);

// The page as its lines (FHTMLLines): a header, one line per document line, a trailer; no line
// ends. Walks the document through a one-character selection and restores the selection.
// Before each document line pump_and_cancel lets the user interface run (false: stop, the
// page ends there), then set_progress gets the percentage done; both may be empty. The pump is
// the TPumpAndCancel of the other phases, spelled out: this layer stands on nothing of ours.
std::vector<std::string> RTFToHTML(TRichDocument& doc,
                                   const std::function<bool()>& pump_and_cancel = {},
                                   const std::function<void(int percent)>& set_progress = {});
// The bytes of the page file: every line followed by CR LF.
std::string HTMLFileContent(const std::vector<std::string>& lines);

}  // namespace paginor
