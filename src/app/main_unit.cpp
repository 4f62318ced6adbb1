// TMainForm: creation, the layout of the five tabs and the bottom strip, closing.
#include "app/main_unit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "app/decorations.h"
#include "app/dialogs.h"
#include "app/enter_pass_form.h"
#include "app/paint_box.h"
#include "app/progress_forms.h"
#include "app/view_pic_form.h"
#include "images/image_files.h"

namespace paginor {

namespace {

// A tab: its bold heading line, then (for most tabs) the title panel on the left of the
// content.
QWidget* TabPage(const QString& heading, const QString& title, QWidget* content, QWidget* parent) {
  auto* page = new QWidget(parent);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(6, 6, 6, 6);
  auto* head = new QLabel(heading, page);
  QFont bold = head->font();
  bold.setBold(true);
  head->setFont(bold);
  head->setWordWrap(true);
  layout->addWidget(head);
  auto* row = new QHBoxLayout;
  if (!title.isEmpty()) row->addWidget(new TTitlePanel(title, page));
  row->addWidget(content, 1);
  layout->addLayout(row, 1);
  return page;
}

std::unique_ptr<QPrinter> MakePrinter() {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (QPrinterInfo::defaultPrinter().isNull()) {
    // No printer installed: a whole page of A4 at the printer's resolution.
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setFullPage(true);
  }
  return printer;
}

}  // namespace

QString WindowTitle(const QString& converted_file) {
  const QString title = "Paginor 1.4";
  if (converted_file.isEmpty()) return title;
  return title + " – " + QFileInfo(converted_file).fileName();
}

TReadOnlyView::TReadOnlyView(QTextEdit& view) : view_(view), was_read_only_(view.isReadOnly()) {
  view_.setReadOnly(true);
}

TReadOnlyView::~TReadOnlyView() {
  view_.setReadOnly(was_read_only_);
}

TMainForm::TMainForm(const QString& program_dir, QWidget* parent)
    : QMainWindow(parent),
      FProgramDir(program_dir),
      thumbnail_maker_(this, [this](int index, QSize size, qreal ratio, const QImage& image,
                                    const std::string& message) {
        ThumbnailMade(index, size, ratio, image, message);
      }) {
  setWindowTitle(WindowTitle({}));
  setWindowIcon(QIcon(ProgramIcon(64)));
  resize(622, 489);
  setAcceptDrops(true);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 0);
  PageControl2 = new QTabWidget(central);
  PageControl2->addTab(
      TabPage("PDF-Datei auswählen - Wählen Sie die zu konvertierende PDF-Datei aus", {},
              MakeFilesTab(), PageControl2),
      "PDF-Datei wählen");
  PageControl2->addTab(TabPage("Konfiguration ändern - Verändern Sie die Einstellugen wie "
                               "Schriftgröße und Papiergröße",
                               "Konfiguration ändern...", MakeConfigTab(), PageControl2),
                       "Konfiguration");
  PageControl2->addTab(TabPage("Text ausgeben - Sie können nun den Text ansehen und speichern",
                               "Text ausgeben...", MakeTextTab(), PageControl2),
                       "Text ausgeben");
  PageControl2->addTab(TabPage("Bilder ausgeben - Sie können nun die extrahierten Bilder "
                               "ansehen und speichern",
                               "Bilder ausgeben...", MakeImagesTab(), PageControl2),
                       "Bilder ausgeben");
  PageControl2->addTab(TabPage("HTML Vorschau - Hier können Sie sehen, wie das Dokument im "
                               "HTML-Format aussieht",
                               "HTML Vorschau...", MakeHtmlTab(), PageControl2),
                       "HTML Vorschau");
  layout->addWidget(PageControl2, 1);
  layout->addWidget(MakeBottomStrip());
  setCentralWidget(central);
  MakeStatusBar();

  Printer = MakePrinter();
  OpenPDFForm = new TOpenPDFForm(this);
  ViewPicForm = new TViewPicForm(*Printer, this);
  HTMLStatusForm = new THTMLStatusForm(this);
  EnterPassForm = new TEnterPassForm(this);
  connect(OpenPDFForm->BreakBtn, &QPushButton::clicked, this, [this] { FDoc.FBreak = true; });
  connect(HTMLStatusForm->BreakBtn, &QPushButton::clicked, this, [this] { FDoc.FBreak = true; });
  connect(PageControl2, &QTabWidget::currentChanged, this, &TMainForm::PageControl2Change);

