// The real main window on the offscreen platform, its dialogs answered by a script.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>
#include <optional>

#include "app/main_unit.h"
#include "app/progress_forms.h"
#include "fake_dialogs.h"
#include "full_disk.h"
#include "support/pdf_builder.h"

namespace paginor {
namespace {

using testing::FakeDialogs;
using testing::FullDisk;
using testing::PdfBuilder;

QString Data(const QString& name) {
  return QString(PAGINOR_TEST_DATA) + "/" + name;
}

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(data_dir.isValid());
    auto fake = std::make_unique<FakeDialogs>();
    dialogs = fake.get();
    previous = SetDialogs(std::move(fake));
    form = std::make_unique<TMainForm>(data_dir.path());
    form->show();
  }
  void TearDown() override {
    dialogs->answer = QMessageBox::Ok;
    form.reset();
    SetDialogs(std::move(previous));
  }
  // A file of `pages` pages with one line each, written into the test's folder.
  QString Pages(int pages, const QString& name = "pages.pdf") {
    PdfBuilder pdf;
    std::vector<std::string> contents;
    for (int p = 1; p <= pages; ++p) {
      contents.push_back("BT /F1 12 Tf 72 700 Td (Seite " + std::to_string(p) + ") Tj ET");
    }
    pdf.AddSimplePages(contents);
    const QString path = data_dir.path() + "/" + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    const std::string bytes = pdf.Build();
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
  }

  QTemporaryDir data_dir;
  FakeDialogs* dialogs = nullptr;
  std::unique_ptr<TDialogs> previous;
  std::unique_ptr<TMainForm> form;
};

TEST_F(MainWindow, StartsOnTheFirstTabWithTheOptionsDefaults) {
  EXPECT_EQ(form->windowTitle(), "Paginor 1.4");
  EXPECT_EQ(form->PageControl2->count(), 5);
  EXPECT_EQ(form->PageControl2->tabText(3), "Bilder ausgeben");
  EXPECT_EQ(form->PageControl2->currentIndex(), 0);
  const TConvertOptions options = form->Options();
  EXPECT_TRUE(options.HorzLayCheck && options.VertLayCheck && options.StartWTCheck &&
              options.HTMLLinksCheck && options.ReadPicsCheck);
  EXPECT_FALSE(options.TabsCheck);
  EXPECT_TRUE(options.ModernCheck);
  form->ModernCheck->setChecked(false);
  EXPECT_FALSE(form->Options().ModernCheck);
  EXPECT_EQ(form->Label6->text(), "von 0");
  EXPECT_EQ(form->Label4->text(), "Optimieren auf: Arial");
}

TEST_F(MainWindow, ConvertsTheFileOfTheCommandLine) {
  form->FormShow({Data("images/img2pdf-png.pdf")});
  EXPECT_EQ(form->PageControl2->currentIndex(), 2);
  EXPECT_EQ(form->Label6->text(), "von 3");
  EXPECT_EQ(form->FDoc.Images.Count(), 3);
  EXPECT_TRUE(form->FFileName.isEmpty());  // not remembered for "PDF Neu lesen"
  EXPECT_FALSE(form->OpenPDFForm->isVisible());
  EXPECT_TRUE(dialogs->messages.empty());

  form->FormShow({Data("images/img2pdf-png.txt")});  // not a PDF name: nothing happens
  EXPECT_EQ(form->FDoc.Images.Count(), 3);
}

TEST_F(MainWindow, ProgressInBothBarsAndTheStatusLog) {
  std::vector<int> window_bar;
  QObject::connect(form->OpenPDFForm->ProgressBar1, &QProgressBar::valueChanged,
                   [&window_bar](int v) { window_bar.push_back(v); });
  std::vector<int> html_bar;
  QObject::connect(form->HTMLStatusForm->ProgressBar1, &QProgressBar::valueChanged,
                   [&html_bar](int v) { html_bar.push_back(v); });
  form->openfilenow(Pages(4));
  EXPECT_EQ(window_bar, (std::vector<int>{25, 50, 75, 100, 0}));
  EXPECT_EQ(html_bar, (std::vector<int>{25, 50, 75, 100, 0}));
  EXPECT_EQ(form->FProgress, 0);
  EXPECT_EQ(form->OpenPDFForm->Label2->text(), "Lese Seite 4...");
  const QString log = form->OpenPDFForm->StatusMemo->toPlainText();
  EXPECT_TRUE(log.startsWith("4 Seiten gefunden..."));
  form->openfilenow(Pages(1, "one.pdf"));
  // The log keeps earlier conversions.
  EXPECT_TRUE(form->OpenPDFForm->StatusMemo->toPlainText().startsWith(log));
}

