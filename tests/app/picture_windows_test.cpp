// The windows that show pages and pictures, driven on the offscreen platform: the page
// preview, the gallery, the viewer and the print window, their dialogs answered by a script.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <algorithm>
#include <cstdlib>

#include "app/font_form.h"
#include "app/main_unit.h"
#include "app/paint_box.h"
#include "app/print_form.h"
#include "app/view_pic_form.h"
#include "fake_dialogs.h"
#include "full_disk.h"
#include "images/pixel_access.h"
#include "output/rtf_writer.h"
#include "platform/dib_image.h"
#include "support/draw_pictures.h"
#include "support/pdf_builder.h"

namespace paginor {
namespace {

using testing::FakeDialogs;
using testing::kBlue;
using testing::kRed;
using testing::kWhite;
using testing::PdfBuilder;
using testing::PictureOf;

// Waits, processing events, until the condition holds; fails the test when it never does.
// (Qt's own QTRY macros report to Qt Test, not to this test framework.)
#define EXPECT_SOON(condition) \
  EXPECT_TRUE(QTest::qWaitFor([&] { return (condition); })) << #condition
#define EXPECT_SOON_EQ(actual, expected)                           \
  do {                                                             \
    (void)QTest::qWaitFor([&] { return (actual) == (expected); }); \
    EXPECT_EQ(actual, expected);                                   \
  } while (false)

QString Data(const QString& name) {
  return QString(PAGINOR_TEST_DATA) + "/" + name;
}

// Counts the paint events a widget gets.
class PaintCounter final : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

int DarkPixels(const QImage& image, const QRect& area) {
  int dark = 0;
  const QRect r = area.intersected(image.rect());
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x)
      dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
  }
  return dark;
}

uint32_t At(const QImage& image, int x, int y) {
  return image.pixel(x, y) & 0xFFFFFF;
}

// A colour of a rendered print, which may have gone through lossy compression.
::testing::AssertionResult Near(const QImage& image, int x, int y, uint32_t expected) {
  const QRgb c = image.pixel(x, y);
  const int d = std::max({std::abs(qRed(c) - int(expected >> 16 & 255)),
                          std::abs(qGreen(c) - int(expected >> 8 & 255)),
                          std::abs(qBlue(c) - int(expected & 255))});
  if (d <= 24) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "at (" << x << ", " << y << "): " << std::hex
                                       << (c & 0xFFFFFF) << " instead of " << expected;
}

void Wheel(QWidget* widget, int delta) {
  const QPointF at(5, 5);
  QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(widget, &event);
}

// A double click as the window system delivers it: press, release, double click, release.
void DoubleClick(QWidget* widget, QPoint at) {
  QTest::mouseClick(widget, Qt::LeftButton, {}, at);
  QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
}

void Mouse(QWidget* widget, QEvent::Type type, QPoint at) {
  QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &event);
}

class PictureWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    auto fake = std::make_unique<FakeDialogs>();
    dialogs = fake.get();
    previous = SetDialogs(std::move(fake));
    form = std::make_unique<TMainForm>(dir.path());
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  void TearDown() override {
    form.reset();
    SetDialogs(std::move(previous));
  }
  QString Write(const std::string& bytes, const QString& name) {
    const QString path = dir.path() + "/" + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
  }
  // Page 1 with a run at (72, 700), page 2 with one at (300, 100).
  QString TwoPages() {
    PdfBuilder pdf;
    pdf.AddSimplePages(
        {"BT /F1 24 Tf 72 700 Td (Erste) Tj ET", "BT /F1 24 Tf 300 100 Td (Zweite) Tj ET"});
    return Write(pdf.Build(), "two.pdf");
  }
  // The preview's paint box as it paints now.
  QImage Preview() { return form->PaintBox1->grab().toImage(); }
  void ShowTab(int tab) {
    form->PageControl2->setCurrentIndex(tab);
    QCoreApplication::processEvents();
  }

  QTemporaryDir dir;
  FakeDialogs* dialogs = nullptr;
  std::unique_ptr<TDialogs> previous;
  std::unique_ptr<TMainForm> form;
};

// ---- Page preview

TEST_F(PictureWindows, PreviewTakesThePrintersPageThenTheDocumentsPagesAtTheZoom) {
  ShowTab(1);
  // No printer here: a whole A4 page at the printer's resolution, 793 × 1122 at 96 dpi.
  ASSERT_EQ(form->PaintBox1->logicalDpiX(), 96);
  EXPECT_SOON_EQ(form->PaintBox1->size(), QSize(793, 1122));
  form->openfilenow(TwoPages());
  ShowTab(1);
  EXPECT_EQ(form->PaintBox1->size(), QSize(816, 1056));  // 612 × 792 points
  form->ZoomEd->setValue(50);
  EXPECT_EQ(form->PaintBox1->size(), QSize(408, 528));
  form->PageEd->setValue(5);  // beyond the two pages: the printer's page
  EXPECT_EQ(form->PaintBox1->size(), QSize(396, 561));
  form->ZoomEd->setValue(10);
  EXPECT_EQ(form->PaintBox1->size(), QSize(79, 112));
  // An empty white page.
  const QImage empty = Preview();
  EXPECT_EQ(DarkPixels(empty, empty.rect()), 0);
  EXPECT_EQ(At(empty, 40, 60), kWhite);
}

TEST_F(PictureWindows, PreviewDrawsTheRunsOfThePageShownAtTheirPlaces) {
  form->openfilenow(TwoPages());
  ShowTab(1);
  const int dpi = form->PaintBox1->logicalDpiX();
  ASSERT_EQ(form->PaintBox1->height(), 1056);
  std::vector<TPreviewText> first = PreviewTexts(form->FDoc.TextItems, 1, 100, dpi, 1056);
  std::vector<TPreviewText> second = PreviewTexts(form->FDoc.TextItems, 2, 100, dpi, 1056);
  ASSERT_EQ(first.size(), 5u);  // "Erste", one character at a time
  ASSERT_EQ(second.size(), 6u);
  const QRect first_run(first[0].X, first[0].Y, first[4].X + 32 - first[0].X, 40);
  const QRect second_run(second[0].X, second[0].Y, second[5].X + 32 - second[0].X, 40);

  QImage page = Preview();
  EXPECT_GT(DarkPixels(page, first_run), 30);
  EXPECT_EQ(DarkPixels(page, second_run), 0);
  // Nothing but the run on the page.
  EXPECT_EQ(DarkPixels(page, page.rect()), DarkPixels(page, first_run));
  // Each character in its own place: the first one's cell holds ink.
  EXPECT_GT(DarkPixels(page, QRect(first[0].X, first[0].Y, first[1].X - first[0].X, 40)), 5);

  form->PageEd->setValue(2);
  page = Preview();
  EXPECT_EQ(DarkPixels(page, first_run), 0);
  EXPECT_GT(DarkPixels(page, second_run), 30);
}