  // FormCreate: the tree on the folder used last, the favourites, the chosen font.
  QDir().mkpath(FProgramDir);
  const QString start = StartFolder();
  JamShellTree1->setCurrentIndex(FolderModel->index(start));
  JamShellList1->setRootIndex(FileModel->index(start));
  WatchShownFiles();
  connect(FolderModel, &QFileSystemModel::directoryLoaded, this, &TMainForm::ScrollToStartFolder);
  JamShellTree1->scrollTo(JamShellTree1->currentIndex(), QAbstractItemView::PositionAtCenter);
  RestoreSettings();
  MakeShortcuts();
  LoadFavourites();
  FChosenFont = QFont("Arial");
  FChosenFont.setPixelSize(15);
  ApplyChosenFont();
  qApp->installEventFilter(this);
  PageControl2->setCurrentIndex(0);
  PaintBox1Paint();
  FitPaintBox2();
}

TMainForm::~TMainForm() {
  qApp->removeEventFilter(this);
  // The preview's files are written into the temporary folder, which goes with the window.
  if (preview_files_.valid()) preview_files_.wait();
}

QWidget* TMainForm::MakeConfigTab() {
  auto* box = new QWidget(this);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* options = new QGroupBox("Einstellungen", box);
  auto* grid = new QGridLayout(options);
  HorzLayCheck = new QCheckBox("Horizontales Layout ausgleichen", options);
  VertLayCheck = new QCheckBox("Vertikales Layout ausgleichen", options);
  StartWTCheck = new QCheckBox("Horizontal beim Textstart beginnen", options);
  HTMLLinksCheck = new QCheckBox("HTML Links zu den Bildern", options);
  TabsCheck = new QCheckBox("Tabs statt Leerzeichen (für HTML nicht geeignet!)", options);
  ReadPicsCheck = new QCheckBox("Bilder einlesen", options);
  for (QCheckBox* on : {HorzLayCheck, VertLayCheck, StartWTCheck, HTMLLinksCheck, ReadPicsCheck}) {
    on->setChecked(true);
  }
  grid->addWidget(HorzLayCheck, 0, 0);
  grid->addWidget(VertLayCheck, 1, 0);
  grid->addWidget(StartWTCheck, 2, 0);
  grid->addWidget(HTMLLinksCheck, 0, 1);
  grid->addWidget(TabsCheck, 1, 1);
  grid->addWidget(ReadPicsCheck, 2, 1);
  ModernCheck = new QCheckBox("Moderne und beschädigte PDF-Dateien lesen", options);
  ModernCheck->setChecked(true);
  grid->addWidget(ModernCheck, 3, 0, 1, 2);
  auto* space = new QHBoxLayout;
  space->addWidget(new QLabel("Leerzeichenbreite:", options));
  SpaceWidthEd = new QSpinBox(options);
  SpaceWidthEd->setRange(1, 1000);
  SpaceWidthEd->setValue(25);
  space->addWidget(SpaceWidthEd);
  space->addWidget(new QLabel("%", options));
  space->addStretch();
  grid->addLayout(space, 4, 0);
  ReadNewBtn = new QPushButton("PDF Neu lesen", options);
  grid->addWidget(ReadNewBtn, 4, 1, Qt::AlignLeft);
  auto* font_row = new QHBoxLayout;
  ChooseFontBtn = new QPushButton("Schriftart auswählen:", options);
  Label4 = new QLabel(options);
  font_row->addWidget(ChooseFontBtn);
  font_row->addWidget(Label4, 1);
  grid->addLayout(font_row, 5, 0, 1, 2);
  auto* view_row = new QHBoxLayout;
  view_row->addWidget(new QLabel("Zoom:", options));
  ZoomEd = new QSpinBox(options);
  ZoomEd->setRange(10, 300);
  ZoomEd->setSingleStep(10);
  ZoomEd->setValue(100);
  view_row->addWidget(ZoomEd);
  view_row->addSpacing(16);
  view_row->addWidget(new QLabel("Seite:", options));
  PageEd = new QSpinBox(options);
  PageEd->setRange(1, 10000);
  PageEd->setValue(1);
  view_row->addWidget(PageEd);
  Label6 = new QLabel("von 0", options);
  view_row->addWidget(Label6);
  view_row->addStretch();
  grid->addLayout(view_row, 6, 0, 1, 2);
  layout->addWidget(options);
  ScrollBox1 = new QScrollArea(box);
  PaintBox1 = new TPaintBox(ScrollBox1);
  PaintBox1->setObjectName("PaintBox1");
  ScrollBox1->setWidget(PaintBox1);
  ScrollBox1->setBackgroundRole(QPalette::Dark);
  layout->addWidget(ScrollBox1, 1);
  PaintBox1->OnPaint = [this](QPainter& painter) { PaintBox1Paint(painter); };
  connect(ReadNewBtn, &QPushButton::clicked, this, &TMainForm::ReadNewBtnClick);
  connect(ChooseFontBtn, &QPushButton::clicked, this, &TMainForm::ChooseFontBtnClick);
  connect(ZoomEd, &QSpinBox::valueChanged, this, &TMainForm::ZoomEdChange);
  connect(PageEd, &QSpinBox::valueChanged, this, &TMainForm::ZoomEdChange);
  return box;
}