TEST_F(MainWindow, CancelStopsBeforeTheNextPageAndASecondOpenStepsAside) {
  const QString ten = Pages(10);
  const QString other = Pages(3, "other.pdf");
  QObject::connect(form->OpenPDFForm->ProgressBar1, &QProgressBar::valueChanged, [&](int v) {
    if (v != 20) return;       // page 2
    form->openfilenow(other);  // FBusy: returns at once
    QTest::mouseClick(form->OpenPDFForm->BreakBtn, Qt::LeftButton);
  });
  form->openfilenow(ten);
  EXPECT_EQ(form->FDoc.PageSizes.Count(), 2);
  EXPECT_EQ(form->Label6->text(), "von 10");
  EXPECT_FALSE(form->FDoc.FBusy);
  EXPECT_TRUE(form->Memo1->toPlainText().contains("Seite 2"));
  EXPECT_FALSE(form->Memo1->toPlainText().contains("Seite 3"));
}

TEST_F(MainWindow, ALongDocumentFillsTheViewWithEventsProcessedAndOpeningLockedOut) {
  const QString many = Pages(400);
  const QString other = Pages(3, "other.pdf");
  int ticks_while_filling = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    // The progress window is gone once the pages are read: what follows is the view's filling.
    if (!form->FDoc.FBusy || form->OpenPDFForm->isVisible()) return;
    ++ticks_while_filling;
    form->openfilenow(other);  // steps aside
  });
  ticker.start(0);
  form->openfilenow(many);
  ticker.stop();
  EXPECT_GT(ticks_while_filling, 0);
  EXPECT_FALSE(form->FDoc.FBusy);
  EXPECT_EQ(form->FDoc.PageSizes.Count(), 400);
  const QString shown = form->Memo1->toPlainText();
  EXPECT_TRUE(shown.contains("Seite 1\n"));
  EXPECT_TRUE(shown.contains("Seite 400"));
  // The view holds the whole document, so reading it back changes nothing.
  form->Memo1->moveCursor(QTextCursor::End);
  form->Memo1->insertPlainText("!");
  dialogs->save_names = {data_dir.path() + "/all.txt"};
  form->SaveBtnClick();
  const QByteArray saved = FileBytes(data_dir.path() + "/all.txt");
  EXPECT_EQ(saved.count("Seite "), 400);
  EXPECT_TRUE(saved.trimmed().endsWith("!"));
}

TEST_F(MainWindow, InvalidFileMessageOnce) {
  const QString path = data_dir.path() + "/kaputt.pdf";
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("%PDF-1.4\nkein Inhalt\n");
  file.close();
  form->openfilenow(path);
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "Dies ist keine gültige PDF-Datei.");
  EXPECT_EQ(dialogs->messages[0].caption, "Paginor");
  EXPECT_EQ(dialogs->messages[0].icon, QMessageBox::Critical);
  EXPECT_EQ(form->Label6->text(), "von 0");
}

TEST_F(MainWindow, PasswordDialogFlow) {
  form->openfilenow(Data("qpdf-rc4-40-empty.pdf"));
  EXPECT_EQ(dialogs->password_prompts, 0);
  dialogs->passwords = {QString("falsch"), QString("geheim")};
  form->openfilenow(Data("qpdf-rc4-40-geheim.pdf"));
  EXPECT_EQ(dialogs->password_prompts, 2);
  EXPECT_EQ(dialogs->Texts(), (std::vector<QString>{"Das Passwort war leider falsch!"}));
  EXPECT_EQ(form->Label6->text(), "von 2");
  EXPECT_TRUE(form->Memo1->toPlainText().contains("Geheimer Text"));
}

TEST_F(MainWindow, FavouritesMoveToTheTopAndPersist) {
  const QString a = data_dir.path() + "/A/";
  const QString b = data_dir.path() + "/B/";
  QDir().mkpath(a);
  QDir().mkpath(b);
  QFile::copy(Pages(1), a + "x.pdf");
  QFile::copy(Pages(1, "y0.pdf"), b + "y.pdf");
  form->OpenFromList(a + "x.pdf");
  form->OpenFromList(b + "y.pdf");
  form->OpenFromList(a + "x.pdf");
  EXPECT_EQ(FileBytes(data_dir.path() + "/folders.dat"), (a + "\r\n" + b + "\r\n").toUtf8());
  EXPECT_EQ(form->FFileName, a + "x.pdf");
  // A new window reads them back.
  form = std::make_unique<TMainForm>(data_dir.path());
  EXPECT_EQ(form->Favourites(), (std::vector<std::string>{a.toStdString(), b.toStdString()}));
}

