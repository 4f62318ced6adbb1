// Tab 3: the gallery of the extracted images, the viewer it opens, and saving all images.
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>

#include "app/dialogs.h"
#include "app/main_unit.h"
#include "app/paint_box.h"
#include "app/saving.h"
#include "app/thumbnail_cache.h"
#include "app/view_pic_form.h"
#include "images/image_files.h"
#include "images/stretch_draw.h"
#include "pdf/literals.h"
#include "platform/file_saving.h"
#include "platform/qpainter_dc.h"

namespace paginor {

namespace {

const QColor kFrameLight(255, 255, 255);
const QColor kFrameShadow(128, 128, 128);
const QColor kSelected(0, 0, 255);
const QColor kBackground(192, 192, 192);

void Fill(QPainter& painter, const TRect& r, const QColor& colour) {
  if (r.Right > r.Left && r.Bottom > r.Top) {
    painter.fillRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top, colour);
  }
}

// The raised frame of a cell: light above and left, shadow right and below. Each line ends
// one pixel before the corner it runs to, where the next one begins.
void DrawFrame(QPainter& painter, TPoint cell) {
  const int x = cell.X;
  const int y = cell.Y;
  Fill(painter, {x + 2, y + 2, x + 88, y + 3}, kFrameLight);
  Fill(painter, {x + 88, y + 2, x + 89, y + 108}, kFrameShadow);
  Fill(painter, {x + 3, y + 108, x + 89, y + 109}, kFrameShadow);
  Fill(painter, {x + 2, y + 3, x + 3, y + 109}, kFrameLight);
}

}  // namespace

QImage DrawThumbnail(const TDIB& picture, QSize size, qreal device_pixel_ratio) {
  return DrawThumbnail(picture, size, device_pixel_ratio, PlainMessage);
}

QImage DrawThumbnail(const TDIB& picture, QSize size, qreal device_pixel_ratio,
                     const std::function<void(const std::string&)>& show_message) {
  if (!picture.HasBits()) return {};
  const QSize pixels = (QSizeF(size) * device_pixel_ratio).toSize();
  QImage thumbnail(pixels, QImage::Format_RGB32);
  if (thumbnail.isNull()) return {};
  thumbnail.fill(kBackground);
  {
    QPainter painter(&thumbnail);
    TQPainterDC dc(painter, TQPainterDC::TTarget::Screen, show_message);
    StretchDrawDIB(dc, 0, 0, pixels.width(), pixels.height(), picture, 0, 0, picture.Width(),
                   picture.Height(), true, SRCCOPY, true,
                   picture.HasPalette() ? &picture.Colors() : nullptr);
  }
  thumbnail.setDevicePixelRatio(device_pixel_ratio);
  return thumbnail;
}

void TMainForm::ThumbnailMade(int index, QSize size, qreal ratio, const QImage& image,
                              const std::string& message) {
  thumbnails_.Put(index, size, ratio, image);
  if (!message.empty()) PlainMessage(message);
  PaintBox2->update();
}

void TMainForm::FitPaintBox2() {
  const int width = ScrollBox2->viewport()->width();
  const int height = GalleryHeight(FDoc.Images.Count(), GalleryColumns(width));
  if (PaintBox2->width() != width || PaintBox2->height() != height) {
    PaintBox2->resize(width, height);
  }
}

void TMainForm::PaintBox2Paint(QPainter& painter) {
  if (FDoc.FBusy) return;  // the conversion rebuilds the image list meanwhile
  FitPaintBox2();
  const int count = FDoc.Images.Count();
  const int columns = GalleryColumns(PaintBox2->width());
  const int scroll = ScrollBox2->verticalScrollBar()->value();
  const int client_height = ScrollBox2->viewport()->height();
  // Drawn at the screen's own pixels, so that thumbnails are sharp on a screen of 2× as well.
  const qreal ratio = PaintBox2->devicePixelRatioF();
  for (int i = 0; i < count; ++i) {
    const TPoint cell = CellOrigin(i, columns);
    if (!CellVisible(cell.Y, scroll, client_height)) continue;
    const TPicture& picture = FDoc.Images[i].Bitmap;
    const TBox thumbnail = ThumbnailPlace(cell, picture.Width(), picture.Height());
    DrawFrame(painter, cell);
    const QColor& background = i + 1 == FSelectedImage ? kSelected : kBackground;
    for (const TRect& r : ThumbnailBackground(cell, thumbnail))
      Fill(painter, r, background);
    const QSize size(thumbnail.Width, thumbnail.Height);
    if (size.isEmpty()) continue;
    // Decoded only for the cells shown, a JPEG at a fraction of its size, away from the
    // window's thread; the cell stays empty until its thumbnail comes, and for good when the
    // picture's data turn out damaged.
    QImage drawn;
    if (std::optional<QImage> cached = thumbnails_.Find(i, size, ratio)) {
      drawn = std::move(*cached);
    } else {
      thumbnail_maker_.Ask(i, picture, size, ratio);
    }
    if (drawn.isNull()) {
      Fill(painter,
           {thumbnail.X, thumbnail.Y, thumbnail.X + size.width(), thumbnail.Y + size.height()},
           background);
    } else {
      painter.drawImage(QPoint(thumbnail.X, thumbnail.Y), drawn);
    }
  }
}

