// The picture decoders behind OpenDib, and the in-memory TIFF that carries CCITT data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "images/pixolet.h"

namespace paginor {

void ReadJpeg(TDIB& dib, std::string_view data);

struct TJpegFrame {
  int32_t Width = 0;
  int32_t Height = 0;
};
// The size ReadJpeg would give, from the headers alone: no pixel is decoded. Empty when the
// headers cannot be read or the picture is empty or larger than a bitmap may be.
std::optional<TJpegFrame> ReadJpegFrame(std::string_view data);
// Decodes at 1/2, 1/4 or 1/8 of the size (libjpeg skips the work) as long as the result still
// covers min_width × min_height; for thumbnails.
void ReadJpegScaled(TDIB& dib, std::string_view data, int32_t min_width, int32_t min_height);
// A single-image TIFF: bilevel pictures into 1 bit (white as white), others into 24 bits.
// fax_mode, when not negative, sets libtiff's fax decoding mode (FAXMODE_*) for CCITT data
// whose row alignment and end-of-line codes the TIFF tags cannot say.
void ReadTiff(TDIB& dib, std::string_view data, int fax_mode = -1);

// How CCITT fax data are coded, from an image's /DecodeParms.
struct TCcittParams {
  int K = 0;                      // < 0 Group 4; 0 Group 3 one-dimensional; > 0 Group 3 mixed
  bool BlackIs1 = false;          // 1 bits of the decoded data are black
  bool EncodedByteAlign = false;  // rows start on byte boundaries
  bool EndOfLine = false;         // rows carry end-of-line codes
};

struct TCcittTiff {
  std::string File;  // a little-endian one-strip TIFF around the data
  int FaxMode = -1;  // for ReadTiff
};

// The compression comes from K, the photometric interpretation from BlackIs1, so that
// libtiff decodes the data and the colours come out right.
TCcittTiff BuildCcittTiff(int32_t width, int32_t height, std::string_view data,
                          const TCcittParams& params);

// Decodes CCITT fax data of the given size into a 1-bit bitmap.
void ReadCcitt(TDIB& dib, int32_t width, int32_t height, std::string_view data,
               const TCcittParams& params);

}  // namespace paginor