TEST_F(MainWindow, HtmlPreviewOnEachVisit) {
  form->openfilenow(Data("images/img2pdf-png.pdf"));
  form->PageControl2->setCurrentIndex(4);
  const std::size_t first = form->FHTMLLines.size();
  ASSERT_GT(first, 2u);
  const QTextDocument* page = form->WebBrowser1->document();
  EXPECT_FALSE(page->resource(QTextDocument::ImageResource, QUrl("bild001.jpg")).isNull());
  EXPECT_FALSE(page->resource(QTextDocument::ImageResource, QUrl("bild003.gif")).isNull());
  // The folder stays for the page until the next build; its files are written meanwhile.
  const QString folder = form->TemporaryDir() + "/htmlout";
  EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(folder + "/bild003.gif"); }));
  EXPECT_TRUE(FileBytes(folder + "/test.htm").startsWith("<html><body bgcolor=#FFFFFF><nobr>"));
  EXPECT_FALSE(QImage(folder + "/bild001.jpg").isNull());
  QFile::remove(folder + "/bild002.gif");
  form->PageControl2->setCurrentIndex(2);
  form->PageControl2->setCurrentIndex(4);
  ASSERT_EQ(form->FHTMLLines.size(), first + 1);
  EXPECT_EQ(form->FHTMLLines[first - 1], "<div align=left><br>");
  EXPECT_EQ(form->FHTMLLines.back(), "</nobr></body></html>");
  EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(folder + "/bild002.gif"); }));
  // The text view gets the added empty line when it is shown, so an edit there keeps it.
  form->PageControl2->setCurrentIndex(2);
  form->Memo1->moveCursor(QTextCursor::End);
  form->Memo1->insertPlainText("x");
  form->PageControl2->setCurrentIndex(4);
  ASSERT_EQ(form->FHTMLLines.size(), first + 2);
  EXPECT_EQ(form->FHTMLLines[first], "<div align=left><font face=Arial size=3 color=#080000>x");
}

// The page's lines open a div each and close none; the view shows each as a line of its own,
// built in groups, exactly as Qt shows the page with every div closed.
TEST_F(MainWindow, HtmlPreviewShowsOneLinePerDocumentLine) {
  form->openfilenow(Pages(150));
  form->PageControl2->setCurrentIndex(4);
  const QTextDocument* shown = form->WebBrowser1->document();
  ASSERT_GT(form->FHTMLLines.size(), 200u);  // more than a group of lines
  EXPECT_EQ(static_cast<std::size_t>(shown->blockCount()), form->FHTMLLines.size() - 2);
  QString flat = "<html><body><nobr>";
  for (std::size_t i = 1; i + 1 < form->FHTMLLines.size(); ++i) {
    flat += PreviewLine(QString::fromLatin1(form->FHTMLLines[i]));
  }
  QTextDocument whole;
  whole.setHtml(flat + "</nobr></body></html>");
  EXPECT_EQ(shown->toPlainText(), whole.toPlainText());
  EXPECT_TRUE(shown->toPlainText().contains("Seite 150"));
}

// A scan taller than the view: the preview shows it scaled to the picture limit.
TEST_F(MainWindow, HtmlPreviewShowsATallScanScaled) {
  PdfBuilder pdf;
  const int scan = pdf.AddStream(
      "/Type /XObject /Subtype /Image /Width 40 /Height 4000 /ColorSpace /DeviceGray "
      "/BitsPerComponent 8 /Filter /FlateDecode",
      PdfBuilder::Deflate(std::string(40 * 4000, '\x80')));
  const int font = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  const int contents =
      pdf.AddStream("", "q 40 0 0 700 72 80 cm /Im1 Do Q BT /F1 12 Tf 72 40 Td (Unten) Tj ET");
  const int page = pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents " +
                           std::to_string(contents) + " 0 R /Resources << /XObject << /Im1 " +
                           std::to_string(scan) + " 0 R >> /Font << /F1 " + std::to_string(font) +
                           " 0 R >> >> >>");
  pdf.Set(2, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
  pdf.root = pdf.Add("<< /Type /Catalog /Pages 2 0 R >>");
  const QString path = data_dir.path() + "/scan.pdf";
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  const std::string bytes = pdf.Build();
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  file.close();

  form->openfilenow(path);
  ASSERT_EQ(form->FDoc.Images.Count(), 1);
  form->PageControl2->setCurrentIndex(4);
  const QImage shown = form->WebBrowser1->document()
                           ->resource(QTextDocument::ImageResource, QUrl("bild001.gif"))
                           .value<QImage>();
  EXPECT_EQ(shown.size(), QSize(16, 1600));
  EXPECT_EQ(form->FDoc.Images[0].Bitmap.Height(), 4000);  // the list keeps the picture whole
}

