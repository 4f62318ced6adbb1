// JPEG from memory into a 24-bit bitmap through libjpeg-turbo: baseline and progressive,
// greyscale, RGB/YCbCr, CMYK/YCCK and Adobe's inverted CMYK.
#include <csetjmp>
#include <cstdio>
#include <optional>

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

// Decodes into dib, straight into its rows (bottom-up, blue green red); `line` holds one
// CMYK row. Nothing with a destructor lives in this frame, so the error jump skips no
// clean-up; dib and line belong to the caller.
bool DecodeInto(const unsigned char* data, unsigned long size, TDIB& dib,
                std::vector<uint8_t>& line, unsigned scale_denom) {
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
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  // Adobe writes CMYK inverted (0 = full ink) and says so in its APP14 marker.
  const bool inverted = cmyk && cinfo.saw_Adobe_marker;
  const int64_t bytes = int64_t{cinfo.image_width} * cinfo.image_height * 3;
  if (cinfo.image_width == 0 || cinfo.image_height == 0 || bytes > kMaxBitmapBytes) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  cinfo.scale_num = 1;
  cinfo.scale_denom = scale_denom;
  jpeg_start_decompress(&cinfo);
  const auto width = static_cast<int32_t>(cinfo.output_width);
  const auto height = static_cast<int32_t>(cinfo.output_height);
  newdib(dib, width, height, 24);
  if (!dib.HasBits()) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  if (cmyk) line.assign(static_cast<std::size_t>(width) * 4, 0);
  while (cinfo.output_scanline < cinfo.output_height) {
    uint8_t* out = dib.Row(height - 1 - static_cast<int32_t>(cinfo.output_scanline));
    JSAMPROW row = cmyk ? line.data() : out;
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) break;
    if (!cmyk) continue;
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* in = line.data() + static_cast<std::size_t>(x) * 4;
      // Amount of ink per channel; red = (1 - C)(1 - K) and so on.
      const int c = inverted ? 255 - in[0] : in[0];
      const int m = inverted ? 255 - in[1] : in[1];
      const int ye = inverted ? 255 - in[2] : in[2];
      const int k = inverted ? 255 - in[3] : in[3];
      out[3 * x] = static_cast<uint8_t>((255 - ye) * (255 - k) / 255);
      out[3 * x + 1] = static_cast<uint8_t>((255 - m) * (255 - k) / 255);
      out[3 * x + 2] = static_cast<uint8_t>((255 - c) * (255 - k) / 255);
    }
  }
  jpeg_abort_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

// Reads the header only; false when it cannot be read. Nothing with a destructor lives here.
bool ReadHeaderInto(const unsigned char* data, unsigned long size, TJpegFrame& frame) {
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
  // The output size and colour conversion as the decoding will ask for them: a colour space
  // libjpeg cannot convert is refused here already.
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_calc_output_dimensions(&cinfo);
  frame.Width = static_cast<int32_t>(cinfo.output_width);
  frame.Height = static_cast<int32_t>(cinfo.output_height);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

void Decode(TDIB& dib, std::string_view data, unsigned scale_denom) {
  deldib(dib);
  if (data.empty()) return;
  std::vector<uint8_t> line;
  if (!DecodeInto(reinterpret_cast<const unsigned char*>(data.data()),
                  static_cast<unsigned long>(data.size()), dib, line, scale_denom)) {
    deldib(dib);
  }
}

}  // namespace

void ReadJpeg(TDIB& dib, std::string_view data) {
  Decode(dib, data, 1);
}

std::optional<TJpegFrame> ReadJpegFrame(std::string_view data) {
  if (data.empty()) return std::nullopt;
  TJpegFrame frame;
  if (!ReadHeaderInto(reinterpret_cast<const unsigned char*>(data.data()),
                      static_cast<unsigned long>(data.size()), frame)) {
    return std::nullopt;
  }
  const int64_t bytes = int64_t{frame.Width} * frame.Height * 3;
  if (frame.Width <= 0 || frame.Height <= 0 || bytes > kMaxBitmapBytes) return std::nullopt;
  return frame;
}

void ReadJpegScaled(TDIB& dib, std::string_view data, int32_t min_width, int32_t min_height) {
  unsigned denom = 1;
  if (const auto frame = ReadJpegFrame(data)) {
    // libjpeg rounds scaled sizes up, so whole divisions keep at least the size asked for.
    while (denom < 8 && frame->Width / static_cast<int32_t>(denom * 2) >= min_width &&
           frame->Height / static_cast<int32_t>(denom * 2) >= min_height) {
      denom *= 2;
    }
  }
  Decode(dib, data, denom);
}

}  // namespace paginor
