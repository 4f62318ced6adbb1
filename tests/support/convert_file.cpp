#include "support/convert_file.h"

#include <utility>

#include "output/text_writer.h"
#include "support/fake_font.h"

namespace paginor::testing {

std::vector<std::string> Converted::MessageTexts() const {
  std::vector<std::string> texts;
  for (const RecordingHost::ShownMessage& m : messages)
    texts.push_back(m.text);
  return texts;
}

Converted Convert(std::string file, bool modern,
                  std::vector<std::optional<std::string>> passwords) {
  RecordingHost host;
  host.options.ModernCheck = modern;
  host.passwords.assign(passwords.begin(), passwords.end());
  TDocumentState state;
  state.MeasureFont = MakeFakeFont(96);
  Converted c;
  c.result = ConvertBuffer(state, host, std::move(file));
  state.Memo1.SetImageLinksInPlainText(true);  // the document as it is, links included
  c.text = DocumentToPlainText(state.Memo1);
  c.status = host.status_lines;
  c.messages = host.messages;
  c.prompts = host.password_prompts;
  return c;
}

}  // namespace paginor::testing
