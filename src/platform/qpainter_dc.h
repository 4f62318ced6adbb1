// The device context of bitmap drawing over a QPainter: a paint box on the screen or a
// printer's page. Palettes mean nothing to Qt's true-colour devices; colours always come from
// the bitmap itself.
#pragma once

#include <QPainter>
#include <functional>
#include <optional>
#include <string>

#include "images/device_context.h"

namespace paginor {

class TQPainterDC final : public TDeviceContext {
 public:
  enum class TTarget { Screen, Printer };
  // show_message: the plain message box of the last way of drawing. screen_bits: the screen's
  // depth as the device reports it; without it the primary screen is asked at each call.
  TQPainterDC(QPainter& painter, TTarget target,
              std::function<void(const std::string&)> show_message = {},
              std::optional<int> screen_bits = std::nullopt);

  TTechnology Technology() override;
  uint32_t RasterCaps() override;
  int ScreenBitsPerPixel() override;
  TRect ClipBox() override;
  void SetStretchBltMode(int mode) override { stretch_mode_ = mode; }
  TPalette SelectPalette(TPalette palette) override;
  void RealizePalette() override {}
  // On the screen the visible part of the destination is sampled by nearest neighbour with
  // the row routines' mapping; a printer gets the source rectangle itself, scaled by the
  // device, so that it prints at the picture's own resolution.
  int StretchDIBits(int32_t x, int32_t y, int32_t dest_width, int32_t dest_height, int32_t src_x,
                    int32_t src_y, int32_t src_width, int32_t src_height, const TDIB& dib,
                    uint32_t rop) override;
  int SetDIBitsToDevice(int32_t x, int32_t y, int32_t width, int32_t height, int32_t src_x,
                        int32_t src_y, int32_t start_scan, int32_t lines, const TDIB& dib) override;
  std::unique_ptr<TCompatibleBitmap> CreateCompatibleBitmap(int32_t width, int32_t height) override;
  int SetDIBits(TCompatibleBitmap& bitmap, int32_t start_scan, int32_t lines,
                const TDIB& dib) override;
  bool StretchBlt(int32_t x, int32_t y, int32_t dest_width, int32_t dest_height,
                  TCompatibleBitmap& source, int32_t src_x, int32_t src_y, int32_t src_width,
                  int32_t src_height, uint32_t rop) override;
  void ShowMessage(const std::string& text) override;

 private:
  // Draws an image at a place, unscaled or into a rectangle, with the raster operation.
  void Put(const QRect& target, const QImage& image, const QRect& source, uint32_t rop);

  QPainter& painter_;
  TTarget target_;
  std::function<void(const std::string&)> show_message_;
  std::optional<int> screen_bits_;
  int stretch_mode_ = COLORONCOLOR;
  TPalette palette_ = nullptr;
};

}  // namespace paginor
