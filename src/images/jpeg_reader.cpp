// JPEG from memory into a 24-bit bitmap through libjpeg-turbo: baseline and progressive,
// greyscale, RGB/YCbCr, CMYK/YCCK and Adobe's inverted CMYK.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "images/readers.h"

namespace paginor {

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void OnMessage(j_common_ptr, int) {}  // corrupt-data warnings: keep what decodes

// Decodes into `pixels` (top row first, RGB) and sets width and height. Nothing with a
// destructor lives in this frame, so the error jump skips no clean-up.
bool DecodeRgb(const unsigned char* data, unsigned long size, std::vector<uint8_t>& pixels,
               std::vector<uint8_t>& line, int32_t& width, int32_t& height) {
  jpeg_decompress_struct cinfo;
  ErrorManager errors;
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = OnError;
  errors.pub.emit_message = OnMessage;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, size);
  jpeg_read_header(&cinfo, TRUE);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  // Adobe writes CMYK inverted (0 = full ink) and says so in its APP14 marker.
  const bool inverted = cmyk && cinfo.saw_Adobe_marker;
  const int64_t bytes = int64_t{cinfo.image_width} * cinfo.image_height * 3;
  if (cinfo.image_width == 0 || cinfo.image_height == 0 || bytes > kMaxBitmapBytes) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_start_decompress(&cinfo);
  width = static_cast<int32_t>(cinfo.output_width);
  height = static_cast<int32_t>(cinfo.output_height);
  const int components = cinfo.output_components;
  pixels.assign(static_cast<std::size_t>(width) * height * 3, 0);
  line.assign(static_cast<std::size_t>(width) * components, 0);
  while (cinfo.output_scanline < cinfo.output_height) {
    const auto y = cinfo.output_scanline;
    JSAMPROW row = line.data();
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) break;
    uint8_t* out = pixels.data() + static_cast<std::size_t>(y) * width * 3;
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* in = line.data() + static_cast<std::size_t>(x) * components;
      if (components == 4) {
        // Amount of ink per channel; red = (1 - C)(1 - K) and so on.
        const int c = inverted ? 255 - in[0] : in[0];
        const int m = inverted ? 255 - in[1] : in[1];
        const int ye = inverted ? 255 - in[2] : in[2];
        const int k = inverted ? 255 - in[3] : in[3];
        out[3 * x] = static_cast<uint8_t>((255 - c) * (255 - k) / 255);
        out[3 * x + 1] = static_cast<uint8_t>((255 - m) * (255 - k) / 255);
        out[3 * x + 2] = static_cast<uint8_t>((255 - ye) * (255 - k) / 255);
      } else if (components == 3) {
        out[3 * x] = in[0];
        out[3 * x + 1] = in[1];
        out[3 * x + 2] = in[2];
      } else {
        out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[0];
      }
    }
  }
  jpeg_abort_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

void ReadJpeg(TDIB& dib, std::string_view data) {
  deldib(dib);
  if (data.empty()) return;
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> line;
  int32_t width = 0;
  int32_t height = 0;
  if (!DecodeRgb(reinterpret_cast<const unsigned char*>(data.data()),
                 static_cast<unsigned long>(data.size()), pixels, line, width, height)) {
    return;
  }
  newdib(dib, width, height, 24);
  for (int32_t y = 0; y < height && dib.HasBits(); ++y) {
    uint8_t* row = dib.Row(height - 1 - y);
    const uint8_t* in = pixels.data() + static_cast<std::size_t>(y) * width * 3;
    for (int32_t x = 0; x < width; ++x) {
      row[3 * x] = in[3 * x + 2];  // blue, green, red
      row[3 * x + 1] = in[3 * x + 1];
      row[3 * x + 2] = in[3 * x];
    }
  }
}

}  // namespace paginor
