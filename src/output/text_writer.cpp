#include "output/text_writer.h"

#include "output/cp1252.h"

#include <string_view>

namespace paginor {

namespace {

// The length of the image link at text[at], or 0: <img src="bild" digits ".jpg" or ".gif"
// "\" border=0>", as the interpreter writes it.
std::size_t ImageLinkAt(std::string_view text, std::size_t at) {
  constexpr std::string_view kStart = "<img src=\"bild";
  constexpr std::string_view kEnd = "\" border=0>";
  if (text.substr(at, kStart.size()) != kStart) return 0;
  std::size_t p = at + kStart.size();
  const std::size_t digits = p;
  while (p < text.size() && text[p] >= '0' && text[p] <= '9')
    ++p;
  if (p - digits < 3) return 0;
  const std::string_view extension = text.substr(p, 4);
  if (extension != ".jpg" && extension != ".gif") return 0;
  p += 4;
  if (text.substr(p, kEnd.size()) != kEnd) return 0;
  return p + kEnd.size() - at;
}

std::string WithoutImageLinks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t link = text[i] == '<' ? ImageLinkAt(text, i) : 0;
    if (link > 0) {
      i += link;
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace

std::string DocumentToPlainText(const TRichDocument& doc) {
  std::string text = doc.ImageLinksInPlainText() ? doc.Text() : WithoutImageLinks(doc.Text());
  // A last line that is not empty is counted as a line, and gets its line end too.
  if (!text.empty() && text.back() != '\n') text += '\n';
  return Cp1252ToUtf8(text);
}

}  // namespace paginor