TEST_F(PictureWindows, PreviewRepaintsOnPageZoomAndFontAndNotWhileBusy) {
  form->openfilenow(TwoPages());
  ShowTab(1);
  EXPECT_SOON_EQ(form->PaintBox1->size(), QSize(816, 1056));
  QCoreApplication::processEvents();
  PaintCounter counter(form->PaintBox1);
  form->PageEd->setValue(2);  // the same size: painted at once
  EXPECT_EQ(counter.paints, 1);
  dialogs->font = QFont("DejaVu Serif");
  form->ChooseFontBtnClick();
  EXPECT_EQ(counter.paints, 2);
  dialogs->font.reset();  // cancelled: the same font, painted all the same
  form->ChooseFontBtnClick();
  EXPECT_EQ(counter.paints, 3);
  form->ZoomEd->setValue(120);  // a new size: painted by the resize
  EXPECT_SOON(counter.paints >= 4);
  EXPECT_EQ(form->PaintBox1->size(), QSize(979, 1267));

  const int paints = counter.paints;
  form->FDoc.FBusy = true;
  form->ZoomEd->setValue(100);
  form->PageEd->setValue(1);
  EXPECT_EQ(form->PaintBox1->size(), QSize(979, 1267));  // not even resized
  const QImage busy = Preview();
  EXPECT_NE(At(busy, 400, 400), kWhite);  // the paint handler drew nothing
  EXPECT_GT(counter.paints, paints);      // though asked to paint
  form->ChooseFontBtnClick();
  EXPECT_EQ(dialogs->font_dialogs, 2);  // no font dialog while busy
  form->FDoc.FBusy = false;
  form->ZoomEdChange();
  EXPECT_EQ(form->PaintBox1->size(), QSize(816, 1056));
}

// The dialog opens on the font in use, and OK without a change gives that font back, by the
// name it had: Arial stays Arial, though the font configuration draws it as Liberation Sans.
TEST_F(PictureWindows, TheFontDialogOpensOnTheFontInUseAndOkKeepsIt) {
  form->ChooseFontBtnClick();  // cancelled
  EXPECT_EQ(dialogs->font_offered.family(), "Arial");
  EXPECT_EQ(dialogs->font_offered.pixelSize(), 15);
  QFont courier("Courier New");
  courier.setPixelSize(18);
  courier.setItalic(true);
  dialogs->font = courier;
  form->ChooseFontBtnClick();
  dialogs->font.reset();
  form->ChooseFontBtnClick();
  EXPECT_EQ(dialogs->font_offered, courier);
  EXPECT_EQ(form->Label4->text(), "Optimieren auf: Courier New");

  for (const QFont& in_use : {QFont("Arial"), courier}) {
    QFont font = in_use;
    if (font.pixelSize() <= 0) font.setPixelSize(15);
    TFontForm dialog(font, form.get());
    ASSERT_NE(dialog.FamilyList->currentItem(), nullptr);
    EXPECT_EQ(dialog.FamilyList->currentItem()->text(), font.family());
    EXPECT_EQ(dialog.Font(), font) << font.family().toStdString();
  }
  TFontForm dialog(courier, form.get());
  EXPECT_FALSE(dialog.FamilyList->findItems("Arial", Qt::MatchExactly).isEmpty());
  dialog.SizeEd->setValue(22);
  dialog.BoldCheck->setChecked(true);
  EXPECT_EQ(dialog.Font().pixelSize(), 22);
  EXPECT_TRUE(dialog.Font().bold() && dialog.Font().italic());
  EXPECT_EQ(dialog.Sample->font(), dialog.Font());

  // The Windows names are offered once, in order with the installed families.
  EXPECT_EQ(OfferedFamilies({"Zeta", "arial", "Beta"}),
            (QStringList{"arial", "Beta", "Courier New", "Times New Roman", "Zeta"}));
}

TEST_F(PictureWindows, TheChosenFontIsTheDocumentsLabelsAndTheNextConversions) {
  QFont chosen("DejaVu Serif");
  chosen.setPixelSize(20);
  dialogs->font = chosen;
  form->ChooseFontBtnClick();
  EXPECT_EQ(form->Label4->text(), "Optimieren auf: DejaVu Serif");
  EXPECT_EQ(form->FDoc.Memo1.DefaultFont().Name, "DejaVu Serif");
  EXPECT_EQ(form->FDoc.Memo1.DefaultFont().Size, 15);  // 20 pixels at 96 dpi
  ASSERT_NE(form->FDoc.MeasureFont, nullptr);
  EXPECT_EQ(form->FDoc.MeasureFont->PixelHeight(), 20);
  form->openfilenow(TwoPages());
  EXPECT_NE(DocumentToRTF(form->FDoc.Memo1).find("DejaVu Serif"), std::string::npos);
  EXPECT_EQ(DocumentToRTF(form->FDoc.Memo1).find("Arial"), std::string::npos);

  dialogs->font.reset();  // cancelled: the font stays, and is applied again
  form->ChooseFontBtnClick();
  EXPECT_EQ(form->Label4->text(), "Optimieren auf: DejaVu Serif");
  EXPECT_EQ(form->FDoc.Memo1.DefaultFont().Name, "DejaVu Serif");
}

