#include "app/picture_logic.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace paginor {

int TruncInt(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kMin = std::numeric_limits<int>::min();
  constexpr double kMax = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(std::trunc(value), kMin, kMax));
}

int RoundInt(double value) {
  return TruncInt(std::nearbyint(value));
}

// ---- Page preview

int PreviewPixels(double points, int zoom, int dpi) {
  return TruncInt(zoom * (dpi * points / 72) / 100);
}

int PreviewCharX(double offset, double x, int zoom, int dpi) {
  return TruncInt(zoom * ((offset + x) * dpi / 72) / 100);
}

int PreviewFontPixels(double size, int zoom, int dpi) {
  return std::max(1, PreviewPixels(size, zoom, dpi));
}

TPixelSize PreviewPageSize(const TDynaArray<TPageSize>& sizes, int page, int zoom, int dpi,
                           const TPrinterPage& printer) {
  if (page >= 1 && page <= sizes.Count()) {
    const TPageSize& size = sizes[page - 1];
    return {PreviewPixels(size.Width, zoom, dpi), PreviewPixels(size.Height, zoom, dpi)};
  }
  const double printer_dpi = printer.Dpi > 0 ? printer.Dpi : dpi;
  return {TruncInt(zoom * (dpi * printer.Width / printer_dpi) / 100),
          TruncInt(zoom * (dpi * printer.Height / printer_dpi) / 100)};
}

std::vector<TPreviewText> PreviewTexts(const TDynaArray<TTextItem>& items, int page, int zoom,
                                       int dpi, int page_height) {
  std::vector<TPreviewText> texts;
  for (const TTextItem& item : items) {
    if (item.Page != page) continue;
    const int pixels = PreviewFontPixels(item.Size, zoom, dpi);
    const int y = page_height - PreviewPixels(item.Y, zoom, dpi);
    if (item.CharWidths.empty()) {
      texts.push_back({PreviewPixels(item.X, zoom, dpi), y, pixels, item.Text});
      continue;
    }
    double offset = 0;
    for (std::size_t i = 0; i < item.Text.size(); ++i) {
      texts.push_back({PreviewCharX(offset, item.X, zoom, dpi), y, pixels, item.Text.substr(i, 1)});
      if (i < item.CharWidths.size()) offset += item.CharWidths[i];
      if (i < item.Spacing.size()) offset += item.Spacing[i];
    }
  }
  return texts;
}

// ---- Gallery

int GalleryColumns(int width) {
  return std::max(1, width / kCellWidth);
}

TPoint CellOrigin(int index, int columns) {
  return {index % columns * kCellWidth, index / columns * kCellHeight};
}

int GalleryHeight(int count, int columns) {
  return (count / columns + 1) * kCellHeight;
}

bool CellVisible(int cell_y, int scroll, int client_height) {
  return cell_y + kCellHeight >= scroll && cell_y <= scroll + client_height;
}

TBox ThumbnailPlace(TPoint cell, int picture_width, int picture_height) {
  int w = 0;
  int h = 0;
  if (picture_width > 0 && picture_height > 0) {
    w = kThumbnailBox;
    h = static_cast<int>(int64_t{picture_height} * kThumbnailBox / picture_width);
    if (h > kThumbnailBox) {
      h = kThumbnailBox;
      w = static_cast<int>(int64_t{picture_width} * kThumbnailBox / picture_height);
    }
  }
  return {cell.X + 5 + (kThumbnailBox - w) / 2, cell.Y + 5 + (kThumbnailBox - h) / 2, w, h};
}

std::array<TRect, 4> ThumbnailBackground(TPoint cell, const TBox& t) {
  const int x = cell.X;
  const int y = cell.Y;
  return {TRect{x + 3, y + 3, t.X, y + 107}, TRect{x + 3, y + 3, x + 87, t.Y},
          TRect{x + 3, t.Y + t.Height, x + 87, y + 107},
          TRect{t.X + t.Width, y + 3, x + 87, y + 107}};
}