void TMainForm::PaintBox2MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y) {
  const int hit = GalleryHit(X, Y, FDoc.Images.Count(), GalleryColumns(PaintBox2->width()));
  if (hit < 0) return;
  FSelectedImage = hit + 1;
  ScrollImageInView();
  PaintBox2->repaint();
}

void TMainForm::ScrollImageInView() {
  if (FSelectedImage < 1 || FSelectedImage > FDoc.Images.Count()) return;
  const TPoint cell = CellOrigin(FSelectedImage - 1, GalleryColumns(PaintBox2->width()));
  QScrollBar* bar = ScrollBox2->verticalScrollBar();
  bar->setValue(ScrollToShow(cell.Y, bar->value(), ScrollBox2->viewport()->height()));
}

void TMainForm::PaintBox2DblClick() {
  // The mouse-down before it has selected the image under the pointer.
  if (FSelectedImage < 1 || FSelectedImage > FDoc.Images.Count()) return;
  // The viewer holds the one picture it shows, decoded now.
  ViewPicForm->Bitmap = FDoc.Images[FSelectedImage - 1].Bitmap.Decode();
  // The save dialog offers the PDF's name and the picture's number, in the save folder.
  const QString base = QFileInfo(SuggestedSavePath("x")).completeBaseName();
  ViewPicForm->SaveSuggestion = QFileInfo(SuggestedSavePath("x")).absolutePath() + "/" + base +
                                "-" + BaseEd->text() +
                                QString::fromStdString(PadNumber3(FSelectedImage));
  if (!ViewPicForm->Bitmap.HasBits()) {
    StatusBar1->showMessage("Das Bild lässt sich nicht anzeigen: seine Daten sind beschädigt.",
                            5000);
    return;
  }
  Dialogs().Exec(*ViewPicForm);
}

void TMainForm::DirectoryBtnClick() {
  const QString folder = Dialogs().ChooseFolder(this, DirectoryEdit1->text());
  if (!folder.isEmpty()) DirectoryEdit1->setText(QDir::toNativeSeparators(folder));
}

void TMainForm::SaveAllPicsBtnClick() {
  if (FDoc.FBusy) return;
  const int count = FDoc.Images.Count();
  if (count == 0) {
    Dialogs().Message(this, "Es gibt keine Bilder zum Speichern.", "Paginor",
                      QMessageBox::Information, QMessageBox::Ok);
    return;
  }
  const QString folder = QDir::fromNativeSeparators(DirectoryEdit1->text().trimmed());
  if (folder.isEmpty() || !QDir().mkpath(folder) || !QFileInfo(folder).isWritable()) {
    Dialogs().Message(
        this, "In das Verzeichnis „" + DirectoryEdit1->text() + "“ kann nicht geschrieben werden.",
        "Paginor", QMessageBox::Warning, QMessageBox::Ok);
    return;
  }
  // Every name first, so that one question covers all files that are there already.
  const int chosen = PicFormatBox->currentData().toInt();
  std::vector<std::pair<QString, TDibFormat>> files;
  QStringList existing;
  for (int i = 0; i < count; ++i) {
    const TDibFormat format =
        chosen != 0 ? static_cast<TDibFormat>(chosen) : DefaultFormatFor(FDoc.Images[i]);
    const QString name =
        QString::fromStdString(ImageFileName(BaseEd->text().toStdString(), i + 1, format));
    const QString path = QDir(folder).filePath(name);
    if (QFileInfo::exists(path)) existing << name;
    files.emplace_back(path, format);
  }
  if (!existing.isEmpty()) {
    const QString question =
        existing.size() == 1
            ? "Die Datei „" + existing.first() + "“ gibt es schon. Soll sie überschrieben werden?"
            : QString::number(existing.size()) + " der Dateien gibt es schon, z. B. „" +
                  existing.first() + "“. Sollen sie überschrieben werden?";
    if (Dialogs().Message(this, question, "Alle Bilder speichern", QMessageBox::Question,
                          QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
      return;
    }
  }
  for (int i = 0; i < count; ++i) {
    const auto& [path, format] = files[static_cast<std::size_t>(i)];
    if (!Reported(this, path, SaveImageFile(FDoc.Images[i], path.toStdString(), format))) return;
  }
  StatusBar1->showMessage(
      count == 1 ? QString("1 Bild gespeichert.") : QString::number(count) + " Bilder gespeichert.",
      5000);
}

}  // namespace paginor
