// Reading pictures back through netpbm's converters (bmptopnm, giftopnm, ...), an
// implementation independent of the writers under test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace paginor::netpbm {

// A decoded picture, rows top first, three samples (red, green, blue) a pixel, each from 0 to
// maxval. Grey and bilevel input is spread to three equal samples.
struct PnmPicture {
  int width = 0;
  int height = 0;
  int maxval = 255;
  std::vector<uint16_t> samples;
  // Sample c (0 red, 1 green, 2 blue) of column x in row y counted from the top.
  uint16_t At(int x, int y, int c) const {
    return samples[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                    static_cast<std::size_t>(x)) *
                       3 +
                   static_cast<std::size_t>(c)];
  }
};

// Either a picture or why there is none.
struct PnmResult {
  std::optional<PnmPicture> picture;
  std::string error;
};

// Parses the first image of raw PBM (P4), PGM (P5) or PPM (P6) data.
PnmResult ParsePnm(std::string_view data);

// True when tool is an executable file in a directory of PATH.
bool ToolOnPath(const std::string& tool);

// Runs `tool options... file` and parses what it prints; the error names the tool and quotes
// its messages when it is missing, fails or prints no picture.
PnmResult ReadWithTool(const std::string& tool, const std::filesystem::path& file,
                       const std::vector<std::string>& options = {});

}  // namespace paginor::netpbm
