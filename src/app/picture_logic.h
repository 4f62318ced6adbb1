// The geometry of the windows that show pages and pictures, without a window: the page
// preview's coordinates, the gallery's cells, the viewer's zoom and panning, and the print
// window's sizes, positions and percentages.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "convert/document_state.h"
#include "images/device_context.h"
#include "pdf/dyna_array.h"
#include "text/text_item.h"

namespace paginor {

// Cuts toward zero; values beyond the integers end at their limits, NaN gives 0.
int TruncInt(double value);
// Rounds to nearest, halves to the even neighbour.
int RoundInt(double value);

struct TPixelSize {
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TPixelSize&, const TPixelSize&) = default;
};

// ---- Page preview

// Points to preview pixels: Trunc(zoom × (dpi × points / 72) / 100).
int PreviewPixels(double points, int zoom, int dpi);
// The x of a run's character whose advance from the run's start x is offset:
// Trunc(zoom × ((offset + x) × dpi / 72) / 100).
int PreviewCharX(double offset, double x, int zoom, int dpi);
// The character height of a run of the size: the pixels of the size, at least 1.
int PreviewFontPixels(double size, int zoom, int dpi);

// A printer's page in its own pixels.
struct TPrinterPage {
  int Width = 0;
  int Height = 0;
  int Dpi = 0;  // horizontal, used for both directions
};
// The preview's size for page (counted from 1): that page's size, or the printer's page when
// there is no such page.
TPixelSize PreviewPageSize(const TDynaArray<TPageSize>& sizes, int page, int zoom, int dpi,
                           const TPrinterPage& printer);

// One string of the preview: its cell's upper left corner, its character height, its text
// (Windows-1252).
struct TPreviewText {
  int X = 0;
  int Y = 0;
  int PixelHeight = 0;
  std::u32string Text;
  friend bool operator==(const TPreviewText&, const TPreviewText&) = default;
};
// What the preview of a page page_height pixels high draws, in order: image runs whole, the
// other runs character by character at the advances the interpreter computed.
std::vector<TPreviewText> PreviewTexts(const TDynaArray<TTextItem>& items, int page, int zoom,
                                       int dpi, int page_height);

// ---- Gallery

constexpr int kCellWidth = 90;
constexpr int kCellHeight = 110;
constexpr int kThumbnailBox = 80;

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};
struct TBox {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TBox&, const TBox&) = default;
};

// Cells per row in a paint box of the width: width div 90, at least 1.
int GalleryColumns(int width);
// The origin of image index's cell (from 0).
TPoint CellOrigin(int index, int columns);
// The paint box's height: (count div columns + 1) rows.
int GalleryHeight(int count, int columns);
// Whether a cell at cell_y shows in the visible area beginning at scroll.
bool CellVisible(int cell_y, int scroll, int client_height);
// The thumbnail of a picture in its cell: 80 wide, or 80 high when that would be taller.
TBox ThumbnailPlace(TPoint cell, int picture_width, int picture_height);
// The four rectangles around the thumbnail that take the background colour: left, top,
// bottom, right (right and bottom edges outside).
std::array<TRect, 4> ThumbnailBackground(TPoint cell, const TBox& thumbnail);
// The image (from 0) whose frame holds the point, or -1.
int GalleryHit(int x, int y, int count, int columns);
// The scroll position that shows the frame of the cell at cell_y.
int ScrollToShow(int cell_y, int scroll, int client_height);

// ---- Image viewer

// The picture's size at zoom percent: Trunc(size × zoom / 100).
TPixelSize ViewerPictureSize(int width, int height, double zoom);
// The scroll position that keeps the grabbed point under the pointer, within 0..maximum.
int PanPosition(int position, int grab, int pointer, int maximum);
// The default extension of a save type (1-based, in the order of GetDIBSaveFilter), with its
// dot; empty for an index outside the twelve.
std::string SaveExtension(int filter_index);
// The name to save under: as typed when it has an extension, else with the type's default.
std::string NameWithDefaultExtension(const std::string& typed, int filter_index);
// The file types of a "description|pattern|..." filter, one per entry, as Qt's dialogs list
// them: the description, with the pattern appended in parentheses when it has none.
std::vector<std::string> FilterEntries(const std::string& filter);

// ---- Image printing

struct TPrintChoice {
  bool FullPage = true;   // "Seite voll nutzen", else "Benutzerdefiniert"
  bool KeepRatio = true;  // "Seitenverhältnis beibehalten"
  bool Centred = true;    // "Zentrierte Ausgabe"
  int Breit = 50;         // "Breite in %:"
  int Hoch = 50;          // "Höhe in %:"
};
// The picture's place on a page, from the page's corner.
TBox PrintPlacement(int page_width, int page_height, int picture_width, int picture_height,
                    const TPrintChoice& choice);
// The page's shape in the preview box, centred in it.
TBox PrintPreviewPage(int box_width, int box_height, int printer_width, int printer_height);
// The height percentage that keeps the picture's proportions on the printer's page for a
// width percentage, and the reverse; cut toward zero, not yet limited to 1..100.
int HochFromBreit(int picture_width, int picture_height, int breit, int printer_width,
                  int printer_height);
int BreitFromHoch(int picture_width, int picture_height, int hoch, int printer_width,
                  int printer_height);
// A percentage of the spin edits: into 1..100.
int ClampPercent(int percent);

}  // namespace paginor
