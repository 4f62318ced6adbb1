// Undoing the predictors of Flate and LZW data (/DecodeParms /Predictor).
#pragma once

#include <string>
#include <string_view>

namespace paginor {

struct TPredictorParams {
  int Predictor = 1;  // 1 none, 2 TIFF, 10 to 15 PNG
  int Colors = 1;
  int BitsPerComponent = 8;
  int Columns = 1;
};

// The data with the predictor undone. PNG rows carry their own filter type, so every
// predictor from 10 up is read the same way; an incomplete last row is dropped.
std::string UndoPredictor(std::string_view data, const TPredictorParams& params);
// The length of what UndoPredictor gives for data of the given length.
std::size_t PredictedSize(std::size_t size, const TPredictorParams& params);

}  // namespace paginor
