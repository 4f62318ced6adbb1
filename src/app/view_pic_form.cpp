#include "app/view_pic_form.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <memory>

#include "app/dialogs.h"
#include "app/main_unit.h"
#include "app/paint_box.h"
#include "app/picture_logic.h"
#include "app/print_form.h"
#include "app/saving.h"
#include "images/stretch_draw.h"
#include "platform/file_saving.h"
#include "platform/qpainter_dc.h"

namespace paginor {

TViewPicForm::TViewPicForm(QPrinter& printer, QWidget* parent)
    : QDialog(parent), printer_(printer) {
  setWindowTitle("Bild betrachten...");
  resize(532, 420);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  Panel5 = new QWidget(this);
  auto* panel = new QHBoxLayout(Panel5);
  panel->setContentsMargins(6, 6, 6, 6);
  ReadyBtn = new QPushButton("Zurück...", Panel5);
  PrintBrn = new QPushButton("&Drucken", Panel5);
  SaveAsBtn = new QPushButton("Bild speichern unter...", Panel5);
  Label1 = new QLabel("Zoom:", Panel5);
  ZoomEd = new QSpinBox(Panel5);
  ZoomEd->setRange(5, 9000);
  ZoomEd->setSingleStep(10);
  ZoomEd->setValue(100);
  panel->addWidget(ReadyBtn);
  panel->addWidget(PrintBrn);
  panel->addWidget(SaveAsBtn);
  panel->addStretch();
  panel->addWidget(Label1);
  panel->addWidget(ZoomEd);
  layout->addWidget(Panel5);

  ScrollBox1 = new QScrollArea(this);
  ScrollBox1->setBackgroundRole(QPalette::Dark);
  PaintBox1 = new TPaintBox(ScrollBox1);
  PaintBox1->setObjectName("PaintBox1");
  PaintBox1->setCursor(Qt::PointingHandCursor);
  ScrollBox1->setWidget(PaintBox1);
  layout->addWidget(ScrollBox1, 1);
  StatusBar1 = new QStatusBar(this);
  layout->addWidget(StatusBar1);

  PaintBox1->OnPaint = [this](QPainter& painter) { PaintBox1Paint(painter); };
  PaintBox1->OnMouseDown = [this](QMouseEvent& e) {
    PaintBox1MouseDown(e.position().toPoint().x(), e.position().toPoint().y());
  };
  PaintBox1->OnMouseMove = [this](QMouseEvent& e) {
    PaintBox1MouseMove(e.position().toPoint().x(), e.position().toPoint().y());
  };
  PaintBox1->OnMouseUp = [this](QMouseEvent&) { PaintBox1MouseUp(); };
  auto* print = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
  connect(print, &QShortcut::activated, this, &TViewPicForm::PrintBrnClick);
  PrintBrn->setToolTip(WithShortcut("Das Bild drucken", print->key()));
  connect(ReadyBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(PrintBrn, &QPushButton::clicked, this, &TViewPicForm::PrintBrnClick);
  connect(SaveAsBtn, &QPushButton::clicked, this, &TViewPicForm::SaveAsBtnClick);
  connect(ZoomEd, &QSpinBox::valueChanged, this, &TViewPicForm::ZoomEdChange);
  qApp->installEventFilter(this);
}

TViewPicForm::~TViewPicForm() {
  qApp->removeEventFilter(this);
}

bool TViewPicForm::FitPaintBox() {
  const TPixelSize size = ViewerPictureSize(Bitmap.Width(), Bitmap.Height(), ZoomEd->value());
  if (PaintBox1->width() == size.Width && PaintBox1->height() == size.Height) return false;
  // Both at once: a paint box without width or height gets no paint that could fit the other.
  PaintBox1->resize(size.Width, size.Height);
  return true;
}

void TViewPicForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A new picture may need another size before anything can paint.
  FitPaintBox();
}

void TViewPicForm::PaintBox1Paint() {
  if (!FitPaintBox()) PaintBox1->repaint();
}

void TViewPicForm::PaintBox1Paint(QPainter& painter) {
  if (FitPaintBox()) return;
  TQPainterDC dc(painter, TQPainterDC::TTarget::Screen, PlainMessage);
  StretchDrawDIB(dc, 0, 0, PaintBox1->width(), PaintBox1->height(), Bitmap, 0, 0, Bitmap.Width(),
                 Bitmap.Height(), true, SRCCOPY, false, nullptr);
}

void TViewPicForm::ZoomEdChange() {
  PaintBox1Paint();
}

void TViewPicForm::PaintBox1MouseDown(int X, int Y) {
  FDragging = true;
  FGrabX = X;
  FGrabY = Y;
}

void TViewPicForm::PaintBox1MouseMove(int X, int Y) {
  if (!FDragging) return;
  // The paint box moves with the positions, so the grabbed point stays under the pointer.
  QScrollBar* horizontal = ScrollBox1->horizontalScrollBar();
  QScrollBar* vertical = ScrollBox1->verticalScrollBar();
  const int h = PanPosition(horizontal->value(), FGrabX, X, horizontal->maximum());
  const int v = PanPosition(vertical->value(), FGrabY, Y, vertical->maximum());
  horizontal->setValue(h);
  vertical->setValue(v);
}

void TViewPicForm::PaintBox1MouseUp() {
  FDragging = false;
}

void TViewPicForm::FormMouseWheelDown() {
  QScrollBar* bar = ScrollBox1->verticalScrollBar();
  bar->setValue(bar->value() + 20);
}

void TViewPicForm::FormMouseWheelUp() {
  QScrollBar* bar = ScrollBox1->verticalScrollBar();
  bar->setValue(bar->value() - 20);
}

bool TViewPicForm::eventFilter(QObject* watched, QEvent* event) {
  // Each wheel step over the window scrolls the picture; the wheel does not zoom.
  if (event->type() == QEvent::Wheel && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
    if (delta > 0) FormMouseWheelUp();
    if (delta < 0) FormMouseWheelDown();
    if (delta != 0) return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TViewPicForm::SaveAsBtnClick() {
  QStringList types;
  for (const std::string& entry : FilterEntries(GetDIBSaveFilter()))
    types << QString::fromStdString(entry);
  const QFileInfo suggestion(SaveSuggestion.isEmpty() ? QDir::homePath() + "/Bild"
                                                      : SaveSuggestion);
  const QString folder = save_dir_.isEmpty() ? suggestion.absolutePath() : save_dir_;
  const auto chosen = Dialogs().SaveFileWithType(
      this, "Bild speichern unter", types, FSaveType,
      QDir(folder).filePath(suggestion.fileName() +
                            QString::fromStdString(SaveExtension(FSaveType))));
  if (!chosen) return;
  FSaveType = chosen->type;
  const QString path =
      QString::fromStdString(NameWithDefaultExtension(chosen->path.toStdString(), chosen->type));

  // The dialog asked about the name as typed; the extension added since may name another file.
  if (path != chosen->path && QFileInfo::exists(path) &&
      Dialogs().Message(
          this,
          "Die Datei „" + QFileInfo(path).fileName() + "“ gibt es schon. Soll sie ersetzt werden?",
          "Bild speichern unter", QMessageBox::Question,
          QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
    return;
  }
  if (Reported(
          this, path,
          SaveDibFile(Bitmap, path.toStdString(), static_cast<TDibFormat>(chosen->type + 2)))) {
    save_dir_ = QFileInfo(path).absolutePath();
  }
}

void TViewPicForm::PrintBrnClick() {
  // A new print window for each job, owned by the viewer, gone when the job is done.
  auto form = std::make_unique<TPrintForm>(printer_, this);
  form->Bitmap = Bitmap;
  if (Dialogs().Exec(*form) != QDialog::Accepted) return;
  if (!PrintPicture(printer_, Bitmap, form->Choice())) {
    Dialogs().Message(this, "Der Druck konnte nicht gestartet werden.", "Paginor",
                      QMessageBox::Warning, QMessageBox::Ok);
  }
}

}  // namespace paginor
