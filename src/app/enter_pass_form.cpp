#include "app/enter_pass_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QVBoxLayout>

namespace paginor {

namespace {

// The field shows "*" for every character, whatever the desktop's style would use.
class StarPasswordStyle final : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    if (hint == SH_LineEdit_PasswordMaskDelay) return 0;
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

}  // namespace

TEnterPassForm::TEnterPassForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Passwort eingeben");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Passwort:", this));
  PassEd = new QLineEdit(this);
  PassEd->setObjectName("PassEd");
  auto* style = new StarPasswordStyle;
  style->setParent(PassEd);
  PassEd->setStyle(style);
  PassEd->setEchoMode(QLineEdit::Password);
  PassEd->setMinimumWidth(220);
  row->addWidget(PassEd);
  layout->addLayout(row);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  auto* cancel = new QPushButton("A&bbrechen", this);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace paginor