QWidget* TMainForm::MakeTextTab() {
  auto* box = new QWidget(this);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  Memo1 = new QTextEdit(box);
  Memo1->setLineWrapMode(QTextEdit::NoWrap);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setTabChangesFocus(false);
  Memo1->setAcceptRichText(false);
  layout->addWidget(Memo1, 1);
  auto* buttons = new QHBoxLayout;
  HTMLBtn = new QPushButton("Als HTML speichern unter...", box);
  SaveBtn = new QPushButton("Text speichern unter...", box);
  SaveRTFBtn = new QPushButton("Richtext/Word speichern unter...", box);
  buttons->addWidget(HTMLBtn);
  buttons->addWidget(SaveBtn);
  buttons->addWidget(SaveRTFBtn);
  buttons->addStretch();
  layout->addLayout(buttons);
  layout->addWidget(new QLabel("Nur im HTML-Format werden Bilder angezeigt!", box));
  connect(Memo1, &QTextEdit::textChanged, this, [this] {
    if (!filling_view_) view_edited_ = true;
  });
  connect(HTMLBtn, &QPushButton::clicked, this, &TMainForm::HTMLBtnClick);
  connect(SaveBtn, &QPushButton::clicked, this, &TMainForm::SaveBtnClick);
  connect(SaveRTFBtn, &QPushButton::clicked, this, &TMainForm::SaveRTFBtnClick);
  return box;
}

QWidget* TMainForm::MakeImagesTab() {
  auto* box = new QWidget(this);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Ausgabeverzeichnis:", box), 0, 0);
  auto* folder = new QHBoxLayout;
  DirectoryEdit1 = new QLineEdit(QDir::homePath(), box);
  DirectoryBtn = new QPushButton("...", box);
  DirectoryBtn->setToolTip("Ausgabeverzeichnis wählen");
  DirectoryBtn->setFixedWidth(DirectoryBtn->fontMetrics().horizontalAdvance("...") + 24);
  folder->addWidget(DirectoryEdit1, 1);
  folder->addWidget(DirectoryBtn);
  grid->addLayout(folder, 0, 1);
  grid->addWidget(new QLabel("Dateiname (Basis für alle Dateinamen):", box), 1, 0);
  BaseEd = new QLineEdit("Bild", box);
  grid->addWidget(BaseEd, 1, 1);
  grid->addWidget(new QLabel("Dateiformat:", box), 2, 0);
  auto* save_row = new QHBoxLayout;
  PicFormatBox = new QComboBox(box);
  PicFormatBox->addItem("JPEG für Farbbilder, sonst GIF", 0);
  for (int code = static_cast<int>(TDibFormat::Bmp); code <= static_cast<int>(TDibFormat::Png);
       ++code) {
    PicFormatBox->addItem(
        QString::fromStdString(ExtensionOf(static_cast<TDibFormat>(code))).toUpper(), code);
  }
  save_row->addWidget(PicFormatBox);
  SaveAllPicsBtn = new QPushButton("Alle Bilder speichern...", box);
  save_row->addWidget(SaveAllPicsBtn);
  save_row->addStretch();
  grid->addLayout(save_row, 2, 1);
  layout->addLayout(grid);
  ScrollBox2 = new QScrollArea(box);
  ScrollBox2->setBackgroundRole(QPalette::Dark);
  // Always there, so that fitting the grid to the width cannot make it come and go.
  ScrollBox2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  ScrollBox2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  PaintBox2 = new TPaintBox(ScrollBox2);
  PaintBox2->setObjectName("PaintBox2");
  ScrollBox2->setWidget(PaintBox2);
  layout->addWidget(ScrollBox2, 1);
  PaintBox2->OnPaint = [this](QPainter& painter) { PaintBox2Paint(painter); };
  PaintBox2->OnMouseDown = [this](QMouseEvent& e) {
    const QPoint at = e.position().toPoint();
    PaintBox2MouseDown(e.button(), e.modifiers(), at.x(), at.y());
  };
  PaintBox2->OnDblClick = [this](QMouseEvent&) { PaintBox2DblClick(); };
  connect(SaveAllPicsBtn, &QPushButton::clicked, this, &TMainForm::SaveAllPicsBtnClick);
  connect(DirectoryBtn, &QPushButton::clicked, this, &TMainForm::DirectoryBtnClick);
  return box;
}

