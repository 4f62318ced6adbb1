// The device context that bitmap drawing talks to: a paint box on the screen or a printer's
// page. It offers the few operations of the platform's graphics device interface that drawing
// a TDIB needs; the platform implements it (over QPainter), tests record it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "images/pixolet.h"

namespace paginor {

// A rectangle in device units; Right and Bottom lie just outside it.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  friend bool operator==(const TRect&, const TRect&) = default;
};

// A logical palette: the colours a palette device realises. Null stands for no palette.
using TPalette = const std::vector<TRGBQuad>*;

// What GetDeviceCaps reports for TECHNOLOGY.
enum class TTechnology { RasDisplay = 1, RasPrinter = 2 };

// Bits of GetDeviceCaps(RASTERCAPS) that drawing looks at.
constexpr uint32_t RC_STRETCHBLT = 0x0800;
constexpr uint32_t RC_DIBTODEV = 0x0200;
constexpr uint32_t RC_STRETCHDIB = 0x2000;

// Raster operations.
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t SRCPAINT = 0x00EE0086;
constexpr uint32_t SRCAND = 0x008800C6;
constexpr uint32_t SRCINVERT = 0x00660046;
constexpr uint32_t NOTSRCCOPY = 0x00330008;

// Stretch modes.
constexpr int COLORONCOLOR = 3;

// The failure result of StretchDIBits.
constexpr int GDI_ERROR = -1;

// A device-dependent bitmap compatible with a device context, for the last way of drawing.
class TCompatibleBitmap {
 public:
  virtual ~TCompatibleBitmap() = default;
};

class TDeviceContext {
 public:
  virtual ~TDeviceContext() = default;

  virtual TTechnology Technology() = 0;
  virtual uint32_t RasterCaps() = 0;
  // Bits per pixel of a bitmap compatible with the screen, asked anew at each call.
  virtual int ScreenBitsPerPixel() = 0;
  // The part of the device that drawing can reach; drawing outside it shows nothing.
  virtual TRect ClipBox() = 0;

  virtual void SetStretchBltMode(int mode) = 0;
  // Selects a palette as the foreground palette; returns the one selected before.
  virtual TPalette SelectPalette(TPalette palette) = 0;
  virtual void RealizePalette() = 0;

  // Draws the source rectangle of the bitmap scaled into the destination. src_y counts stored
  // rows from the first one (the picture's bottom). Colours come from the bitmap's own table.
  // Returns the number of scan lines drawn, or GDI_ERROR.
  virtual int StretchDIBits(int32_t x, int32_t y, int32_t dest_width, int32_t dest_height,
                            int32_t src_x, int32_t src_y, int32_t src_width, int32_t src_height,
                            const TDIB& dib, uint32_t rop) = 0;
  // Draws lines stored rows of the bitmap, beginning with stored row start_scan, unscaled:
  // the width × height rectangle whose lower left corner is (src_x, src_y) in the bitmap
  // goes to (x, y). Returns the number of scan lines drawn, 0 on failure.
  virtual int SetDIBitsToDevice(int32_t x, int32_t y, int32_t width, int32_t height, int32_t src_x,
                                int32_t src_y, int32_t start_scan, int32_t lines,
                                const TDIB& dib) = 0;

  // The last way of drawing: a bitmap in the device's own format (null when it cannot be
  // made), filled from stored rows of a TDIB, then stretched onto the device.
  virtual std::unique_ptr<TCompatibleBitmap> CreateCompatibleBitmap(int32_t width,
                                                                    int32_t height) = 0;
  // Returns the number of rows copied, 0 on failure.
  virtual int SetDIBits(TCompatibleBitmap& bitmap, int32_t start_scan, int32_t lines,
                        const TDIB& dib) = 0;
  // The source rectangle counts from the compatible bitmap's top row.
  virtual bool StretchBlt(int32_t x, int32_t y, int32_t dest_width, int32_t dest_height,
                          TCompatibleBitmap& source, int32_t src_x, int32_t src_y,
                          int32_t src_width, int32_t src_height, uint32_t rop) = 0;

  // A plain message box without owner, caption or icon, with one OK button.
  virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace paginor
