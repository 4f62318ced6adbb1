// The whole reading of one file through the driver: tokenizer, cross-reference, security
// handler, page tree, content streams and their filters.
#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/conversion.h"
#include "silent_host.h"
#include "support/fake_font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  paginor::TSilentHost host;
  paginor::TDocumentState state;
  state.MeasureFont = paginor::testing::MakeFakeFont();
  paginor::ConvertBuffer(state, host, std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