TEST_F(PictureWindows, TheWheelScrollsPreviewAndGalleryBy20OnTheirTabsOnly) {
  form->openfilenow(TwoPages());
  QScrollBar* preview = form->ScrollBox1->verticalScrollBar();
  ShowTab(1);
  EXPECT_SOON(preview->maximum() > 40);
  Wheel(form->PaintBox1, -120);
  EXPECT_EQ(preview->value(), 20);
  Wheel(form->ZoomEd, -120);  // anywhere over the window
  EXPECT_EQ(preview->value(), 40);
  Wheel(form->PaintBox1, 120);
  EXPECT_EQ(preview->value(), 20);
  ShowTab(2);
  Wheel(form->Memo1, -120);
  EXPECT_EQ(preview->value(), 20);
  ShowTab(0);
  Wheel(form->PageControl2, 120);
  EXPECT_EQ(preview->value(), 20);

  // Enough thumbnails to scroll: a gallery of one column.
  form->openfilenow(Data("images/img2pdf-png.pdf"));
  form->ScrollBox2->setMaximumSize(150, 200);
  ShowTab(3);
  QScrollBar* gallery = form->ScrollBox2->verticalScrollBar();
  EXPECT_SOON(gallery->maximum() > 40);
  Wheel(form->PaintBox2, -120);
  EXPECT_EQ(gallery->value(), 20);
  Wheel(form->PaintBox2, 120);
  Wheel(form->PaintBox2, 120);
  EXPECT_EQ(gallery->value(), 0);  // within its range
  EXPECT_EQ(preview->value(), 20);
}

// ---- Gallery

// The gallery as painted once the thumbnails it asks for (made on a thread of their own) came.
QImage GalleryWithThumbnails(TMainForm& form) {
  (void)form.PaintBox2->grab();
  EXPECT_SOON(!form.ThumbnailsBeingMade());
  return form.PaintBox2->grab().toImage();
}

class GalleryTab : public PictureWindows {
 protected:
  void SetUp() override {
    PictureWindows::SetUp();
    form->openfilenow(Data("images/img2pdf-png.pdf"));
    ASSERT_EQ(form->FDoc.Images.Count(), 3);
    ShowTab(3);
    // The grid takes the scroll box's width when it paints.
    EXPECT_SOON_EQ(form->PaintBox2->width(), form->ScrollBox2->viewport()->width());
  }
  QImage Grid() { return GalleryWithThumbnails(*form); }
};

TEST_F(GalleryTab, ThumbnailsInFramedCellsAcrossTheWidth) {
  const int width = form->ScrollBox2->viewport()->width();
  ASSERT_GE(width, 270);  // three columns
  EXPECT_SOON_EQ(form->PaintBox2->size(), QSize(width, 110));
  const QImage grid = Grid();
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const TPoint cell = CellOrigin(i, GalleryColumns(width));
    EXPECT_EQ(At(grid, cell.X + 2, cell.Y + 2), kWhite);      // light frame, top left
    EXPECT_EQ(At(grid, cell.X + 2, cell.Y + 108), kWhite);    // its last pixel
    EXPECT_EQ(At(grid, cell.X + 88, cell.Y + 2), 0x808080u);  // shadow, right
    EXPECT_EQ(At(grid, cell.X + 50, cell.Y + 108), 0x808080u);
    EXPECT_EQ(At(grid, cell.X + 4, cell.Y + 4), 0xC0C0C0u);  // nothing selected
    // Every thumbnail pixel is its picture's pixel by nearest neighbour: 37 × 23 into 80 × 49.
    const TDIB& picture = form->FDoc.Images[i].Bitmap.Decode();
    const TBox thumb = ThumbnailPlace(cell, picture.Width(), picture.Height());
    ASSERT_EQ(thumb, (TBox{cell.X + 5, cell.Y + 20, 80, 49}));
    int wrong = 0;
    for (int y = 0; y < thumb.Height; ++y) {
      for (int x = 0; x < thumb.Width; ++x) {
        const paginor::Rgb c = PixelRgb(picture, x * 37 / 80, 22 - y * 23 / 49);
        const uint32_t expected = uint32_t{c.red} << 16 | uint32_t{c.green} << 8 | c.blue;
        wrong += At(grid, thumb.X + x, thumb.Y + y) != expected ? 1 : 0;
      }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(At(grid, thumb.X + 40, thumb.Y - 1), 0xC0C0C0u);
    EXPECT_EQ(At(grid, thumb.X + 40, thumb.Y + thumb.Height), 0xC0C0C0u);
  }
  // A document opened anew: its first paint only asks for the thumbnails, which are made away
  // from the window's thread, and leaves their places empty until they come.
  form->openfilenow(Data("images/img2pdf-png.pdf"));
  const QImage asked = form->PaintBox2->grab().toImage();
  EXPECT_TRUE(form->ThumbnailsBeingMade());
  const TBox first = ThumbnailPlace(CellOrigin(0, GalleryColumns(width)), 37, 23);
  EXPECT_EQ(At(asked, first.X + 40, first.Y + 24), 0xC0C0C0u);
  EXPECT_EQ(Grid(), grid);
  // Nothing drawn while a conversion runs.
  form->FDoc.FBusy = true;
  const QImage busy = Grid();
  EXPECT_NE(At(busy, 2, 2), kWhite);
  form->FDoc.FBusy = false;
}

TEST_F(GalleryTab, AClickSelectsScrollsIntoViewAndShowsTheSelection) {
  form->ScrollBox2->setMaximumSize(150, 200);  // one column, one cell and a bit visible
  QCoreApplication::processEvents();
  EXPECT_SOON_EQ(form->PaintBox2->height(), 440);  // 3 div 1 + 1 rows
  const int visible = form->ScrollBox2->viewport()->height();
  ASSERT_LT(visible, 220);
  QScrollBar* bar = form->ScrollBox2->verticalScrollBar();
  bar->setValue(0);
  // The third picture's frame, below the visible area.
  QTest::mouseClick(form->PaintBox2, Qt::RightButton, {}, QPoint(45, 220 + 100));
  EXPECT_EQ(form->FSelectedImage, 3);
  EXPECT_EQ(bar->value(), 220 + 108 - visible);  // its frame's bottom at the lower edge
  QImage grid = Grid();
  EXPECT_EQ(At(grid, 4, 220 + 4), 0x0000FFu);
  EXPECT_EQ(At(grid, 4, 4 + 110), 0xC0C0C0u);
  // Back to the first, above: its frame's top becomes the first visible row.
  QTest::mouseClick(form->PaintBox2, Qt::LeftButton, {}, QPoint(88, 108));
  EXPECT_EQ(form->FSelectedImage, 1);
  EXPECT_EQ(bar->value(), 2);
  // A gap changes nothing.
  QTest::mouseClick(form->PaintBox2, Qt::LeftButton, {}, QPoint(89, 50));
  QTest::mouseClick(form->PaintBox2, Qt::LeftButton, {}, QPoint(45, 109));
  EXPECT_EQ(form->FSelectedImage, 1);
  grid = Grid();
  EXPECT_EQ(At(grid, 4, 4), 0x0000FFu);
  EXPECT_NE(At(grid, 4, 220 + 4), 0x0000FFu);
}

