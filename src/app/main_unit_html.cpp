// Tab 4: the HTML preview, built anew on every visit from the document and the images.
//
// The page's lines open a <div> each and never close it. Given to the browser whole, Qt's
// parser nests every line inside the one before it and takes time that grows with the square
// of the line count: about a minute for a 350-page book, with the window deaf meanwhile. A
// browser shows such a page as one line per div, so the preview builds exactly that: each line
// becomes a closed div of its own, and the lines are parsed in small groups into the shown
// document, with the window's events processed in between. The view lays the document out
// lazily, as far as it is scrolled, so the first screen is there at once.
#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextFrame>
#include <QUrl>
#include <chrono>
#include <future>

#include "app/main_unit.h"
#include "output/html_writer.h"
#include "platform/dib_image.h"
#include "platform/html_save.h"
#include "platform/rich_text_bridge.h"

namespace paginor {

namespace {

// Events are processed at least this often while the preview is built.
constexpr qint64 kPumpMs = 20;
// Lines parsed together: large enough to keep the parser's overhead small, small enough to
// take well under the pump interval.
constexpr std::size_t kLinesPerStep = 64;

// Processes the window's events when kPumpMs have passed since the last time.
class TEventPump {
 public:
  TEventPump() { clock_.start(); }
  void Step() {
    if (clock_.elapsed() < kPumpMs) return;
    QCoreApplication::processEvents();
    clock_.restart();
  }

 private:
  QElapsedTimer clock_;
};

}  // namespace

QSize PreviewPictureSize(QSize picture, QSize limit) {
  if (picture.width() <= limit.width() && picture.height() <= limit.height()) return picture;
  return picture.scaled(limit, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage PreviewPicture(const TDIB& dib) {
  const QSize full(dib.Width(), dib.Height());
  const QSize shown = PreviewPictureSize(full, kPreviewPictureLimit);
  if (shown == full) return DibToImage(dib);
  // Nearest neighbour to twice the size, then smoothed down: fast for scans of any size, and
  // without the sparkle of nearest neighbour alone.
  const QSize between = (shown * 2).boundedTo(full);
  const QImage coarse = ScaleDibNearest(dib, 0, 0, dib.Width(), dib.Height(), between.width(),
                                        between.height(), QRect(QPoint(0, 0), between));
  return coarse.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QString PreviewLine(const QString& line) {
  return line + "</div>";
}

void TMainForm::WaitForPreviewFiles() {
  if (!preview_files_.valid()) return;
  TBusyGuard busy(FDoc.FBusy);
  while (preview_files_.wait_for(std::chrono::milliseconds(kPumpMs)) != std::future_status::ready) {
    QCoreApplication::processEvents();
  }
  preview_files_.get();
}

void TMainForm::PageControl2Change(int index) {
  if (index == 2) CatchUpView();
  if (index == 4 && !FDoc.FBusy) HtmlPreview();
}

void TMainForm::HtmlPreview() {
  // The last preview's folder goes now: until then its page could still ask for its files.
  WaitForPreviewFiles();
  const QString folder = TemporaryDir() + "/htmlout";
  QDir(folder).removeRecursively();
  QDir().mkpath(folder);
  SyncDocumentFromView();
  // Every visit closes the last line (or adds an empty one). The view gets it before it is
  // shown or read again: added now, it would have the view lay out all its text first.
  FDoc.Memo1.AddLine("");
  ++view_missing_lines_;
  RTFToHTML();
  if (close_pending_) return;
  {
    TBusyGuard busy(FDoc.FBusy);
    // A cancelled build shows its shorter page; closing the window stops the filling.
    FDoc.FBreak = false;
    // Encoding a scan of a hundred million pixels as GIF takes most of a second, and scaling it
    // for the view a tenth: both are done off the window thread, on copies that share the
    // pictures' pixels. The files are written while the page is already shown.
    std::vector<TImageRec> records;
    for (const TImageRec& image : FDoc.Images)
      records.push_back(image);
    // The preview shows the pictures from memory: a file that could not be written is missed
    // only by a browser the page is opened in.
    preview_files_ = std::async(std::launch::async, [folder, records, lines = FHTMLLines] {
      SaveHtmlWithPictures((folder + "/test.htm").toStdString(), lines, records);
    });
    auto scaling = std::async(std::launch::async, [&records] {
      std::vector<QImage> pictures;
      for (const TImageRec& image : records)
        pictures.push_back(PreviewPicture(image.Bitmap.Decode()));
      return pictures;
    });
    while (scaling.wait_for(std::chrono::milliseconds(kPumpMs)) != std::future_status::ready) {
      QCoreApplication::processEvents();
    }
    const std::vector<QImage> pictures = scaling.get();
    TEventPump pump;

    auto* shown = new QTextDocument(WebBrowser1);
    shown->setDefaultFont(WebBrowser1->document()->defaultFont());
    shown->setBaseUrl(QUrl::fromLocalFile(folder + "/"));
    for (std::size_t i = 0; i < records.size(); ++i) {
      if (pictures[i].isNull()) continue;
      const QString name =
          QString::fromStdString(HtmlPictureName(static_cast<int>(i) + 1, records[i]));
      // Under the link's name and under the file it names: the parser resolves the link
      // against the page's folder.
      shown->addResource(QTextDocument::ImageResource, QUrl(name), pictures[i]);
      shown->addResource(QTextDocument::ImageResource, QUrl::fromLocalFile(folder + "/" + name),
                         pictures[i]);
    }
    QTextFrameFormat root = shown->rootFrame()->frameFormat();
    root.setBackground(Qt::white);
    shown->rootFrame()->setFrameFormat(root);
    // The view's first document belongs to the view and goes with setDocument; ours we free.
    QTextDocument* previous = WebBrowser1->document();
    const bool ours = previous->parent() == WebBrowser1;
    WebBrowser1->setDocument(shown);
    if (ours) previous->deleteLater();

    // The first and the last line are the page's head and tail; every line between is one
    // line of the document. Text is Windows-1252 without a declared character set.
    QTextCursor cursor(shown);
    QString group;
    bool first = true;
    const auto flush = [&] {
      if (group.isEmpty()) return;
      if (!first) cursor.insertBlock();
      first = false;
      cursor.insertHtml("<nobr>" + group + "</nobr>");
      group.clear();
    };
    std::size_t in_group = 0;
    for (std::size_t i = 1; i + 1 < FHTMLLines.size(); ++i) {
      group += PreviewLine(Cp1252ToQString(FHTMLLines[i]));
      if (++in_group == kLinesPerStep) {
        flush();
        in_group = 0;
        pump.Step();
        if (FDoc.FBreak) break;
      }
    }
    flush();
    // The page's top left corner: moving the cursor alone would show the bottom of a first line
    // taller than the view, such as a cover picture.
    WebBrowser1->moveCursor(QTextCursor::Start);
    WebBrowser1->verticalScrollBar()->setValue(0);
    WebBrowser1->horizontalScrollBar()->setValue(0);
  }
  if (close_pending_) close();
}

}  // namespace paginor
