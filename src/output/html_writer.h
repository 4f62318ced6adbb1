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

// What a build asks of its caller once per document line. Empty members are skipped.
struct THTMLHooks {
  std::function<void()> process_events;
  std::function<bool()> break_requested;  // true: stop before the next line
  std::function<void(int)> set_progress;  // percent
};

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
std::vector<std::string> RTFToHTML(TRichDocument& doc, const THTMLHooks& hooks = {});
// The bytes of the page file: every line followed by CR LF.
std::string HTMLFileContent(const std::vector<std::string>& lines);

}  // namespace paginor
