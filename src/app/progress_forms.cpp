#include "app/progress_forms.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace paginor {

namespace {

// A tool window over the main window: it does not block the main window, which keeps
// processing its events while the operation runs.
constexpr Qt::WindowFlags kProgressWindow =
    Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint;

// The keyboard stays with the main window, where Escape presses "Aktion abbrechen" all the same.
void KeepKeyboardWithOwner(QWidget* window) {
  window->setAttribute(Qt::WA_ShowWithoutActivating);
}

QProgressBar* PercentBar(QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setRange(0, 100);
  bar->setValue(0);
  return bar;
}

}  // namespace

TOpenPDFForm::TOpenPDFForm(QWidget* parent) : QWidget(parent, kProgressWindow) {
  setWindowTitle("PDF-Datei öffnen...");
  KeepKeyboardWithOwner(this);
  resize(435, 248);
  auto* layout = new QVBoxLayout(this);
  Label1 = new QLabel(
      "Die PDF-Datei wird nun geöffnet, dies kann je nach Größe der Datei einige Zeit in "
      "Anspruch nehmen!",
      this);
  Label1->setWordWrap(true);
  layout->addWidget(Label1);
  ProgressBar1 = PercentBar(this);
  layout->addWidget(ProgressBar1);
  Label2 = new QLabel(this);
  layout->addWidget(Label2);
  BreakBtn = new QPushButton("Aktion abbrechen", this);
  layout->addWidget(BreakBtn, 0, Qt::AlignHCenter);
  StatusMemo = new QPlainTextEdit(this);
  StatusMemo->setReadOnly(true);
  StatusMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  QPalette palette = StatusMemo->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
  palette.setColor(QPalette::Text, palette.color(QPalette::ToolTipText));
  StatusMemo->setPalette(palette);
  layout->addWidget(StatusMemo, 1);
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setSizeGripEnabled(false);
  layout->addWidget(StatusBar1);
}

THTMLStatusForm::THTMLStatusForm(QWidget* parent) : QWidget(parent, kProgressWindow) {
  setWindowTitle("HTML-Darstellung berechnen");
  KeepKeyboardWithOwner(this);
  resize(433, 132);
  auto* layout = new QVBoxLayout(this);
  Label1 = new QLabel(
      "Es wird nun eine HTML-Darstellung der PDF-Datei berechnet. Dies kann ja nach \r\n"
      "Größe der Datei einige Zeit in Anspruch nehmen!",
      this);
  Label1->setWordWrap(true);
  layout->addWidget(Label1);
  ProgressBar1 = PercentBar(this);
  layout->addWidget(ProgressBar1);
  BreakBtn = new QPushButton("Aktion abbrechen", this);
  layout->addWidget(BreakBtn, 0, Qt::AlignHCenter);
}

void ShowCentred(QWidget* window) {
  if (const QWidget* owner = window->parentWidget()) {
    const QRect area = owner->frameGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
  }
  window->show();
  window->raise();
}

}  // namespace paginor
