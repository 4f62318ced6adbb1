// A device context that records every call of bitmap drawing and paints what it is given onto
// a canvas of colours, so that tests can check both the way a picture was drawn and the
// pixels that came out. Its failures and capabilities are set by the test.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "images/device_context.h"
#include "images/pixel_access.h"

namespace paginor::testing {

class RecordingDC final : public TDeviceContext {
 public:
  // A colour no drawing produces in the tests: the canvas before anything is drawn.
  static constexpr uint32_t kUntouched = 0xFF00FF;

  struct Call {
    std::string op;
    int32_t x = 0, y = 0, width = 0, height = 0;
    int32_t src_x = 0, src_y = 0, src_width = 0, src_height = 0;
    int bit_count = 0;  // of the bitmap drawn
    int32_t dib_width = 0, dib_height = 0;
    uint32_t rop = 0;
    TPalette palette = nullptr;
    std::vector<uint32_t> first_row;  // the colours of the drawn bitmap's first stored row
  };

  RecordingDC(int32_t width, int32_t height)
      : clip({0, 0, width, height}),
        width_(width),
        height_(height),
        canvas_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kUntouched) {}

  // What the device reports.
  TTechnology technology = TTechnology::RasDisplay;
  uint32_t raster_caps = RC_STRETCHBLT | RC_DIBTODEV | RC_STRETCHDIB;
  int screen_bits = 32;
  TRect clip;
  // Which operations fail.
  bool stretch_dibits_fails = false;
  bool set_dibits_to_device_fails = false;
  bool compatible_bitmap_fails = false;
  bool set_dibits_fails = false;
  bool stretch_blt_fails = false;

  std::vector<Call> calls;
  std::vector<std::string> messages;
  TPalette selected = nullptr;

