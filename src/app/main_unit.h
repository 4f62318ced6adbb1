// TMainForm: the main window. It owns the per-document state, shows the work as five tabs
// and is the conversion's host: progress, status lines, password, messages, options.
#pragma once

#include <QEvent>
#include <QImage>
#include <QKeySequence>
#include <QMainWindow>
#include <QTemporaryDir>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "app/picture_logic.h"
#include "app/thumbnail_cache.h"
#include "app/thumbnail_maker.h"
#include "convert/document_state.h"
#include "convert/host.h"

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QListWidget;
class QPainter;
class QPrinter;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QStatusBar;
class QTabWidget;
class QTextBrowser;
class QTextEdit;
class QTreeView;

namespace paginor {

class TEnterPassForm;
class THTMLStatusForm;
class TOpenPDFForm;
class TPaintBox;
class TViewPicForm;

// The main window's user message: a progress percentage for the status bar and both
// progress windows.
class TProgressEvent final : public QEvent {
 public:
  static QEvent::Type Kind();
  explicit TProgressEvent(int percent) : QEvent(Kind()), percent_(percent) {}
  int Percent() const { return percent_; }

 private:
  int percent_;
};

// "Paginor 1.4", followed by " – " and the file's name once a file is converted.
QString WindowTitle(const QString& converted_file);

// The HTML preview shows pictures at most this large, scaled down with their proportions.
inline const QSize kPreviewPictureLimit(1600, 1600);
QSize PreviewPictureSize(QSize picture, QSize limit);
QImage PreviewPicture(const TDIB& dib);
// A line of the page as the preview parses it: the line's div closed, as a browser shows it.
QString PreviewLine(const QString& line);

// The file list's size (column 1) or date (column 3) of a file as it is on disk now, written as
// the model writes them; null for other columns and for folders.
QString LiveFileDetail(const QFileSystemModel& model, const QModelIndex& index);

// A gallery thumbnail of the given size in logical pixels, drawn at the device's pixels;
// show_message gets what drawing could not do.
QImage DrawThumbnail(const TDIB& picture, QSize size, qreal device_pixel_ratio,
                     const std::function<void(const std::string&)>& show_message);
QImage DrawThumbnail(const TDIB& picture, QSize size, qreal device_pixel_ratio);

// A tooltip's text followed by its keys in parentheses, in the user's language.
QString WithShortcut(const QString& hint, const QKeySequence& keys);

// Keeps a text view read-only while a long operation works on the document it shows.
class TReadOnlyView {
 public:
  explicit TReadOnlyView(QTextEdit& view);
  ~TReadOnlyView();
  TReadOnlyView(const TReadOnlyView&) = delete;
  TReadOnlyView& operator=(const TReadOnlyView&) = delete;

 private:
  QTextEdit& view_;
  bool was_read_only_;
};

class TMainForm final : public QMainWindow, public TConversionHost {
 public:
  // program_dir: the per-user data folder where "folders.dat" lives.
  explicit TMainForm(const QString& program_dir, QWidget* parent = nullptr);
  ~TMainForm() override;

  // Converts the PDF file named by the first argument, if it names one.
  void FormShow(const QStringList& arguments);
  void openfilenow(const QString& path);

  // The conversion's host: the progress window TOpenPDFForm with its Label2 (the step) and
  // StatusMemo, the progress bars, Label6 ("von " and the page count), the text tab.
  void BeginProgress() override;
  void EndProgress() override;
  void SetStep(const std::string& text) override;
  void StatusLine(const std::string& line) override;
  void SetProgress(int percent) override { SetProStatus(percent); }
  // Processes the window's events; false once "Aktion abbrechen" has set FBreak.
  bool PumpAndCancel() override;
  void SetPageCount(int count) override;
  void Done() override;
  TConvertOptions Options() override;
  void Message(const std::string& text, const std::string& caption, TMessageIcon icon) override;
  std::optional<std::string> AskPassword() override;

