#include "app/print_form.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "app/paint_box.h"
#include "app/saving.h"
#include "images/stretch_draw.h"
#include "platform/qpainter_dc.h"

namespace paginor {

namespace {

constexpr int kPreviewBox = 190;

// Where the two percentages are kept.
constexpr const char* kBreitKey = "PrintForm/BreitEdit";
constexpr const char* kHochKey = "PrintForm/HochEdit";

QSpinBox* PercentEdit(QWidget* parent) {
  auto* edit = new QSpinBox(parent);
  edit->setRange(1, 100);
  edit->setValue(50);
  return edit;
}

}  // namespace

TPrintForm::TPrintForm(QPrinter& printer, QWidget* parent) : QDialog(parent), printer_(printer) {
  setWindowTitle("Bild drucken...");
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  layout->addLayout(top, 1);

  auto* left = new QVBoxLayout;
  RxLabel1 = new QLabel("Vorschau:", this);
  left->addWidget(RxLabel1);
  Panel1 = new QFrame(this);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setLineWidth(2);
  auto* panel = new QVBoxLayout(Panel1);
  panel->setContentsMargins(2, 2, 2, 2);
  PrintPaintBox = new TPaintBox(Panel1);
  PrintPaintBox->setObjectName("PrintPaintBox");
  PrintPaintBox->setFixedSize(kPreviewBox, kPreviewBox);
  panel->addWidget(PrintPaintBox);
  left->addWidget(Panel1);
  left->addStretch();
  top->addLayout(left);

  auto* right = new QVBoxLayout;
  GroupBox1 = new QGroupBox("Druckgröße", this);
  auto* size = new QGridLayout(GroupBox1);
  UseFullCheck = new QRadioButton("Seite voll nutzen", GroupBox1);
  UseFullCheck->setChecked(true);
  UserdefCheck = new QRadioButton("Benutzerdefiniert", GroupBox1);
  BreitEdit = PercentEdit(GroupBox1);
  HochEdit = PercentEdit(GroupBox1);
  size->addWidget(UseFullCheck, 0, 0, 1, 2);
  size->addWidget(UserdefCheck, 1, 0, 1, 2);
  size->addWidget(new QLabel("Breite in %:", GroupBox1), 2, 0);
  size->addWidget(BreitEdit, 2, 1);
  size->addWidget(new QLabel("Höhe in %:", GroupBox1), 3, 0);
  size->addWidget(HochEdit, 3, 1);
  right->addWidget(GroupBox1);
  GroupBox2 = new QGroupBox("Druckoptionen", this);
  auto* options = new QVBoxLayout(GroupBox2);
  SverhCheck = new QCheckBox("Seitenverhältnis beibehalten", GroupBox2);
  SverhCheck->setChecked(true);
  ZentrCheck = new QCheckBox("Zentrierte Ausgabe", GroupBox2);
  ZentrCheck->setChecked(true);
  options->addWidget(SverhCheck);
  options->addWidget(ZentrCheck);
  right->addWidget(GroupBox2);
  right->addStretch();
  top->addLayout(right, 1);

  auto* buttons = new QHBoxLayout;
  OkBitBtn1 = new QPushButton("&OK", this);
  OkBitBtn1->setDefault(true);
  PrintSetupBtn = new QPushButton("Drucker &einrichten...", this);
  CancelBitBtn2 = new QPushButton("A&bbrechen", this);
  buttons->addWidget(PrintSetupBtn);
  buttons->addStretch();
  buttons->addWidget(OkBitBtn1);
  buttons->addWidget(CancelBitBtn2);
  layout->addLayout(buttons);

  // The stored percentages come back exactly: no syncing while they are restored.
  {
    const QSignalBlocker breit(BreitEdit);
    const QSignalBlocker hoch(HochEdit);
    const QSettings settings(SettingsOwner(), SettingsOwner());
    BreitEdit->setValue(ClampPercent(settings.value(kBreitKey, 50).toInt()));
    HochEdit->setValue(ClampPercent(settings.value(kHochKey, 50).toInt()));
  }

  PrintPaintBox->OnPaint = [this](QPainter& painter) { PrintPaintBoxPaint(painter); };
  const auto repaint = [this] { PrintPaintBox->repaint(); };
  connect(UseFullCheck, &QRadioButton::clicked, this, repaint);
  connect(SverhCheck, &QCheckBox::clicked, this, repaint);
  connect(ZentrCheck, &QCheckBox::clicked, this, repaint);
  connect(UserdefCheck, &QRadioButton::clicked, this, &TPrintForm::UserdefCheckClick);
  connect(BreitEdit, &QSpinBox::valueChanged, this, &TPrintForm::BreitEditChange);
  connect(HochEdit, &QSpinBox::valueChanged, this, &TPrintForm::HochEditChange);
  connect(PrintSetupBtn, &QPushButton::clicked, this, &TPrintForm::PrintSetupBtnClick);
  connect(OkBitBtn1, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBitBtn2, &QPushButton::clicked, this, &QDialog::reject);
  // A dialog frame of 427 × 328, larger where the desktop's font needs more room.
  setFixedSize(sizeHint().expandedTo(QSize(427, 328)));
}

TPrintForm::~TPrintForm() {
  StoreSettings(parentWidget(), [this](QSettings& settings) {
    settings.setValue(kBreitKey, BreitEdit->value());
    settings.setValue(kHochKey, HochEdit->value());
  });
}

TPrintChoice TPrintForm::Choice() const {
  return {.FullPage = UseFullCheck->isChecked(),
          .KeepRatio = SverhCheck->isChecked(),
          .Centred = ZentrCheck->isChecked(),
          .Breit = BreitEdit->value(),
          .Hoch = HochEdit->value()};
}

void TPrintForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TPrintForm::FormShow() {
  BreitEditChange();
}

void TPrintForm::PrintPaintBoxPaint(QPainter& painter) {
  painting_ = true;
  const TBox page = PrintPreviewPage(kPreviewBox, kPreviewBox, printer_.width(), printer_.height());
  painter.fillRect(page.X, page.Y, page.Width, page.Height, Qt::white);
  const TBox place =
      PrintPlacement(page.Width, page.Height, Bitmap.Width(), Bitmap.Height(), Choice());
  TQPainterDC dc(painter, TQPainterDC::TTarget::Screen, PlainMessage);
  StretchDrawDIB(dc, page.X + place.X, page.Y + place.Y, place.Width, place.Height, Bitmap, 0, 0,
                 Bitmap.Width(), Bitmap.Height(), true, SRCCOPY, true, nullptr);
  BreitEditChange();
  painting_ = false;
}

void TPrintForm::RepaintPreview(bool changed) {
  if (!painting_) {
    PrintPaintBox->repaint();
  } else if (changed) {
    // Qt paints nothing from within a paint: the changed percentage shows in one more.
    PrintPaintBox->update();
  }
}

void TPrintForm::BreitEditChange() {
  if (FSyncing) return;
  FSyncing = true;
  const int before = HochEdit->value();
  if (SverhCheck->isChecked() && Bitmap.HasBits()) {
    HochEdit->setValue(ClampPercent(HochFromBreit(
        Bitmap.Width(), Bitmap.Height(), BreitEdit->value(), printer_.width(), printer_.height())));
  }
  RepaintPreview(HochEdit->value() != before);
  FSyncing = false;
}

void TPrintForm::HochEditChange() {
  if (FSyncing) return;
  FSyncing = true;
  const int before = BreitEdit->value();
  if (SverhCheck->isChecked() && Bitmap.HasBits()) {
    BreitEdit->setValue(ClampPercent(BreitFromHoch(
        Bitmap.Width(), Bitmap.Height(), HochEdit->value(), printer_.width(), printer_.height())));
  }
  RepaintPreview(BreitEdit->value() != before);
  FSyncing = false;
}

void TPrintForm::UserdefCheckClick() {
  if (!UserdefCheck->isChecked()) return;
  BreitEditChange();
  PrintPaintBox->repaint();
}

void TPrintForm::PrintSetupBtnClick() {
  Dialogs().PrinterSetup(this, printer_);
  // The page's shape follows the printer as it now is.
  PrintPaintBox->repaint();
}

bool PrintPicture(QPrinter& printer, const TDIB& picture, const TPrintChoice& choice) {
  printer.setDocName("Kestrel Bild");
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const TBox place =
      PrintPlacement(printer.width(), printer.height(), picture.Width(), picture.Height(), choice);
  TQPainterDC dc(painter, TQPainterDC::TTarget::Printer, PlainMessage);
  StretchDrawDIB(dc, place.X, place.Y, place.Width, place.Height, picture, 0, 0, picture.Width(),
                 picture.Height(), false, SRCCOPY, true, nullptr);
  return painter.end();
}

}  // namespace paginor