TEST_F(MainWindow, ClosingWhileThePreviewFillsStopsItAndCloses) {
  form->openfilenow(Pages(300));
  bool seen_filling = false;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    // The page is built and the view is being filled: the progress window is gone.
    if (!form->FDoc.FBusy || form->HTMLStatusForm->isVisible() || seen_filling) return;
    if (form->WebBrowser1->document()->blockCount() < 2) return;
    seen_filling = true;
    form->close();
  });
  ticker.start(0);
  form->PageControl2->setCurrentIndex(4);
  ticker.stop();
  ASSERT_TRUE(seen_filling);
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(form->FDoc.FBusy);
  EXPECT_LT(static_cast<std::size_t>(form->WebBrowser1->document()->blockCount()),
            form->FHTMLLines.size() - 2);
}

TEST(HtmlPreviewPictures, LargePicturesAreScaledForTheView) {
  const struct {
    const char* name;
    QSize picture;
    QSize shown;
  } cases[] = {{"small", {300, 200}, {300, 200}},
               {"at the limit", {1600, 1600}, {1600, 1600}},
               {"tall scan", {8992, 10384}, {1385, 1600}},
               {"wide", {4000, 1000}, {1600, 400}},
               {"a thin line", {20000, 3}, {1600, 1}}};
  for (const auto& c : cases) {
    EXPECT_EQ(PreviewPictureSize(c.picture, kPreviewPictureLimit), c.shown) << c.name;
  }
  // A one-bit scan: its preview has the scaled size and keeps black and white.
  TDIB scan;
  newdib(scan, 4000, 3000, 1);
  ASSERT_TRUE(scan.HasBits());
  for (int32_t y = 0; y < 3000; ++y) {
    for (int32_t x = 0; x < 2000; ++x)
      setpixel(scan, x, y, 1);  // the left half white
  }
  const QImage preview = PreviewPicture(scan);
  ASSERT_EQ(preview.size(), QSize(1600, 1200));
  EXPECT_EQ(preview.pixel(100, 600), qRgb(255, 255, 255));
  EXPECT_EQ(preview.pixel(1500, 600), qRgb(0, 0, 0));
}

TEST_F(MainWindow, SaveCommandsWriteTheirFiles) {
  form->openfilenow(Data("text/ps2pdf-columns.pdf"));
  const QString dir = data_dir.path();
  dialogs->save_names = {dir + "/a.txt", dir + "/a.htm", dir + "/a.rtf"};
  form->SaveBtnClick();
  form->HTMLBtnClick();
  form->SaveRTFBtnClick();
  EXPECT_TRUE(QString::fromUtf8(FileBytes(dir + "/a.txt")).contains("Überschrift"));
  EXPECT_TRUE(FileBytes(dir + "/a.htm").startsWith("<html><body bgcolor=#FFFFFF><nobr>\r\n"));
  EXPECT_TRUE(FileBytes(dir + "/a.rtf").startsWith("{\\rtf1\\ansi\\ansicpg1252"));
  EXPECT_EQ(dialogs->filters,
            (std::vector<QString>{"Textdateien (*.txt)", "HTML-Dateien (*.htm *.html)",
                                  "Richttext-Datei (*.rtf)"}));
  // An edit in the view reaches the saved text.
  form->Memo1->moveCursor(QTextCursor::End);
  form->Memo1->insertPlainText("Nachtrag");
  dialogs->save_names = {dir + "/b.txt"};
  form->SaveBtnClick();
  EXPECT_TRUE(FileBytes(dir + "/b.txt").contains("Nachtrag"));

  form->openfilenow(Data("images/img2pdf-png.pdf"));
  dialogs->save_names = {dir + "/p.htm"};
  form->HTMLBtnClick();
  EXPECT_TRUE(FileBytes(dir + "/p.htm").contains("<img src=\"bild001.jpg\" border=0>"));
  EXPECT_TRUE(QFile::exists(dir + "/bild001.jpg"));
  EXPECT_TRUE(QFile::exists(dir + "/bild002.gif"));
}

// What makes a save fail, each as the user meets it.
enum class TBlock { MissingFolder, ReadOnlyFolder, FullDisk };

