#include "output/text_writer.h"

#include "output/image_links.h"

#include <algorithm>
#include <string_view>

namespace paginor {

namespace {

std::string WithoutImageLinks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t open = std::min(text.find('<', i), text.size());
    out.append(text, i, open - i);
    if (open == text.size()) break;
    const std::size_t link = ImageLinkAt(text, open).Length;
    if (link > 0) {
      i = open + link;
    } else {
      out += '<';
      i = open + 1;
    }
  }
  return out;
}

}  // namespace

std::string DocumentToPlainText(const TRichDocument& doc) {
  std::string text = doc.ImageLinksInPlainText() ? doc.Text() : WithoutImageLinks(doc.Text());
  // A last line that is not empty is counted as a line, and gets its line end too.
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text;
}

}  // namespace paginor