TEST_F(GalleryTab, ADoubleClickOpensTheViewerWithThatPicture) {
  std::vector<uint8_t> shown;
  dialogs->on_exec = [&shown](QDialog& dialog) {
    auto& viewer = static_cast<TViewPicForm&>(dialog);
    shown = viewer.Bitmap.Bitmap()->Bits;
    viewer.SaveAsBtnClick();  // cancelled
    return int(QDialog::Accepted);
  };
  DoubleClick(form->PaintBox2, QPoint(90 + 45, 50));
  EXPECT_EQ(form->FSelectedImage, 2);
  EXPECT_EQ(dialogs->executed, std::vector<QString>{"Bild betrachten..."});
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown, form->FDoc.Images[1].Bitmap.Decode().Bitmap()->Bits);
  // Its save dialog offers the PDF's name and the picture's number, in the save folder.
  const QString folder = QFileInfo(form->SuggestedSavePath("txt")).absolutePath();
  EXPECT_EQ(dialogs->typed_save_suggestions,
            std::vector<QString>{folder + "/img2pdf-png-Bild002.bmp"});
  // A selection left from a larger document opens nothing.
  form->FSelectedImage = 7;
  form->PaintBox2DblClick();
  EXPECT_EQ(dialogs->executed.size(), 1u);
}

TEST_F(GalleryTab, SaveAllWritesNumberedFilesAndAsksBeforeOverwriting) {
  const QString out = dir.path() + "/neu/bilder";  // made when missing
  form->DirectoryEdit1->setText(out);
  form->BaseEd->setText("Foto");
  QTest::mouseClick(form->SaveAllPicsBtn, Qt::LeftButton);
  EXPECT_TRUE(dialogs->messages.empty());
  const QStringList names = {"Foto001.jpg", "Foto002.gif", "Foto003.gif"};
  EXPECT_EQ(QDir(out).entryList(QDir::Files), names);
  for (int i = 0; i < 3; ++i) {
    const QImage written(out + "/" + names[i]);
    ASSERT_FALSE(written.isNull()) << names[i].toStdString();
    EXPECT_EQ(written.size(), QSize(37, 23));
  }

  // Again: one question for the files that are there; No writes nothing.
  QFile spoilt(out + "/Foto002.gif");
  ASSERT_TRUE(spoilt.open(QIODevice::WriteOnly | QIODevice::Truncate));
  spoilt.write("kaputt");
  spoilt.close();
  dialogs->answer = QMessageBox::No;
  form->SaveAllPicsBtnClick();
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text,
            "3 der Dateien gibt es schon, z. B. „Foto001.jpg“. Sollen sie überschrieben werden?");
  EXPECT_EQ(dialogs->messages[0].icon, QMessageBox::Question);
  EXPECT_TRUE(QImage(out + "/Foto002.gif").isNull());
  dialogs->answer = QMessageBox::Yes;
  form->SaveAllPicsBtnClick();
  EXPECT_FALSE(QImage(out + "/Foto002.gif").isNull());

  // A chosen type for all of them.
  form->PicFormatBox->setCurrentIndex(form->PicFormatBox->findText("BMP"));
  form->BaseEd->setText("B");
  dialogs->messages.clear();
  form->SaveAllPicsBtnClick();
  EXPECT_TRUE(dialogs->messages.empty());
  for (const char* name : {"B001.bmp", "B002.bmp", "B003.bmp"}) {
    QFile file(out + "/" + name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    EXPECT_TRUE(file.read(2) == "BM");
  }
  // PNG, the twelfth type: lossless, so each file holds the picture's own pixels.
  form->PicFormatBox->setCurrentIndex(form->PicFormatBox->findText("PNG"));
  form->BaseEd->setText("P");
  form->SaveAllPicsBtnClick();
  EXPECT_TRUE(dialogs->messages.empty());
  for (int i = 0; i < 3; ++i) {
    const QString name = QString("P00%1.png").arg(i + 1);
    const QImage png(out + "/" + name);
    ASSERT_FALSE(png.isNull()) << name.toStdString();
    EXPECT_EQ(
        png.convertToFormat(QImage::Format_RGB32),
        DibToImage(form->FDoc.Images[i].Bitmap.Decode()).convertToFormat(QImage::Format_RGB32))
        << name.toStdString();
  }
}

// A JPEG whose headers read but whose quantisation tables are cut out: it passes the check at
// conversion and fails only when its pixels are decoded.
std::string JpegWithoutTables(int width, int height) {
  TDIB dib;
  newdib(dib, width, height, 24);
  const std::string good = EncodeDib(dib, TDibFormat::Jpg);
  std::string cut = good.substr(0, 2);
  std::size_t at = 2;
  while (at + 4 <= good.size() && static_cast<uint8_t>(good[at + 1]) != 0xDA) {
    const std::size_t length =
        static_cast<uint8_t>(good[at + 2]) << 8 | static_cast<uint8_t>(good[at + 3]);
    if (static_cast<uint8_t>(good[at + 1]) != 0xDB) cut += good.substr(at, 2 + length);
    at += 2 + length;
  }
  return cut + good.substr(at);
}