TEST_F(MainWindow, ASaveThatFailsKeepsTheOldFileAndSaysWhy) {
  form->openfilenow(Data("images/img2pdf-png.pdf"));
  const struct {
    const char* name;
    void (TMainForm::*command)();
    const char* file;
  } commands[] = {{"text", &TMainForm::SaveBtnClick, "a.txt"},
                  {"rich text", &TMainForm::SaveRTFBtnClick, "a.rtf"},
                  {"HTML", &TMainForm::HTMLBtnClick, "a.htm"}};
  const struct {
    const char* name;
    TBlock block;
    const char* reason;
  } blocks[] = {{"missing folder", TBlock::MissingFolder, "Den Ordner gibt es nicht."},
                {"read-only folder", TBlock::ReadOnlyFolder,
                 "Keine Berechtigung, in diesen Ordner zu schreiben."},
                {"full disk", TBlock::FullDisk, "Die Datei ist zu groß für den Datenträger."}};
  for (const auto& b : blocks) {
    // The superuser writes into read-only folders.
    if (b.block == TBlock::ReadOnlyFolder && geteuid() == 0) continue;
    for (const auto& c : commands) {
      const std::string name = std::string(b.name) + ", " + c.name;
      const QString folder = data_dir.path() + "/" + QString::fromLatin1(b.name).replace(' ', '_');
      QDir().mkpath(folder);
      const QString target =
          (b.block == TBlock::MissingFolder ? folder + "/fehlt/" : folder + "/") + c.file;
      if (b.block != TBlock::MissingFolder) {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly)) << name;
        old.write("alt");
      }
      QFile::setPermissions(folder, b.block == TBlock::ReadOnlyFolder
                                        ? QFile::ReadOwner | QFile::ExeOwner
                                        : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
      dialogs->messages.clear();
      dialogs->save_names = {target};
      {
        std::optional<FullDisk> full;
        if (b.block == TBlock::FullDisk) full.emplace();
        (form.get()->*c.command)();
      }
      QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
      ASSERT_EQ(dialogs->messages.size(), 1u) << name;
      EXPECT_EQ(dialogs->messages[0].text,
                "Die Datei „" + target + "“ konnte nicht gespeichert werden.\n\n" + b.reason)
          << name;
      EXPECT_EQ(dialogs->messages[0].icon, QMessageBox::Warning) << name;
      if (b.block == TBlock::MissingFolder) {
        EXPECT_FALSE(QFile::exists(target)) << name;
      } else {
        EXPECT_EQ(FileBytes(target), "alt") << name;
        // Nothing beside it: no temporary file, no pictures of a page that was not written.
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{c.file}) << name;
        QFile::remove(target);
      }
    }
  }
}

// The program's own files: the favourites and the settings, on a disk that is full.
TEST_F(MainWindow, ProgramFilesThatCannotBeWrittenAreReportedAndKept) {
  const QString a = data_dir.path() + "/A/";
  QDir().mkpath(a);
  QFile::copy(Pages(1), a + "x.pdf");
  form->OpenFromList(a + "x.pdf");
  form->StoreSettings();
  const QString settings_file = QSettings("Paginor", "Paginor").fileName();
  const QByteArray favourites = FileBytes(data_dir.path() + "/folders.dat");
  const QByteArray settings = FileBytes(settings_file);
  ASSERT_FALSE(favourites.isEmpty());
  ASSERT_FALSE(settings.isEmpty());
  const QString b = data_dir.path() + "/B/";
  QDir().mkpath(b);
  QFile::copy(Pages(1, "y.pdf"), b + "y.pdf");
  dialogs->messages.clear();
  {
    const FullDisk full;
    form->OpenFromList(b + "y.pdf");
    form->resize(form->width() + 40, form->height());
    form->StoreSettings();
  }
  ASSERT_EQ(dialogs->messages.size(), 2u);
  EXPECT_TRUE(dialogs->messages[0].text.startsWith(
      "Die Datei „" + data_dir.path() + "/folders.dat“ konnte nicht gespeichert werden."));
  EXPECT_TRUE(dialogs->messages[1].text.startsWith("Die Datei „" + settings_file + "“"));
  EXPECT_EQ(FileBytes(data_dir.path() + "/folders.dat"), favourites);
  EXPECT_EQ(FileBytes(settings_file), settings);
  // The list in the window holds the change all the same.
  EXPECT_EQ(form->Favourites(), (std::vector<std::string>{b.toStdString(), a.toStdString()}));
}

TEST_F(MainWindow, HtmlSaveAsksOnceBeforeReplacingPicturesOfTheSameNames) {
  form->openfilenow(Data("images/img2pdf-png.pdf"));  // bild001.jpg, bild002.gif, bild003.gif
  const QString dir = data_dir.path() + "/seite";
  QDir().mkpath(dir);
  for (const char* other : {"bild001.jpg", "bild003.gif"}) {
    QFile old(dir + "/" + other);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("alt");
  }
  dialogs->answer = QMessageBox::No;
  dialogs->save_names = {dir + "/p.htm"};
  form->HTMLBtnClick();
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text,
            "2 Bilddateien, auf die die Seite verweist, gibt es in diesem Ordner schon "
            "(bild001.jpg bis bild003.gif). Sollen sie ersetzt werden?");
  EXPECT_EQ(dialogs->messages[0].icon, QMessageBox::Question);
  // Declined: nothing is written, the other page keeps its pictures.
  EXPECT_FALSE(QFile::exists(dir + "/p.htm"));
  EXPECT_FALSE(QFile::exists(dir + "/bild002.gif"));
  EXPECT_EQ(FileBytes(dir + "/bild001.jpg"), "alt");

  dialogs->answer = QMessageBox::Yes;
  dialogs->save_names = {dir + "/p.htm"};
  form->HTMLBtnClick();
  EXPECT_EQ(dialogs->messages.size(), 2u);
  EXPECT_TRUE(FileBytes(dir + "/p.htm").contains("bild003.gif"));
  EXPECT_FALSE(QImage(dir + "/bild001.jpg").isNull());
  EXPECT_FALSE(QImage(dir + "/bild003.gif").isNull());

  // One picture that cannot be written is reported; the page and the others are there.
  QFile::remove(dir + "/bild002.gif");
  QDir().mkpath(dir + "/bild002.gif");
  dialogs->messages.clear();
  dialogs->save_names = {dir + "/p.htm"};
  form->HTMLBtnClick();
  ASSERT_EQ(dialogs->messages.size(), 2u);  // the question, then the failure
  EXPECT_EQ(dialogs->messages[1].text,
            "Die Seite ist gespeichert, aber ein Bild konnte nicht geschrieben werden: "
            "„bild002.gif“.\n\nUnter diesem Namen gibt es einen Ordner.");
}