  int Count(const std::string& op) const {
    int n = 0;
    for (const Call& c : calls)
      n += c.op == op ? 1 : 0;
    return n;
  }
  std::vector<std::string> Ops() const {
    std::vector<std::string> ops;
    for (const Call& c : calls)
      ops.push_back(c.op);
    return ops;
  }
  // 0xRRGGBB at (x, y); kUntouched where nothing was drawn.
  uint32_t Pixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return kUntouched;
    return canvas_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
  }

  TTechnology Technology() override {
    calls.push_back({.op = "Technology"});
    return technology;
  }
  uint32_t RasterCaps() override {
    calls.push_back({.op = "RasterCaps"});
    return raster_caps;
  }
  int ScreenBitsPerPixel() override {
    calls.push_back({.op = "ScreenBitsPerPixel"});
    return screen_bits;
  }
  TRect ClipBox() override { return clip; }
  void SetStretchBltMode(int mode) override {
    calls.push_back({.op = "SetStretchBltMode", .x = mode});
  }
  TPalette SelectPalette(TPalette palette) override {
    calls.push_back({.op = "SelectPalette", .palette = palette});
    const TPalette previous = selected;
    selected = palette;
    return previous;
  }
  void RealizePalette() override { calls.push_back({.op = "RealizePalette"}); }

  int StretchDIBits(int32_t x, int32_t y, int32_t dest_width, int32_t dest_height, int32_t src_x,
                    int32_t src_y, int32_t src_width, int32_t src_height, const TDIB& dib,
                    uint32_t rop) override {
    calls.push_back(Record("StretchDIBits", x, y, dest_width, dest_height, src_x, src_y, src_width,
                           src_height, dib, rop));
    if (stretch_dibits_fails) return GDI_ERROR;
    // Nearest neighbour; stored row src_y is the source rectangle's bottom.
    for (int32_t j = 0; j < dest_height; ++j) {
      const int32_t stored =
          src_y + src_height - 1 - static_cast<int32_t>(int64_t{src_height} * j / dest_height);
      for (int32_t i = 0; i < dest_width; ++i) {
        const int32_t column = src_x + static_cast<int32_t>(int64_t{src_width} * i / dest_width);
        Put(x + i, y + j, Colour(dib, column, stored));
      }
    }
    return src_height;
  }

  int SetDIBitsToDevice(int32_t x, int32_t y, int32_t width, int32_t height, int32_t src_x,
                        int32_t src_y, int32_t start_scan, int32_t lines,
                        const TDIB& dib) override {
    calls.push_back(
        Record("SetDIBitsToDevice", x, y, width, height, src_x, src_y, start_scan, lines, dib, 0));
    if (set_dibits_to_device_fails) return 0;
    for (int32_t k = 0; k < height; ++k) {
      const int32_t stored = src_y + k;
      if (stored < start_scan || stored >= start_scan + lines) continue;
      for (int32_t i = 0; i < width; ++i) {
        Put(x + i, y + height - 1 - k, Colour(dib, src_x + i, stored));
      }
    }
    return lines;
  }

  std::unique_ptr<TCompatibleBitmap> CreateCompatibleBitmap(int32_t width,
                                                            int32_t height) override {
    calls.push_back({.op = "CreateCompatibleBitmap", .width = width, .height = height});
    if (compatible_bitmap_fails) return nullptr;
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = width;
    bitmap->height = height;
    bitmap->colours.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    return bitmap;
  }
  int SetDIBits(TCompatibleBitmap& target, int32_t start_scan, int32_t lines,
                const TDIB& dib) override {
    calls.push_back(Record("SetDIBits", 0, 0, 0, 0, 0, start_scan, 0, lines, dib, 0));
    if (set_dibits_fails) return 0;
    auto& bitmap = static_cast<Bitmap&>(target);
    for (int32_t stored = start_scan; stored < start_scan + lines; ++stored) {
      const int32_t top_row = bitmap.height - 1 - stored;
      for (int32_t x = 0; x < bitmap.width; ++x) {
        bitmap.colours[static_cast<std::size_t>(top_row) * static_cast<std::size_t>(bitmap.width) +
                       static_cast<std::size_t>(x)] = Colour(dib, x, stored);
      }
    }
    return lines;
  }
  bool StretchBlt(int32_t x, int32_t y, int32_t dest_width, int32_t dest_height,
                  TCompatibleBitmap& source, int32_t src_x, int32_t src_y, int32_t src_width,
                  int32_t src_height, uint32_t rop) override {
    Call call{.op = "StretchBlt",
              .x = x,
              .y = y,
              .width = dest_width,
              .height = dest_height,
              .src_x = src_x,
              .src_y = src_y,
              .src_width = src_width,
              .src_height = src_height,
              .rop = rop};
    calls.push_back(call);
    if (stretch_blt_fails) return false;
    const auto& bitmap = static_cast<const Bitmap&>(source);
    for (int32_t j = 0; j < dest_height; ++j) {
      const int32_t row = src_y + static_cast<int32_t>(int64_t{src_height} * j / dest_height);
      for (int32_t i = 0; i < dest_width; ++i) {
        const int32_t column = src_x + static_cast<int32_t>(int64_t{src_width} * i / dest_width);
        Put(x + i, y + j,
            bitmap.colours[static_cast<std::size_t>(row) * static_cast<std::size_t>(bitmap.width) +
                           static_cast<std::size_t>(column)]);
      }
    }
    return true;
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }

 private:
  struct Bitmap final : TCompatibleBitmap {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> colours;  // top row first
  };

  static uint32_t Colour(const TDIB& dib, int32_t x, int32_t stored_row) {
    if (x < 0 || x >= dib.Width() || stored_row < 0 || stored_row >= dib.Height()) return 0;
    const Rgb c = PixelRgb(dib, x, stored_row);
    return uint32_t{c.red} << 16 | uint32_t{c.green} << 8 | c.blue;
  }
  static Call Record(const char* op, int32_t x, int32_t y, int32_t width, int32_t height,
                     int32_t src_x, int32_t src_y, int32_t src_width, int32_t src_height,
                     const TDIB& dib, uint32_t rop) {
    Call call{.op = op,
              .x = x,
              .y = y,
              .width = width,
              .height = height,
              .src_x = src_x,
              .src_y = src_y,
              .src_width = src_width,
              .src_height = src_height,
              .bit_count = dib.BitCount(),
              .dib_width = dib.Width(),
              .dib_height = dib.Height(),
              .rop = rop};
    for (int32_t i = 0; i < dib.Width(); ++i)
      call.first_row.push_back(Colour(dib, i, 0));
    return call;
  }
  void Put(int32_t x, int32_t y, uint32_t colour) {
    if (x < clip.Left || x >= clip.Right || y < clip.Top || y >= clip.Bottom) return;
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    canvas_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
            static_cast<std::size_t>(x)] = colour;
  }

  int32_t width_;
  int32_t height_;
  std::vector<uint32_t> canvas_;
};

}  // namespace paginor::testing