  // Both progress windows' bars and the status bar's panel.
  void SetProStatus(int percent);

  // Progress drawing.
  void StatusBar1DrawPanel(QPainter& painter, const QRect& rect);
  void SBarPaintMore();

  // Commands.
  void EndeBtnClick();
  void ueberbtnClick();
  void ReadNewBtnClick();
  void PageControl2Change(int index);
  void RTFToHTML();
  void SaveBtnClick();
  void HTMLBtnClick();
  void SaveRTFBtnClick();
  // Where a save dialog opens: the last save's folder, else the PDF file's, with the PDF's
  // name and the format's extension.
  QString SuggestedSavePath(const QString& extension) const;
  void JamShellList1DblClick();
  void PrefListBoxDblClick();
  // Tab 1: the page preview and the chosen font.
  void ChooseFontBtnClick();
  void ZoomEdChange();
  // Run directly: sizes the paint box to the page, or paints it at once.
  void PaintBox1Paint();
  void PaintBox1Paint(QPainter& painter);
  // The default printer's page, which the preview shows where the document has no such page.
  TPrinterPage PrinterPage() const;
  // Tab 3: the gallery and saving all images.
  void PaintBox2Paint(QPainter& painter);
  // True while the gallery waits for thumbnails it asked for.
  bool ThumbnailsBeingMade() const { return thumbnail_maker_.Busy(); }
  void PaintBox2MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y);
  void ScrollImageInView();
  void PaintBox2DblClick();
  void SaveAllPicsBtnClick();
  void DirectoryBtnClick();
  // Opening a file as the file list does: its folder becomes the newest favourite.
  void OpenFromList(const QString& path);
  // Ctrl+O: the file tab, with the keyboard in the file list.
  void ShowFileList();
  // The window's keyboard shortcuts besides Ctrl+1 to Ctrl+5 for the tabs.
  struct TShortcut {
    QKeySequence keys;
    void (TMainForm::*command)();
  };
  static const std::vector<TShortcut>& Shortcuts();
  // Where the file tab starts: the folder used last, else the home folder.
  static QString StartFolder();
  // The window's place and size, the last folder and the save folder, into the settings.
  void StoreSettings();

  // The per-document state, FBusy and FBreak with it.
  TDocumentState FDoc;
  QString FProgramDir;
  QString FFileName;
  QString FConvertedFile;  // the file of the document shown, however it was opened
  QString FSaveDir;        // the folder of the last save, where the save dialogs open
  std::vector<std::string> FHTMLLines;
  int FProgress = 0;
  QRect FProgressRect;
  QFont FChosenFont;       // FontDialog1's font
  int FSelectedImage = 0;  // the gallery's selection, from 1; 0: none
  // The program's printer: the page preview's page when there is no document page, and the
  // print jobs. The viewer and the print window use it only while they are shown.
  std::unique_ptr<QPrinter> Printer;

