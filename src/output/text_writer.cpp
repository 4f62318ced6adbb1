#include "output/text_writer.h"

#include "output/cp1252.h"

namespace paginor {

std::string DocumentToPlainText(const TRichDocument& doc) {
  std::string text = doc.Text();
  // A last line that is not empty is counted as a line, and gets its line end too.
  if (!text.empty() && text.back() != '\n') text += '\n';
  return Cp1252ToUtf8(text);
}

}  // namespace paginor
