// JFIF through libjpeg at quality 90: palette pictures whose colours are all grey as one
// grey channel, every other picture as full-resolution colour.
#include <array>
#include <csetjmp>
#include <cstddef>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <exception>
#include <memory>

#include <jpeglib.h>

#include "images/pixel_access.h"
#include "images/writers.h"

namespace paginor {

namespace {

constexpr int kQuality = 90;
constexpr int32_t kMaxSide = JPEG_MAX_DIMENSION;

// libjpeg's default error handler ends the process; this one jumps back to Compress.
struct ErrorTrap {
  jpeg_error_mgr manager{};
  std::jmp_buf jump{};
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorTrap*>(cinfo->err)->jump, 1);
}

void OnMessage(j_common_ptr) {}  // warnings are not ours to print

// Compressed bytes are gathered in a fixed buffer and appended to out when it fills.
struct StringDestination {
  jpeg_destination_mgr manager{};
  std::string* out = nullptr;
  bool failed = false;
  std::array<JOCTET, 16384> buffer{};
};

StringDestination& DestinationOf(j_compress_ptr cinfo) {
  return *reinterpret_cast<StringDestination*>(cinfo->dest);
}

void Flush(StringDestination& dest, std::size_t count) {
  try {
    dest.out->append(reinterpret_cast<const char*>(dest.buffer.data()), count);
  } catch (const std::exception&) {
    dest.failed = true;  // nothing may unwind through libjpeg
  }
  dest.manager.next_output_byte = dest.buffer.data();
  dest.manager.free_in_buffer = dest.buffer.size();
}

void InitDestination(j_compress_ptr cinfo) {
  StringDestination& dest = DestinationOf(cinfo);
  dest.manager.next_output_byte = dest.buffer.data();
  dest.manager.free_in_buffer = dest.buffer.size();
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  Flush(DestinationOf(cinfo), DestinationOf(cinfo).buffer.size());
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  StringDestination& dest = DestinationOf(cinfo);
  Flush(dest, dest.buffer.size() - dest.manager.free_in_buffer);
}

// Everything libjpeg touches lives here, made before setjmp, so a jump back skips no
// destructor.
struct Compressor {
  jpeg_compress_struct cinfo{};
  ErrorTrap trap;
  StringDestination dest;
  std::vector<uint8_t> rgb;
  std::vector<uint8_t> line;
  int32_t y = 0;

  Compressor() {
    cinfo.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = OnError;
    trap.manager.output_message = OnMessage;
    dest.manager.init_destination = InitDestination;
    dest.manager.empty_output_buffer = EmptyOutputBuffer;
    dest.manager.term_destination = TermDestination;
  }
  // Safe on a zeroed record too, when creating it failed.
  ~Compressor() { jpeg_destroy_compress(&cinfo); }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;
};

// Fills c.line with picture row c.y counted from the top.
void FillLine(Compressor& c, const TDIB& dib, bool grey) {
  RgbRow(dib, dib.Height() - 1 - c.y, c.rgb);
  if (!grey) {
    c.line = c.rgb;
    return;
  }
  c.line.resize(c.rgb.size() / 3);
  for (std::size_t x = 0; x < c.line.size(); ++x)
    c.line[x] = c.rgb[3 * x];
}

// False when libjpeg reported an error. Only trivially destructible locals live here.
bool Compress(Compressor& c, const TDIB& dib, bool grey) {
  if (setjmp(c.trap.jump) != 0) return false;
  jpeg_create_compress(&c.cinfo);
  c.cinfo.dest = &c.dest.manager;
  c.cinfo.image_width = static_cast<JDIMENSION>(dib.Width());
  c.cinfo.image_height = static_cast<JDIMENSION>(dib.Height());
  c.cinfo.input_components = grey ? 1 : 3;
  c.cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c.cinfo);
  jpeg_set_quality(&c.cinfo, kQuality, TRUE);
  // Extracted pictures are often diagrams with sharp coloured edges, which halving the
  // colour resolution would smear.
  for (int i = 0; i < c.cinfo.num_components; ++i) {
    c.cinfo.comp_info[i].h_samp_factor = 1;
    c.cinfo.comp_info[i].v_samp_factor = 1;
  }
  c.cinfo.density_unit = 1;  // dots per inch
  c.cinfo.X_density = 72;
  c.cinfo.Y_density = 72;
  jpeg_start_compress(&c.cinfo, TRUE);
  for (c.y = 0; c.y < dib.Height(); ++c.y) {
    FillLine(c, dib, grey);
    JSAMPROW row = c.line.data();
    jpeg_write_scanlines(&c.cinfo, &row, 1);
  }
  jpeg_finish_compress(&c.cinfo);
  return true;
}

}  // namespace

std::string EncodeJpeg(const TDIB& dib) {
  if (!IsWritable(dib) || dib.Width() > kMaxSide || dib.Height() > kMaxSide) return {};
  const bool grey = dib.BitCount() <= 8 && IsGreyPalette(dib.Colors());
  std::string out;
  const auto compressor = std::make_unique<Compressor>();
  compressor->dest.out = &out;
  if (!Compress(*compressor, dib, grey) || compressor->dest.failed) return {};
  return out;
}

}  // namespace paginor