TEST_F(PictureWindows, APictureFoundDamagedWhenDecodedLeavesAnEmptyCellOpensNoViewerAndIsReported) {
  PdfBuilder pdf;
  const int damaged = pdf.AddStream(
      "/Type /XObject /Subtype /Image /Width 40 /Height 40 /BitsPerComponent 8 "
      "/ColorSpace /DeviceRGB /Filter /DCTDecode",
      JpegWithoutTables(40, 40));
  const int grey = pdf.AddStream(
      "/Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 "
      "/ColorSpace /DeviceGray /Filter /FlateDecode",
      PdfBuilder::Deflate("\x40"));
  const int tree = pdf.Add("");
  const int page = pdf.Add("<< /Type /Page /Parent " + std::to_string(tree) +
                           " 0 R /Resources << /XObject << /D " + std::to_string(damaged) +
                           " 0 R /G " + std::to_string(grey) + " 0 R >> >> >>");
  pdf.Set(tree, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
  pdf.root = pdf.Add("<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
  form->openfilenow(Write(pdf.Build(), "damaged.pdf"));
  // Its headers are sound: it keeps its place and number.
  ASSERT_EQ(form->FDoc.Images.Count(), 2);
  ShowTab(3);
  EXPECT_SOON_EQ(form->PaintBox2->width(), form->ScrollBox2->viewport()->width());
  const QImage grid = GalleryWithThumbnails(*form);
  const int columns = GalleryColumns(form->PaintBox2->width());
  ASSERT_GE(columns, 2);
  const auto differing = [&grid](TBox box, uint32_t colour) {
    int count = 0;
    for (int y = box.Y; y < box.Y + box.Height; ++y) {
      for (int x = box.X; x < box.X + box.Width; ++x)
        count += At(grid, x, y) != colour ? 1 : 0;
    }
    return count;
  };
  EXPECT_EQ(differing(ThumbnailPlace(CellOrigin(0, columns), 40, 40), 0xC0C0C0u), 0);
  const TBox second = ThumbnailPlace(CellOrigin(1, columns), 1, 1);
  EXPECT_EQ(differing(second, 0x404040u), 0) << std::hex << At(grid, second.X + 40, second.Y + 40);

  DoubleClick(form->PaintBox2, QPoint(45, 50));
  EXPECT_EQ(form->FSelectedImage, 1);
  EXPECT_TRUE(dialogs->executed.empty());
  EXPECT_EQ(form->StatusBar1->currentMessage(),
            "Das Bild lässt sich nicht anzeigen: seine Daten sind beschädigt.");

  const QString out = dir.path() + "/bilder";
  form->DirectoryEdit1->setText(out);
  form->PicFormatBox->setCurrentIndex(form->PicFormatBox->findText("BMP"));
  form->SaveAllPicsBtnClick();
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text,
            "Die Datei „" + out +
                "/Bild001.bmp“ konnte nicht gespeichert werden.\n\n"
                "Die Bilddaten sind beschädigt und lassen sich nicht lesen.");
  EXPECT_FALSE(QFile::exists(out + "/Bild001.bmp"));
  // As JPEG it is copied as stored, as the converter does too.
  dialogs->messages.clear();
  form->PicFormatBox->setCurrentIndex(0);
  form->SaveAllPicsBtnClick();
  EXPECT_TRUE(dialogs->messages.empty());
  EXPECT_TRUE(QFile::exists(out + "/Bild001.jpg"));
}

TEST_F(GalleryTab, SaveAllOnAFullDiskKeepsTheOldFilesAndSaysWhy) {
  const QString out = dir.path() + "/voll";
  QDir().mkpath(out);
  for (const char* name : {"Bild001.jpg", "Bild002.gif"}) {
    QFile old(out + "/" + name);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("alt");
  }
  form->DirectoryEdit1->setText(out);
  dialogs->answer = QMessageBox::Yes;
  {
    const testing::FullDisk full;
    form->SaveAllPicsBtnClick();
  }
  ASSERT_EQ(dialogs->messages.size(), 2u);  // replace them?, then the failure
  EXPECT_EQ(dialogs->messages[1].text, "Die Datei „" + out +
                                           "/Bild001.jpg“ konnte nicht gespeichert werden.\n\n"
                                           "Die Datei ist zu groß für den Datenträger.");
  EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden),
            (QStringList{"Bild001.jpg", "Bild002.gif"}));
  for (const char* name : {"Bild001.jpg", "Bild002.gif"}) {
    QFile kept(out + "/" + name);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "alt") << name;
  }
}

TEST_F(GalleryTab, SaveAllReportsAFolderThatCannotBeWritten) {
  QFile plain(dir.path() + "/datei");
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  form->DirectoryEdit1->setText(dir.path() + "/datei/bilder");
  form->SaveAllPicsBtnClick();
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text,
            "In das Verzeichnis „" + dir.path() + "/datei/bilder“ kann nicht geschrieben werden.");
  EXPECT_EQ(dialogs->messages[0].icon, QMessageBox::Warning);
  EXPECT_FALSE(QFile::exists(dir.path() + "/datei/bilder/Bild001.jpg"));

  form->openfilenow(TwoPages());  // no images
  dialogs->messages.clear();
  form->SaveAllPicsBtnClick();
  EXPECT_EQ(dialogs->Texts(), std::vector<QString>{"Es gibt keine Bilder zum Speichern."});
}

// ---- Viewer

// On a screen of twice the pixels a thumbnail has twice the pixels: a picture of exactly that
// size keeps every one of its pixels.
TEST(GalleryThumbnails, DrawnAtTheDevicePixelRatio) {
  std::vector<uint32_t> stripes(160 * 200);
  for (std::size_t i = 0; i < stripes.size(); ++i)
    stripes[i] = (i % 160) % 2 == 0 ? kRed : kBlue;  // one-pixel columns
  const TDIB picture = PictureOf(24, 160, 200, stripes);
  const QImage sharp = DrawThumbnail(picture, QSize(80, 100), 2.0);
  ASSERT_EQ(sharp.size(), QSize(160, 200));
  EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
  for (int x = 0; x < 160; ++x)
    ASSERT_EQ(At(sharp, x, 57), x % 2 == 0 ? kRed : kBlue) << x;
  const QImage plain = DrawThumbnail(picture, QSize(80, 100), 1.0);
  EXPECT_EQ(plain.size(), QSize(80, 100));
  EXPECT_EQ(plain.devicePixelRatio(), 1.0);
}

class ViewerWindow : public PictureWindows {
 protected:
  void SetUp() override {
    PictureWindows::SetUp();
    viewer = form->ViewPicForm;
  }
  void Show(const TDIB& picture) {
    viewer->Bitmap = picture;
    viewer->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
  }
  TViewPicForm* viewer = nullptr;
};