TEST_F(MainWindow, NoSaveDuringAConversionAndTheViewIsReadOnly) {
  form->openfilenow(Data("text/ps2pdf-columns.pdf"));
  EXPECT_FALSE(form->Memo1->isReadOnly());
  const QString ten = Pages(10);
  bool read_only_meanwhile = false;
  QObject::connect(form->OpenPDFForm->ProgressBar1, &QProgressBar::valueChanged, [&](int v) {
    if (v != 50) return;
    read_only_meanwhile = form->Memo1->isReadOnly();
    dialogs->save_names = {data_dir.path() + "/t.txt"};
    form->SaveBtnClick();
    form->SaveRTFBtnClick();
    form->HTMLBtnClick();
    form->ChooseFontBtnClick();
  });
  form->openfilenow(ten);
  EXPECT_TRUE(read_only_meanwhile);
  EXPECT_FALSE(form->Memo1->isReadOnly());
  EXPECT_TRUE(dialogs->filters.empty());  // no save dialog was opened
  EXPECT_EQ(dialogs->font_dialogs, 0);
  EXPECT_FALSE(QFile::exists(data_dir.path() + "/t.txt"));
}

TEST_F(MainWindow, SaveDialogsOpenWithThePdfsNameInTheLastSaveFolder) {
  const QString pdf_dir = data_dir.path() + "/pdfs";
  QDir().mkpath(pdf_dir);
  QFile::copy(Data("text/ps2pdf-columns.pdf"), pdf_dir + "/bericht.pdf");
  form->openfilenow(pdf_dir + "/bericht.pdf");
  form->SaveBtnClick();  // cancelled: the folder is not remembered
  const QString out = data_dir.path() + "/ausgabe";
  QDir().mkpath(out);
  dialogs->save_names = {out + "/anders.txt"};
  form->SaveBtnClick();
  form->HTMLBtnClick();
  form->SaveRTFBtnClick();
  EXPECT_EQ(dialogs->save_suggestions,
            (std::vector<QString>{pdf_dir + "/bericht.txt", pdf_dir + "/bericht.txt",
                                  out + "/bericht.htm", out + "/bericht.rtf"}));
}

TEST_F(MainWindow, TitleNamesTheConvertedFileOnce) {
  EXPECT_EQ(form->windowTitle(), "Paginor 1.4");
  form->openfilenow(Data("text/ps2pdf-columns.pdf"));
  EXPECT_EQ(form->windowTitle(), "Paginor 1.4 – ps2pdf-columns.pdf");
  form->openfilenow(data_dir.path() + "/fehlt.pdf");  // not read: the title stays
  EXPECT_EQ(form->windowTitle(), "Paginor 1.4 – ps2pdf-columns.pdf");
}

TEST_F(MainWindow, FavouritesAreUtf8AndAnOldWindowsListIsConvertedOnce) {
  const QString folder = data_dir.path() + "/Łódź Москва 東京/";
  QDir().mkpath(folder);
  QFile::copy(Pages(1), folder + "x.pdf");
  form->OpenFromList(folder + "x.pdf");
  EXPECT_EQ(FileBytes(data_dir.path() + "/folders.dat"), (folder + "\r\n").toUtf8());
  form = std::make_unique<TMainForm>(data_dir.path());
  EXPECT_EQ(form->Favourites(), (std::vector<std::string>{folder.toStdString()}));

  // Windows-1252 bytes that are no UTF-8: "/Müller/" and "/€uro/".
  QFile old(data_dir.path() + "/folders.dat");
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("/M\xFCller/\r\n/\x80uro/\r\n");
  old.close();
  form = std::make_unique<TMainForm>(data_dir.path());
  EXPECT_EQ(form->Favourites(), (std::vector<std::string>{"/Müller/", "/€uro/"}));
  EXPECT_EQ(FileBytes(data_dir.path() + "/folders.dat"),
            QString("/Müller/\r\n/€uro/\r\n").toUtf8());
}