int GalleryHit(int x, int y, int count, int columns) {
  for (int i = 0; i < count; ++i) {
    const TPoint cell = CellOrigin(i, columns);
    if (cell.X + 2 <= x && x <= cell.X + 88 && cell.Y + 2 <= y && y <= cell.Y + 108) return i;
  }
  return -1;
}

int ScrollToShow(int cell_y, int scroll, int client_height) {
  const int top = cell_y + 2;
  const int bottom = cell_y + 108;
  if (top < scroll) return top;
  if (scroll + client_height < bottom) return bottom - client_height;
  return scroll;
}

// ---- Image viewer

TPixelSize ViewerPictureSize(int width, int height, double zoom) {
  return {TruncInt(width * zoom / 100), TruncInt(height * zoom / 100)};
}

int PanPosition(int position, int grab, int pointer, int maximum) {
  const int64_t wanted = int64_t{position} + grab - pointer;
  return static_cast<int>(std::clamp<int64_t>(wanted, 0, std::max(maximum, 0)));
}

std::string SaveExtension(int filter_index) {
  static const char* const kExtensions[] = {".bmp", ".dib", ".gif", ".iff", ".jif", ".jpg",
                                            ".lbm", ".pcx", ".rle", ".tga", ".tif", ".png"};
  if (filter_index < 1 || filter_index > 12) return {};
  return kExtensions[filter_index - 1];
}

std::string NameWithDefaultExtension(const std::string& typed, int filter_index) {
  const std::size_t slash = typed.find_last_of('/');
  const std::size_t dot = typed.find_last_of('.');
  const bool has_extension = dot != std::string::npos &&
                             (slash == std::string::npos || dot > slash) && dot + 1 < typed.size();
  return has_extension ? typed : typed + SaveExtension(filter_index);
}

std::vector<std::string> FilterEntries(const std::string& filter) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= filter.size()) {
    const std::size_t bar = filter.find('|', start);
    parts.push_back(
        filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  std::vector<std::string> entries;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    const std::string& description = parts[i];
    const std::string& pattern = parts[i + 1];
    entries.push_back(description.find('(') != std::string::npos
                          ? description
                          : description + " (" + pattern + ")");
  }
  return entries;
}

// ---- Image printing

TBox PrintPlacement(int page_width, int page_height, int picture_width, int picture_height,
                    const TPrintChoice& choice) {
  int w = page_width;
  int h = page_height;
  if (choice.FullPage) {
    if (choice.KeepRatio && picture_width > 0 && picture_height > 0) {
      if (int64_t{picture_height} * page_width / picture_width > page_height) {
        w = static_cast<int>(int64_t{picture_width} * page_height / picture_height);
      } else {
        h = static_cast<int>(int64_t{picture_height} * page_width / picture_width);
      }
    }
  } else {
    // The percentages themselves carry the proportions.
    w = RoundInt(page_width * static_cast<double>(choice.Breit) / 100);
    h = RoundInt(page_height * static_cast<double>(choice.Hoch) / 100);
  }
  if (!choice.Centred) return {0, 0, w, h};
  return {(page_width - w) / 2, (page_height - h) / 2, w, h};
}

TBox PrintPreviewPage(int box_width, int box_height, int printer_width, int printer_height) {
  int w = box_width;
  int h = box_height;
  if (printer_width > 0 && printer_height > 0) {
    if (printer_height < printer_width) {
      h = static_cast<int>(int64_t{box_width} * printer_height / printer_width);
    } else {
      w = static_cast<int>(int64_t{box_height} * printer_width / printer_height);
    }
  }
  return {(box_width - w) / 2, (box_height - h) / 2, w, h};
}

int HochFromBreit(int picture_width, int picture_height, int breit, int printer_width,
                  int printer_height) {
  return TruncInt(static_cast<double>(picture_height) * breit / picture_width * printer_width /
                  printer_height);
}

int BreitFromHoch(int picture_width, int picture_height, int hoch, int printer_width,
                  int printer_height) {
  return TruncInt(static_cast<double>(picture_width) * hoch / picture_height * printer_height /
                  printer_width);
}

int ClampPercent(int percent) {
  return std::clamp(percent, 1, 100);
}

}  // namespace paginor
