// The predictors: any parameters and rows are undone within the data's size, whole rows only.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "pdf/predictor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  paginor::fuzz::TFuzzInput input(data, size);
  paginor::TPredictorParams params;
  const int kind = input.Byte() % 4;
  params.Predictor = kind == 0 ? 1 : kind == 1 ? 2 : 10 + input.Byte() % 6;
  params.Colors = input.In(-1, 66);
  params.BitsPerComponent = input.In(-1, 17);
  params.Columns = input.In(-1, 4000);
  const std::string rows(input.Rest());
  const std::string out = paginor::UndoPredictor(rows, params);
  FUZZ_CHECK(out.size() <= rows.size());
  const bool valid = params.Colors >= 1 && params.Colors <= 64 && params.BitsPerComponent >= 1 &&
                     params.BitsPerComponent <= 16 && params.Columns >= 1;
  if (params.Predictor >= 2 && valid && !out.empty()) {
    const std::size_t row =
        (static_cast<std::size_t>(params.Columns) * params.Colors * params.BitsPerComponent + 7) /
        8;
    FUZZ_CHECK(out.size() % row == 0);
    if (params.Predictor >= 10) FUZZ_CHECK(out.size() / row == rows.size() / (row + 1));
  }
  if (params.Predictor < 2 || !valid) FUZZ_CHECK(out == rows);
  return 0;
}