QWidget* TMainForm::MakeHtmlTab() {
  WebBrowser1 = new QTextBrowser(this);
  WebBrowser1->setOpenLinks(false);
  return WebBrowser1;
}

QWidget* TMainForm::MakeBottomStrip() {
  auto* strip = new QWidget(this);
  auto* layout = new QHBoxLayout(strip);
  layout->setContentsMargins(0, 2, 0, 2);
  layout->addStretch();
  auto* ueberbtn = new TImageBtn(ButtonPicture(TButtonPicture::Info, false),
                                 ButtonPicture(TButtonPicture::Info, true), strip);
  ueberbtn->setToolTip(WithShortcut("Informationen über das Programm", QKeySequence(Qt::Key_F1)));
  auto* endebtn = new TImageBtn(ButtonPicture(TButtonPicture::Exit, false),
                                ButtonPicture(TButtonPicture::Exit, true), strip);
  endebtn->setToolTip(
      WithShortcut("Hiermit verlassen Sie das Programm", QKeySequence(Qt::CTRL | Qt::Key_Q)));
  layout->addWidget(ueberbtn);
  layout->addWidget(endebtn);
  connect(ueberbtn, &TImageBtn::clicked, this, &TMainForm::ueberbtnClick);
  connect(endebtn, &TImageBtn::clicked, this, &TMainForm::EndeBtnClick);
  return strip;
}

void TMainForm::EndeBtnClick() {
  close();
}

void TMainForm::ueberbtnClick() {
  Dialogs().Info(this);
}

void TMainForm::ReadNewBtnClick() {
  if (!FFileName.isEmpty()) openfilenow(FFileName);
  PaintBox1Paint();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  // FormCloseQuery: the same question from the close box, the exit button and the keyboard.
  if (!close_pending_) {
    const auto answer = Dialogs().Message(
        this, "Hiermit beenden Sie das Programm! Alle nicht gespeicherten Daten gehen verloren!",
        "Programm beenden", QMessageBox::Information, QMessageBox::Ok | QMessageBox::Cancel);
    if (answer != QMessageBox::Ok) {
      event->ignore();
      return;
    }
  }
  if (FDoc.FBusy) {
    // The running operation still uses the window's state: stop it, close afterwards.
    close_pending_ = true;
    FDoc.FBreak = true;
    event->ignore();
    return;
  }
  OpenPDFForm->hide();
  HTMLStatusForm->hide();
  StoreSettings();
  event->accept();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (PressCancel(event)) return true;
  // The grid follows the gallery's width, also before it paints.
  if (event->type() == QEvent::Resize && ScrollBox2 != nullptr &&
      watched == ScrollBox2->viewport() && !FDoc.FBusy) {
    FitPaintBox2();
  }
  // The mouse wheel over the window scrolls the preview on tab 1 and the gallery on tab 3.
  if (event->type() == QEvent::Wheel && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    QScrollArea* area = PageControl2->currentIndex() == 1   ? ScrollBox1
                        : PageControl2->currentIndex() == 3 ? ScrollBox2
                                                            : nullptr;
    if (area != nullptr) {
      const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
      if (delta != 0) {
        QScrollBar* bar = area->verticalScrollBar();
        bar->setValue(bar->value() + (delta > 0 ? -20 : 20));
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace paginor