TEST_F(ViewerWindow, ZoomSizesThePaintBoxAndTheNextShowingKeepsIt) {
  Show(PictureOf(24, 3, 3, std::vector<uint32_t>(9, kRed)));
  EXPECT_SOON_EQ(viewer->PaintBox1->size(), QSize(3, 3));
  viewer->ZoomEd->setValue(150);
  EXPECT_SOON_EQ(viewer->PaintBox1->size(), QSize(4, 4));  // Trunc(4.5)
  EXPECT_EQ(viewer->ZoomEd->minimum(), 5);
  EXPECT_EQ(viewer->ZoomEd->maximum(), 9000);
  viewer->hide();

  form->openfilenow(Data("images/img2pdf-png.pdf"));
  ShowTab(3);
  int zoom = 0;
  QSize size;
  dialogs->on_exec = [&zoom, &size](QDialog& dialog) {
    auto& shown = static_cast<TViewPicForm&>(dialog);
    zoom = shown.ZoomEd->value();
    EXPECT_TRUE(QTest::qWaitFor([&shown] { return shown.PaintBox1->size() == QSize(55, 34); }));
    size = shown.PaintBox1->size();
    return int(QDialog::Accepted);
  };
  DoubleClick(form->PaintBox2, QPoint(45, 50));
  EXPECT_EQ(zoom, 150);
  EXPECT_EQ(size, QSize(55, 34));  // 37 × 23 at 150 %
}

TEST_F(ViewerWindow, DrawsThePictureAtItsZoom) {
  // Red, blue, red in each row of three; zoom 200 makes 2 × 2 blocks.
  Show(PictureOf(24, 3, 2, {kRed, kBlue, kRed, kBlue, kRed, kBlue}));
  viewer->ZoomEd->setValue(200);
  EXPECT_SOON_EQ(viewer->PaintBox1->size(), QSize(6, 4));
  const QImage shown = viewer->PaintBox1->grab().toImage();
  EXPECT_EQ(At(shown, 0, 0), kRed);
  EXPECT_EQ(At(shown, 1, 1), kRed);
  EXPECT_EQ(At(shown, 2, 0), kBlue);
  EXPECT_EQ(At(shown, 5, 3), kBlue);
  EXPECT_EQ(At(shown, 0, 2), kBlue);
}

TEST_F(ViewerWindow, DraggingPansWithinTheScrollRangesAndTheWheelScrolls) {
  Show(PictureOf(32, 100, 100, std::vector<uint32_t>(10000, kBlue)));
  viewer->ZoomEd->setValue(9000);
  EXPECT_SOON_EQ(viewer->PaintBox1->size(), QSize(9000, 9000));
  QScrollBar* h = viewer->ScrollBox1->horizontalScrollBar();
  QScrollBar* v = viewer->ScrollBox1->verticalScrollBar();
  EXPECT_SOON(h->maximum() > 8000 && v->maximum() > 8000);
  h->setValue(1000);
  v->setValue(1000);
  QWidget* box = viewer->PaintBox1;
  // Grabbed at (1100, 1100) of the picture, moved 50 left and 20 up.
  Mouse(box, QEvent::MouseButtonPress, QPoint(1100, 1100));
  EXPECT_TRUE(viewer->FDragging);
  Mouse(box, QEvent::MouseMove, QPoint(1050, 1080));
  EXPECT_EQ(h->value(), 1050);
  EXPECT_EQ(v->value(), 1020);
  // The grabbed point stays under the pointer: the next move starts from there.
  Mouse(box, QEvent::MouseMove, QPoint(1100 - 1000, 1100));
  EXPECT_EQ(h->value(), 2050);
  EXPECT_EQ(v->value(), 1020);
  // Past the top: the vertical position stops at 0, the horizontal one stays.
  Mouse(box, QEvent::MouseMove, QPoint(1100, 1100 + 5000));
  EXPECT_EQ(v->value(), 0);
  EXPECT_EQ(h->value(), 2050);
  // Beyond the far edge: it stops there.
  Mouse(box, QEvent::MouseMove, QPoint(1100 - 20000, 1100));
  EXPECT_EQ(h->value(), h->maximum());
  Mouse(box, QEvent::MouseButtonRelease, QPoint(0, 0));
  EXPECT_FALSE(viewer->FDragging);
  const int left = h->value();
  Mouse(box, QEvent::MouseMove, QPoint(10, 10));
  EXPECT_EQ(h->value(), left);

  v->setValue(100);
  Wheel(box, -120);
  EXPECT_EQ(v->value(), 120);
  Wheel(viewer->ZoomEd, 120);
  EXPECT_EQ(v->value(), 100);
  EXPECT_EQ(viewer->ZoomEd->value(), 9000);  // the wheel does not zoom
}

TEST_F(ViewerWindow, SavesInTheChosenTypeAndReportsAFailure) {
  const std::vector<uint32_t> colours = {kRed, kBlue, kWhite, kBlue, kRed, kWhite};
  Show(PictureOf(24, 3, 2, colours));
  dialogs->typed_saves = {{dir.path() + "/bild", 3},        // GIF, ".gif" appended
                          {dir.path() + "/anders.png", 1},  // BMP under the name as typed
                          {dir.path() + "/fehlt/bild", 6}};
  viewer->SaveAsBtnClick();
  ASSERT_EQ(dialogs->typed_save_types.size(), 12);
  EXPECT_EQ(dialogs->typed_save_types[2], "CompuServe GIF (*.gif)");
  const QImage gif(dir.path() + "/bild.gif");
  ASSERT_FALSE(gif.isNull());
  EXPECT_EQ(gif.size(), QSize(3, 2));
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(At(gif, i % 3, i / 3), colours[static_cast<std::size_t>(i)]) << i;

  viewer->SaveAsBtnClick();
  QFile bmp(dir.path() + "/anders.png");
  ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
  EXPECT_TRUE(bmp.read(2) == "BM");
  EXPECT_FALSE(QFile::exists(dir.path() + "/anders.png.bmp"));
  EXPECT_TRUE(dialogs->messages.empty());

  viewer->SaveAsBtnClick();
  // Each dialog starts with the type chosen last.
  EXPECT_EQ(dialogs->typed_save_offered, (std::vector<int>{1, 3, 1}));
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "Die Datei „" + dir.path() +
                                           "/fehlt/bild.jpg“ konnte nicht gespeichert "
                                           "werden.\n\nDen Ordner gibt es nicht.");
}

