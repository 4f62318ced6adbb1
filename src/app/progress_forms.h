// The two progress windows of the long operations: the conversion's and the HTML build's.
#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace paginor {

// "PDF-Datei öffnen...": the conversion's progress, its current step, and a log of status
// lines that keeps those of earlier conversions.
class TOpenPDFForm final : public QWidget {
 public:
  explicit TOpenPDFForm(QWidget* parent);
  QLabel* Label1;
  QProgressBar* ProgressBar1;
  QLabel* Label2;
  QPushButton* BreakBtn;
  QPlainTextEdit* StatusMemo;
  QStatusBar* StatusBar1;
};

// "HTML-Darstellung berechnen".
class THTMLStatusForm final : public QWidget {
 public:
  explicit THTMLStatusForm(QWidget* parent);
  QLabel* Label1;
  QProgressBar* ProgressBar1;
  QPushButton* BreakBtn;
};

// Shows a progress window over the middle of its parent window.
void ShowCentred(QWidget* window);

}  // namespace paginor