TEST_F(MainWindow, EscapePressesCancelInBothProgressWindows) {
  const QString ten = Pages(10);
  // The conversion: stopped before page 3.
  QMetaObject::Connection hook =
      QObject::connect(form->OpenPDFForm->ProgressBar1, &QProgressBar::valueChanged, [&](int v) {
        if (v == 20) QTest::keyClick(form->PageControl2, Qt::Key_Escape);
      });
  form->openfilenow(ten);
  QObject::disconnect(hook);
  EXPECT_EQ(form->FDoc.PageSizes.Count(), 2);
  // The HTML build: stopped after its first lines.
  form->openfilenow(ten);
  form->RTFToHTML();
  const std::size_t all_lines = form->FHTMLLines.size();
  int lines_built = 0;
  hook =
      QObject::connect(form->HTMLStatusForm->ProgressBar1, &QProgressBar::valueChanged, [&](int v) {
        if (v > 0 && ++lines_built == 2) {
          QTest::keyClick(form->HTMLStatusForm, Qt::Key_Escape);
        }
      });
  form->RTFToHTML();
  QObject::disconnect(hook);
  ASSERT_GT(lines_built, 0);
  EXPECT_LT(form->FHTMLLines.size(), all_lines / 2);
  // With no progress window shown, Escape is the focused widget's own.
  form->FDoc.FBreak = false;
  QTest::keyClick(form->PageControl2, Qt::Key_Escape);
  EXPECT_FALSE(form->FDoc.FBreak);
  EXPECT_NE(form->OpenPDFForm->BreakBtn->toolTip().indexOf(
                QKeySequence(Qt::Key_Escape).toString(QKeySequence::NativeText)),
            -1);
}

TEST_F(MainWindow, KeyboardShortcutsAndTheirTooltips) {
  form->openfilenow(Data("text/ps2pdf-columns.pdf"));
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  for (int tab : {4, 1, 3, 2, 0}) {
    QTest::keyClick(form.get(), static_cast<Qt::Key>(Qt::Key_1 + tab), Qt::ControlModifier);
    EXPECT_EQ(form->PageControl2->currentIndex(), tab);
  }
  // The offscreen platform leaves no window active once the HTML progress window has gone.
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  form->PageControl2->setCurrentIndex(2);
  QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(form->PageControl2->currentIndex(), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return form->JamShellList1->hasFocus(); }))
      << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className()
                                      : "none");
  QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
  QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(dialogs->filters,
            (std::vector<QString>{"Textdateien (*.txt)", "HTML-Dateien (*.htm *.html)"}));
  QTest::keyClick(form.get(), Qt::Key_F1);
  EXPECT_EQ(dialogs->infos, 1);
  dialogs->answer = QMessageBox::Cancel;
  QTest::keyClick(form.get(), Qt::Key_Q, Qt::ControlModifier);
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].caption, "Programm beenden");
  EXPECT_TRUE(form->isVisible());
  // Every shortcut is named in its control's tooltip.
  const auto named = [](const QString& tip, QKeySequence keys) {
    return tip.contains("(" + keys.toString(QKeySequence::NativeText) + ")");
  };
  EXPECT_TRUE(named(form->SaveBtn->toolTip(), QKeySequence(Qt::CTRL | Qt::Key_S)));
  EXPECT_TRUE(named(form->HTMLBtn->toolTip(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
  for (int tab = 0; tab < 5; ++tab) {
    EXPECT_TRUE(named(form->PageControl2->tabToolTip(tab),
                      QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + tab))))
        << tab;
  }
  EXPECT_TRUE(named(form->PageControl2->tabToolTip(0), QKeySequence(Qt::CTRL | Qt::Key_O)));
}

TEST_F(MainWindow, RemembersItsPlaceTheLastFolderAndTheSaveFolder) {
  {
    QSettings settings("Paginor", "Paginor");
    settings.clear();
  }
  form = std::make_unique<TMainForm>(data_dir.path());
  EXPECT_EQ(form->FolderModel->filePath(form->JamShellTree1->currentIndex()), QDir::homePath());
  const QString folder = data_dir.path() + "/zuletzt";
  const QString saves = data_dir.path() + "/ablage";
  QDir().mkpath(folder);
  QDir().mkpath(saves);
  form->show();
  form->setGeometry(120, 90, 900, 650);
  form->JamShellTree1->setCurrentIndex(form->FolderModel->index(folder));
  form->openfilenow(Data("text/ps2pdf-columns.pdf"));
  dialogs->save_names = {saves + "/a.txt"};
  form->SaveBtnClick();
  form->close();
  form = std::make_unique<TMainForm>(data_dir.path());
  form->show();
  EXPECT_EQ(form->FolderModel->filePath(form->JamShellTree1->currentIndex()), folder);
  EXPECT_EQ(form->FileModel->filePath(form->JamShellList1->rootIndex()), folder);
  // The tree opens the folders above it and scrolls it into view once they are loaded.
  EXPECT_TRUE(QTest::qWaitFor([&] {
    const QRect row = form->JamShellTree1->visualRect(form->JamShellTree1->currentIndex());
    return row.isValid() && form->JamShellTree1->viewport()->rect().contains(row.center());
  }));
  EXPECT_EQ(form->FSaveDir, saves);
  EXPECT_EQ(form->geometry().size(), QSize(900, 650));
}

