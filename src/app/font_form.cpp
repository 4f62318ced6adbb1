#include "app/font_form.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace paginor {

QStringList OfferedFamilies(const QStringList& installed) {
  QStringList families = installed;
  for (const char* windows : {"Arial", "Times New Roman", "Courier New"}) {
    if (!families.contains(windows, Qt::CaseInsensitive)) families << windows;
  }
  std::sort(families.begin(), families.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
  return families;
}

TFontForm::TFontForm(const QFont& initial, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Schriftart auswählen");
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Schriftart:", this), 0, 0);
  FamilyList = new QListWidget(this);
  QStringList families = OfferedFamilies(QFontDatabase::families());
  // The font in use is listed even when it is neither installed nor a Windows name.
  if (!families.contains(initial.family())) families.prepend(initial.family());
  FamilyList->addItems(families);
  grid->addWidget(FamilyList, 1, 0, 6, 1);
  grid->addWidget(new QLabel("Höhe in Pixeln:", this), 0, 1);
  SizeEd = new QSpinBox(this);
  SizeEd->setRange(1, 500);
  grid->addWidget(SizeEd, 1, 1);
  BoldCheck = new QCheckBox("Fett", this);
  ItalicCheck = new QCheckBox("Kursiv", this);
  UnderlineCheck = new QCheckBox("Unterstrichen", this);
  StrikeOutCheck = new QCheckBox("Durchgestrichen", this);
  grid->addWidget(BoldCheck, 2, 1);
  grid->addWidget(ItalicCheck, 3, 1);
  grid->addWidget(UnderlineCheck, 4, 1);
  grid->addWidget(StrikeOutCheck, 5, 1);
  grid->setRowStretch(6, 1);
  layout->addLayout(grid, 1);
  Sample = new QLabel("AaBbYyZz ÄÖÜ äöü ß 0123", this);
  Sample->setMinimumHeight(60);
  Sample->setFrameShape(QFrame::StyledPanel);
  layout->addWidget(Sample);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);

  const QList<QListWidgetItem*> current = FamilyList->findItems(initial.family(), Qt::MatchExactly);
  if (!current.isEmpty()) FamilyList->setCurrentItem(current.first());
  SizeEd->setValue(initial.pixelSize() > 0 ? initial.pixelSize() : QFontInfo(initial).pixelSize());
  BoldCheck->setChecked(initial.bold());
  ItalicCheck->setChecked(initial.italic());
  UnderlineCheck->setChecked(initial.underline());
  StrikeOutCheck->setChecked(initial.strikeOut());
  ShowSample();

  connect(FamilyList, &QListWidget::currentRowChanged, this, &TFontForm::ShowSample);
  connect(SizeEd, &QSpinBox::valueChanged, this, &TFontForm::ShowSample);
  for (QCheckBox* style : {BoldCheck, ItalicCheck, UnderlineCheck, StrikeOutCheck}) {
    connect(style, &QCheckBox::toggled, this, &TFontForm::ShowSample);
  }
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  resize(460, 360);
}

QFont TFontForm::Font() const {
  QFont font(FamilyList->currentItem() != nullptr ? FamilyList->currentItem()->text() : QString());
  font.setPixelSize(SizeEd->value());
  font.setBold(BoldCheck->isChecked());
  font.setItalic(ItalicCheck->isChecked());
  font.setUnderline(UnderlineCheck->isChecked());
  font.setStrikeOut(StrikeOutCheck->isChecked());
  return font;
}

void TFontForm::ShowSample() {
  Sample->setFont(Font());
}

}  // namespace paginor
