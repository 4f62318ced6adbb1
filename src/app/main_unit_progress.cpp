// The status bar's owner-drawn progress panel and the percentage of the long operations.
#include <QPainter>
#include <QProgressBar>
#include <QStatusBar>

#include "app/main_unit.h"
#include "app/progress_forms.h"
#include "app/shell_logic.h"

namespace paginor {

namespace {

// Panel 1 of the status bar: it asks the main window to draw it.
class ProgressPanelWidget final : public QWidget {
 public:
  ProgressPanelWidget(TMainForm* form, QWidget* parent) : QWidget(parent), form_(form) {
    setMinimumHeight(18);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    form_->StatusBar1DrawPanel(painter, rect());
  }

 private:
  TMainForm* form_;
};

const QColor kNavy(0, 0, 128);

}  // namespace

QEvent::Type TProgressEvent::Kind() {
  static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType(QEvent::User));
  return kind;
}

void TMainForm::MakeStatusBar() {
  StatusBar1 = new QStatusBar(this);
  auto* panel0 = new QWidget(StatusBar1);
  panel0->setFixedWidth(250);
  StatusBar1->addWidget(panel0);
  ProgressPanel = new ProgressPanelWidget(this, StatusBar1);
  StatusBar1->addWidget(ProgressPanel, 1);
  setStatusBar(StatusBar1);
}

void TMainForm::SetProStatus(int percent) {
  OpenPDFForm->ProgressBar1->setValue(percent);
  HTMLStatusForm->ProgressBar1->setValue(percent);
  if (percent < FProgress) {
    FProgress = percent;
    // A shorter bar needs a freshly painted panel.
    StatusBar1->repaint();
    ProgressPanel->repaint();
  } else {
    FProgress = percent;
    SBarPaintMore();
  }
}

void TMainForm::StatusBar1DrawPanel(QPainter& painter, const QRect& rect) {
  painter.setPen(kNavy);
  painter.setBrush(kNavy);
  const int width = ProgressFillWidth(rect.width(), FProgress);
  if (width > 0) painter.drawRect(rect.left(), rect.top(), width - 1, rect.height() - 1);
  FProgressRect = rect;
}

void TMainForm::SBarPaintMore() {
  // Qt paints only from paint events: an immediate repaint of the panel draws the longer
  // bar over the old one.
  ProgressPanel->repaint();
}

bool TMainForm::event(QEvent* event) {
  if (event->type() == TProgressEvent::Kind()) {
    SetProStatus(static_cast<TProgressEvent*>(event)->Percent());
    return true;
  }
  return QMainWindow::event(event);
}

}  // namespace paginor
