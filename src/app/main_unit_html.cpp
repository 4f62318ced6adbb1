// Tab 4: the HTML preview, built anew on every visit from the document and the images.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextEdit>
#include <QUrl>

#include "app/main_unit.h"
#include "images/image_files.h"
#include "output/html_writer.h"
#include "platform/rich_text_bridge.h"

namespace paginor {

void TMainForm::PageControl2Change(int index) {
  if (index == 4 && !FDoc.FBusy) HtmlPreview();
}

void TMainForm::HtmlPreview() {
  const QString folder = TemporaryDir() + "/htmlout";
  QDir().mkpath(folder);
  SyncDocumentFromView();
  // Every visit closes the last line (or adds an empty one), in the view as well.
  FDoc.Memo1.AddLine("");
  filling_view_ = true;
  QTextCursor end(Memo1->document());
  end.movePosition(QTextCursor::End);
  end.insertBlock();
  filling_view_ = false;
  RTFToHTML();

  const std::string page = HTMLFileContent(FHTMLLines);
  QFile file(folder + "/test.htm");
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    file.write(page.data(), static_cast<qint64>(page.size()));
    file.close();
  }
  // The links name "bild" + number: JPEG for 24-bit pictures, GIF for the others.
  QStringList names;
  int number = 0;
  for (const TImageRec& image : FDoc.Images) {
    const TDibFormat format = DefaultFormatFor(image);
    const QString name = QString::fromStdString(ImageFileName("bild", ++number, format));
    SaveImage(image, (folder + "/" + name).toStdString(), format);
    names << name;
  }

  // The page is Windows-1252 without a declared character set. Its pictures are loaded
  // into the view's document before the folder goes, as the browser would have them.
  QTextDocument* document = WebBrowser1->document();
  document->clear();
  document->setBaseUrl(QUrl::fromLocalFile(folder + "/"));
  for (const QString& name : names) {
    const QImage picture(folder + "/" + name);
    if (!picture.isNull()) document->addResource(QTextDocument::ImageResource, QUrl(name), picture);
  }
  QFile written(folder + "/test.htm");
  if (written.open(QIODevice::ReadOnly)) {
    const QByteArray bytes = written.readAll();
    WebBrowser1->setHtml(Cp1252ToQString(std::string_view(bytes.data(), bytes.size())));
  }
  // The page is complete: the folder goes (WebBrowser1DocumentComplete).
  QDir(folder).removeRecursively();
}

}  // namespace paginor
