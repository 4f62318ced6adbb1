// The whole conversion of one file through the driver, with a recording host and the fake
// measuring font: tokenizer, cross-reference, security handler, page tree, content streams
// and their filters, fonts, images, interpreter and layout, then the three writers over the
// result. Whatever the file, the conversion ends cleanly and says so in UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/conversion.h"
#include "fuzz_check.h"
#include "image_checks.h"
#include "output/html_writer.h"
#include "output/rtf_writer.h"
#include "output/text_writer.h"
#include "support/fake_font.h"
#include "support/recording_host.h"

namespace {

// The options from the bits of the first byte where it differs from "%", so that a file that
// starts like a PDF file is converted with the window's defaults.
paginor::TConvertOptions OptionsFor(const uint8_t* data, size_t size) {
  const unsigned bits = size > 0 ? data[0] ^ '%' : 0u;
  paginor::TConvertOptions o;
  o.HorzLayCheck = (bits & 1) == 0;
  o.VertLayCheck = (bits & 2) == 0;
  o.StartWTCheck = (bits & 4) == 0;
  o.HTMLLinksCheck = (bits & 8) == 0;
  o.TabsCheck = (bits & 16) != 0;
  o.ReadPicsCheck = (bits & 32) == 0;
  o.ModernCheck = (bits & 64) == 0;
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  paginor::testing::RecordingHost host;
  host.options = OptionsFor(data, size);
  host.passwords = {std::string(), std::string("geheim")};
  paginor::TDocumentState state;
  state.MeasureFont = paginor::testing::MakeFakeFont();
  state.KeepTextItems = (size & 1) == 0;
  // Budgets of the whole file a short input can reach.
  state.Caps.DocumentContentBytes = int64_t{8} << 20;
  state.Caps.DocumentTextLength = int64_t{1} << 20;
  const paginor::TConversionResult result =
      paginor::ConvertBuffer(state, host, std::string(reinterpret_cast<const char*>(data), size));
  FUZZ_CHECK(result.Started && result.Opened);
  FUZZ_CHECK(!state.FBusy);
  FUZZ_CHECK(state.Memo1.UpdateCount() == 0);
  FUZZ_CHECK(!host.events.empty() && host.events.front() == "begin" && host.events.back() == "end");
  FUZZ_CHECK(host.page_count == result.PageCount);
  for (const std::string& line : host.status_lines)
    FUZZ_CHECK(paginor::fuzz::IsUtf8(line));
  for (const auto& message : host.messages)
    FUZZ_CHECK(paginor::fuzz::IsUtf8(message.text));
  for (const int percent : host.progress)
    FUZZ_CHECK(percent >= 0 && percent <= 100);
  FUZZ_CHECK(state.PageSizes.Count() <= result.PageCount);
  // A kept picture decodes, if at all, to the size and depth its record promised the links.
  for (const paginor::TImageRec& image : state.Images) {
    const paginor::TDIB dib = image.Bitmap.Decode();
    paginor::fuzz::CheckBitmap(dib);
    if (dib.HasBits()) {
      FUZZ_CHECK(dib.Width() == image.Bitmap.Width() && dib.Height() == image.Bitmap.Height() &&
                 dib.BitCount() == image.Bitmap.BitCount());
    }
  }

  FUZZ_CHECK(paginor::fuzz::IsUtf8(paginor::DocumentToPlainText(state.Memo1)));
  FUZZ_CHECK(paginor::DocumentToRTF(state.Memo1).starts_with("{\\rtf1"));
  const std::vector<std::string> html = paginor::RTFToHTML(state.Memo1);
  FUZZ_CHECK(html.size() == static_cast<std::size_t>(state.Memo1.LineCount()) + 2);
  return 0;
}