TEST_F(MainWindow, TheFileListsNameColumnTakesTheFreeWidth) {
  form->resize(1400, 700);
  form->PageControl2->setCurrentIndex(0);
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return form->JamShellList1->columnWidth(0) > form->JamShellList1->viewport()->width() / 2;
  }));
}

TEST_F(MainWindow, TheFileListShowsAFileWrittenAnew) {
  const QString folder = data_dir.path() + "/liste";
  QDir().mkpath(folder);
  const QString path = folder + "/a.pdf";
  const auto write = [&path](int bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(bytes, 'x'));
  };
  write(5);
  form->JamShellTree1->setCurrentIndex(form->FolderModel->index(folder));
  QModelIndex size;
  ASSERT_TRUE(QTest::qWaitFor([&] {
    const QModelIndex name = form->FileModel->index(path);
    size = name.sibling(name.row(), 1);
    return name.isValid() && form->FileModel->data(size).toString() == "5 bytes";
  }));
  EXPECT_TRUE(form->FileWatcher->files().contains(path));
  QSignalSpy changed(form->FileWatcher, &QFileSystemWatcher::fileChanged);
  write(5000);
  EXPECT_TRUE(changed.wait(5000));  // the list is drawn again
  EXPECT_EQ(LiveFileDetail(*form->FileModel, size), QLocale::system().formattedDataSize(5000));
  const QModelIndex date = size.sibling(size.row(), 3);
  EXPECT_EQ(LiveFileDetail(*form->FileModel, date),
            QLocale::system().toString(QFileInfo(path).lastModified(), QLocale::ShortFormat));
  EXPECT_TRUE(LiveFileDetail(*form->FileModel, size.sibling(size.row(), 0)).isNull());
}

TEST_F(MainWindow, ClosingAsksFirst) {
  dialogs->answer = QMessageBox::Cancel;
  form->EndeBtnClick();
  EXPECT_TRUE(form->isVisible());
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].caption, "Programm beenden");
  EXPECT_EQ(dialogs->messages[0].text,
            "Hiermit beenden Sie das Programm! Alle nicht gespeicherten Daten gehen verloren!");
  dialogs->answer = QMessageBox::Ok;
  form->close();
  EXPECT_FALSE(form->isVisible());
}

TEST_F(MainWindow, ClosingDuringAConversionWaitsForIt) {
  const QString ten = Pages(10);
  QObject::connect(form->OpenPDFForm->ProgressBar1, &QProgressBar::valueChanged, [&](int v) {
    if (v == 30) form->close();
  });
  form->openfilenow(ten);
  EXPECT_EQ(form->FDoc.PageSizes.Count(), 3);  // stopped at the next page
  EXPECT_FALSE(form->isVisible());
}

// The colour of the status bar's progress panel at a fraction of its width.
QRgb PanelPixel(TMainForm& form, double fraction) {
  const QImage image = form.ProgressPanel->grab().toImage();
  return image.pixel(static_cast<int>(image.width() * fraction), image.height() / 2);
}

TEST_F(MainWindow, StatusBarBarGrowsAndShrinks) {
  const QRgb navy = qRgb(0, 0, 128);
  form->SetProStatus(50);
  form->SetProStatus(30);
  EXPECT_EQ(form->FProgress, 30);
  EXPECT_EQ(PanelPixel(*form, 0.28), navy);
  EXPECT_NE(PanelPixel(*form, 0.35), navy);
  form->SetProStatus(60);
  EXPECT_EQ(PanelPixel(*form, 0.58), navy);
  EXPECT_NE(PanelPixel(*form, 0.65), navy);
  EXPECT_EQ(form->FProgressRect.width(), form->ProgressPanel->width());

  TProgressEvent event(75);
  QCoreApplication::sendEvent(form.get(), &event);
  EXPECT_EQ(form->FProgress, 75);
  EXPECT_EQ(form->OpenPDFForm->ProgressBar1->value(), 75);
  EXPECT_EQ(form->HTMLStatusForm->ProgressBar1->value(), 75);
}

}  // namespace
}  // namespace paginor