  // Components, by the names the program's behaviour uses.
  QTabWidget* PageControl2 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QWidget* ProgressPanel = nullptr;
  TOpenPDFForm* OpenPDFForm = nullptr;
  THTMLStatusForm* HTMLStatusForm = nullptr;
  TEnterPassForm* EnterPassForm = nullptr;
  TViewPicForm* ViewPicForm = nullptr;
  // Tab 0
  QListWidget* PrefListBox = nullptr;
  QTreeView* JamShellTree1 = nullptr;
  QTreeView* JamShellList1 = nullptr;
  QComboBox* FilterComboBox1 = nullptr;
  QFileSystemModel* FolderModel = nullptr;
  QFileSystemModel* FileModel = nullptr;
  QFileSystemWatcher* FileWatcher = nullptr;  // the PDF files the list shows
  // Tab 1
  QCheckBox* HorzLayCheck = nullptr;
  QCheckBox* VertLayCheck = nullptr;
  QCheckBox* StartWTCheck = nullptr;
  QCheckBox* HTMLLinksCheck = nullptr;
  QCheckBox* TabsCheck = nullptr;
  QCheckBox* ReadPicsCheck = nullptr;
  QCheckBox* ModernCheck = nullptr;  // "Moderne und beschädigte PDF-Dateien lesen"
  QSpinBox* SpaceWidthEd = nullptr;
  QPushButton* ReadNewBtn = nullptr;
  QPushButton* ChooseFontBtn = nullptr;
  QLabel* Label4 = nullptr;
  QSpinBox* ZoomEd = nullptr;
  QSpinBox* PageEd = nullptr;
  QLabel* Label6 = nullptr;
  QScrollArea* ScrollBox1 = nullptr;
  TPaintBox* PaintBox1 = nullptr;
  // Tab 2
  QTextEdit* Memo1 = nullptr;
  QPushButton* HTMLBtn = nullptr;
  QPushButton* SaveBtn = nullptr;
  QPushButton* SaveRTFBtn = nullptr;
  // Tab 3
  QLineEdit* DirectoryEdit1 = nullptr;
  QPushButton* DirectoryBtn = nullptr;  // the folder field's browse button
  QLineEdit* BaseEd = nullptr;
  QComboBox* PicFormatBox = nullptr;  // the file type of "Alle Bilder speichern..."
  QPushButton* SaveAllPicsBtn = nullptr;
  QScrollArea* ScrollBox2 = nullptr;
  TPaintBox* PaintBox2 = nullptr;
  // Tab 4
  QTextBrowser* WebBrowser1 = nullptr;

  // The private temporary folder of this run, removed at exit; "htmlout" goes inside it.
  QString TemporaryDir() const { return temp_dir_.path(); }
  // Favourite folders as the list shows them.
  std::vector<std::string> Favourites() const;

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* MakeFilesTab();
  QWidget* MakeConfigTab();
  QWidget* MakeTextTab();
  QWidget* MakeImagesTab();
  QWidget* MakeHtmlTab();
  QWidget* MakeBottomStrip();
  void MakeStatusBar();
  void MakeShortcuts();
  void RestoreSettings();
  // Escape presses "Aktion abbrechen" of the progress window that is shown; true if it did.
  bool PressCancel(QEvent* event);
  // Shows the tree's current folder once the tree has loaded the folders above it.
  void ScrollToStartFolder(const QString& loaded);
  // Watches the files of the list's folder, so that the list shows a changed size or date.
  void WatchShownFiles();
  void LoadFavourites();
  void StoreFavourites();
  void AddToPrefFolders(const QString& folder);
  // Writes the view's edits back into the document before anything reads it.
  void SyncDocumentFromView();
  // Gives the view the empty lines the HTML builds added to the document meanwhile.
  void CatchUpView();
  void ShowDocumentInView();
  void HtmlPreview();
  // Waits, with the events processed, until the last preview's files are written.
  void WaitForPreviewFiles();
  // The save dialog of a document format. Empty: cancelled.
  QString AskSavePath(const QString& caption, const QString& filter, const QString& extension);
  // The next save dialog opens in the folder of this saved file.
  void RememberSaveFolder(const QString& saved_file);
  void ApplyChosenFont();
  // True when the preview's paint box had to change its size to the page's.
  bool FitPaintBox1();
  // The gallery's paint box: the scroll box's width, rows for every image.
  void FitPaintBox2();
  // A thumbnail made away from the window's thread: cached and shown.
  void ThumbnailMade(int index, QSize size, qreal ratio, const QImage& image,
                     const std::string& message);

  QTemporaryDir temp_dir_;
  std::future<void> preview_files_;  // the preview's page and pictures being written
  TThumbnailCache thumbnails_;       // the gallery's, for the document shown
  TThumbnailMaker thumbnail_maker_;  // after the cache, which it fills: it ends first
  bool view_edited_ = false;
  bool filling_view_ = false;
  int view_missing_lines_ = 0;  // empty lines at the document's end the view lacks
  bool close_pending_ = false;  // closing was confirmed while an operation ran
};

}  // namespace paginor