TEST_F(ViewerWindow, CtrlPPrints) {
  Show(PictureOf(24, 2, 2, {kRed, kBlue, kWhite, kRed}));
  viewer->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(viewer));
  QTest::keyClick(viewer, Qt::Key_P, Qt::ControlModifier);
  ASSERT_EQ(dialogs->executed.size(), 1u);  // the print window, cancelled by the script
  EXPECT_TRUE(viewer->PrintBrn->toolTip().contains(
      QKeySequence(Qt::CTRL | Qt::Key_P).toString(QKeySequence::NativeText)));
}

// The dialog's overwrite question concerns the name as typed; a name that names an existing
// file only with the type's extension added is asked about once more.
TEST_F(ViewerWindow, AsksBeforeReplacingAFileNamedByTheAddedExtension) {
  Show(PictureOf(24, 2, 2, {kRed, kBlue, kWhite, kRed}));
  const QString existing = dir.path() + "/foto.gif";
  const auto write_old = [&] {
    QFile old(existing);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("alt");
  };
  write_old();
  const struct {
    const char* name;
    QMessageBox::StandardButton answer;
    bool replaced;
  } cases[] = {{"kept on No", QMessageBox::No, false}, {"replaced on Yes", QMessageBox::Yes, true}};
  for (const auto& c : cases) {
    dialogs->messages.clear();
    dialogs->answer = c.answer;
    dialogs->typed_saves = {{dir.path() + "/foto", 3}};
    viewer->SaveAsBtnClick();
    ASSERT_EQ(dialogs->messages.size(), 1u) << c.name;
    EXPECT_EQ(dialogs->messages[0].text,
              "Die Datei „foto.gif“ gibt es schon. Soll sie ersetzt werden?")
        << c.name;
    QFile saved(existing);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.read(4) == "GIF8", c.replaced) << c.name;
  }
  // A name typed with its extension was asked about by the dialog already.
  write_old();
  dialogs->messages.clear();
  dialogs->typed_saves = {{existing, 3}};
  viewer->SaveAsBtnClick();
  EXPECT_TRUE(dialogs->messages.empty());
  EXPECT_EQ(QImage(existing).size(), QSize(2, 2));
  dialogs->answer = QMessageBox::Ok;
}

TEST_F(ViewerWindow, AFullDiskKeepsTheOldPicture) {
  Show(PictureOf(24, 2, 2, {kRed, kBlue, kWhite, kRed}));
  const QString path = dir.path() + "/foto.bmp";
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("alt");
  old.close();
  dialogs->typed_saves = {{path, 1}};
  {
    const testing::FullDisk full;
    viewer->SaveAsBtnClick();
  }
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "Die Datei „" + path +
                                           "“ konnte nicht gespeichert werden.\n\n"
                                           "Die Datei ist zu groß für den Datenträger.");
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "alt");
}

TEST_F(ViewerWindow, SavesAsPngLosslessly) {
  const std::vector<uint32_t> colours = {kRed, kBlue, kWhite, 0x123456, 0xFEDCBA, 0x010203};
  Show(PictureOf(24, 3, 2, colours));
  dialogs->typed_saves = {{dir.path() + "/verlustfrei", 12}};
  viewer->SaveAsBtnClick();
  ASSERT_EQ(dialogs->typed_save_types.size(), 12);
  EXPECT_EQ(dialogs->typed_save_types[11], "PNG-Bild (*.png)");
  const QImage png(dir.path() + "/verlustfrei.png");
  ASSERT_FALSE(png.isNull());
  ASSERT_EQ(png.size(), QSize(3, 2));
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(At(png, i % 3, i / 3), colours[static_cast<std::size_t>(i)]) << i;
}

// ---- Print window and printing

// Renders page 1 of a PDF file at 72 dpi.
QImage RenderPdf(const QString& pdf, const QString& stem) {
  QProcess render;
  render.start("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, stem});
  if (!render.waitForFinished(30000) || render.exitCode() != 0) return {};
  return QImage(stem + ".png");
}

class PrintWindow : public ViewerWindow {
 protected:
  void SetUp() override {
    ViewerWindow::SetUp();
    pdf = dir.path() + "/druck.pdf";
    form->Printer->setOutputFormat(QPrinter::PdfFormat);
    form->Printer->setOutputFileName(pdf);
    // A picture twice as wide as high: red left, blue right.
    std::vector<uint32_t> colours;
    for (int y = 0; y < 50; ++y) {
      for (int x = 0; x < 100; ++x)
        colours.push_back(x < 50 ? kRed : kBlue);
    }
    picture = PictureOf(24, 100, 50, colours);
    viewer->Bitmap = picture;
  }
  // Prints through the print window after the script has set it up.
  void Print(const std::function<void(TPrintForm&)>& set_up) {
    dialogs->on_exec = [set_up](QDialog& dialog) {
      set_up(static_cast<TPrintForm&>(dialog));
      return int(QDialog::Accepted);
    };
    viewer->PrintBrnClick();
  }
  // The picture's place on the rendered page, in its pixels.
  QRect Placed(const TPrintChoice& choice) {
    const TBox place =
        PrintPlacement(form->Printer->width(), form->Printer->height(), 100, 50, choice);
    const double scale = 72.0 / form->Printer->resolution();
    return QRect(qRound(place.X * scale), qRound(place.Y * scale), qRound(place.Width * scale),
                 qRound(place.Height * scale));
  }
  void ExpectPicture(const QImage& page, const QRect& at) {
    ASSERT_FALSE(page.isNull());
    const int mid_y = at.top() + at.height() / 2;
    EXPECT_TRUE(Near(page, at.left() + 3, mid_y, kRed));
    // A source pixel away from the colours' border, which the PDF's compression may blur.
    const int pixel = at.width() / 100 + 2;
    EXPECT_TRUE(Near(page, at.left() + at.width() / 2 - pixel, mid_y, kRed));
    EXPECT_TRUE(Near(page, at.left() + at.width() / 2 + pixel, mid_y, kBlue));
    EXPECT_TRUE(Near(page, at.right() - 3, at.top() + 3, kBlue));
    EXPECT_TRUE(Near(page, at.right() - 3, at.bottom() - 3, kBlue));
    // White around it, a few pixels off its edges.
    if (at.top() > 3) {
      EXPECT_TRUE(Near(page, at.left() + 5, at.top() - 3, kWhite));
    }
    if (at.bottom() < page.height() - 4) {
      EXPECT_TRUE(Near(page, at.left() + 5, at.bottom() + 3, kWhite));
    }
    if (at.right() < page.width() - 4) {
      EXPECT_TRUE(Near(page, at.right() + 3, mid_y, kWhite));
    }
  }
  QString pdf;
  TDIB picture;
};

TEST_F(PrintWindow, TheWholePageCentredWithItsProportions) {
  Print([](TPrintForm&) {});
  EXPECT_EQ(dialogs->executed, std::vector<QString>{"Bild drucken..."});
  const QImage page = RenderPdf(pdf, dir.path() + "/seite");
  ASSERT_EQ(page.size(), QSize(595, 842));  // A4
  const QRect at = Placed({});
  EXPECT_EQ(at.width(), 595);
  EXPECT_NEAR(at.top(), (842 - 298) / 2, 1);
  ExpectPicture(page, at);

  QProcess info;
  info.start("pdfinfo", {pdf});
  ASSERT_TRUE(info.waitForFinished(30000));
  EXPECT_TRUE(info.readAllStandardOutput().contains("Kestrel Bild"));
}

TEST_F(PrintWindow, UserDefinedPercentagesFromTheCorner) {
  Print([](TPrintForm& print) {
    print.UserdefCheck->click();
    print.SverhCheck->click();  // off: the percentages as they are
    print.ZentrCheck->click();
    print.BreitEdit->setValue(40);
    print.HochEdit->setValue(30);
  });
  const QImage page = RenderPdf(pdf, dir.path() + "/ecke");
  const QRect at =
      Placed({.FullPage = false, .KeepRatio = false, .Centred = false, .Breit = 40, .Hoch = 30});
  EXPECT_EQ(at.topLeft(), QPoint(0, 0));
  EXPECT_NEAR(at.width(), 238, 1);
  EXPECT_NEAR(at.height(), 253, 1);
  ExpectPicture(page, at);
}

TEST_F(PrintWindow, CancellingPrintsNothing) {
  dialogs->on_exec = [](QDialog& dialog) {
    static_cast<TPrintForm&>(dialog).CancelBitBtn2->click();
    return dialog.result();
  };
  viewer->PrintBrnClick();
  EXPECT_EQ(dialogs->executed.size(), 1u);
  EXPECT_FALSE(QFile::exists(pdf));
  // The print window is gone with its job.
  EXPECT_TRUE(viewer->findChildren<TPrintForm*>().isEmpty());
}

TEST_F(PrintWindow, PercentagesKeepTheProportionsAndAreStored) {
  {
    TPrintForm print(*form->Printer, viewer);
    print.Bitmap = picture;
    print.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&print));
    EXPECT_TRUE(print.UseFullCheck->isChecked());
    EXPECT_TRUE(print.SverhCheck->isChecked());
    EXPECT_TRUE(print.ZentrCheck->isChecked());
    const int pw = form->Printer->width();
    const int ph = form->Printer->height();
    print.BreitEdit->setValue(10);
    print.BreitEdit->setValue(50);
    // Trunc(50 × 50 / 100 × 9917 / 14033) on A4.
    EXPECT_EQ(print.HochEdit->value(), HochFromBreit(100, 50, 50, pw, ph));
    EXPECT_EQ(print.HochEdit->value(), 17);
    print.HochEdit->setValue(30);
    EXPECT_EQ(print.BreitEdit->value(), BreitFromHoch(100, 50, 30, pw, ph));
    print.HochEdit->setValue(80);  // derived width above 100: limited, the height as set
    EXPECT_EQ(print.BreitEdit->value(), 100);
    EXPECT_EQ(print.HochEdit->value(), 80);
    print.SverhCheck->click();
    print.BreitEdit->setValue(33);
    EXPECT_EQ(print.HochEdit->value(), 80);  // without proportions each stays as set
    EXPECT_FALSE(print.FSyncing);
  }
  // A new print window starts with the stored percentages and the default options.
  TPrintForm again(*form->Printer, viewer);
  EXPECT_EQ(again.BreitEdit->value(), 33);
  EXPECT_EQ(again.HochEdit->value(), 80);
  EXPECT_TRUE(again.SverhCheck->isChecked());
  EXPECT_TRUE(again.UseFullCheck->isChecked());
}

TEST_F(PrintWindow, ThePreviewShowsThePageAndThePictureOnIt) {
  TPrintForm print(*form->Printer, viewer);
  print.Bitmap = picture;
  print.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&print));
  // A4 portrait in the 190 × 190 box: 134 × 190 at (28, 0).
  const TBox page = PrintPreviewPage(190, 190, form->Printer->width(), form->Printer->height());
  ASSERT_EQ(page, (TBox{28, 0, 134, 190}));
  QImage shown = print.PrintPaintBox->grab().toImage();
  EXPECT_EQ(At(shown, 30, 5), kWhite);
  EXPECT_NE(At(shown, 10, 5), kWhite);  // beside the page
  // The picture: 134 × 67, centred at y = 61.
  EXPECT_EQ(At(shown, 28 + 10, 61 + 30), kRed);
  EXPECT_EQ(At(shown, 28 + 120, 61 + 30), kBlue);
  EXPECT_EQ(At(shown, 28 + 10, 55), kWhite);

  // The printer set up anew: a landscape page.
  dialogs->on_printer_setup = [](QPrinter& printer) {
    printer.setPageOrientation(QPageLayout::Landscape);
  };
  QTest::mouseClick(print.PrintSetupBtn, Qt::LeftButton);
  EXPECT_EQ(dialogs->printer_setups, 1);
  shown = print.PrintPaintBox->grab().toImage();
  EXPECT_EQ(At(shown, 5, 40), kWhite);  // the page now spans the box's width
  EXPECT_NE(At(shown, 5, 10), kWhite);
}

}  // namespace
}  // namespace paginor
