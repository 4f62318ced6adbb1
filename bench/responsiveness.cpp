// How responsive the main window stays during its long operations: converts a PDF file in the
// real window (offscreen platform), builds the HTML view of its document, then converts it
// again and presses "Aktion abbrechen" part way through. A 1 ms timer stands for the user's
// input: the longest time between two of its deliveries is the longest the window was deaf.
// Prints the longest and the 99th-percentile gap of each operation in milliseconds and how
// long the cancel took to end the conversion.
// Usage: paginor_responsiveness FILE.pdf
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/main_unit.h"
#include "app/progress_forms.h"

namespace {

// The times at which the event loop delivered the timer, in nanoseconds since `clock` started.
class TickRecorder {
 public:
  TickRecorder() {
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout,
                     [this] { ticks_.push_back(clock_.nsecsElapsed()); });
  }
  void Start() {
    ticks_.clear();
    clock_.start();
    ticks_.push_back(0);
    timer_.start();
  }
  // The gaps between deliveries, closed by the end of the operation.
  std::vector<double> StopGapsMs() {
    timer_.stop();
    ticks_.push_back(clock_.nsecsElapsed());
    std::vector<double> gaps;
    for (std::size_t i = 1; i < ticks_.size(); ++i) {
      gaps.push_back(static_cast<double>(ticks_[i] - ticks_[i - 1]) / 1e6);
    }
    return gaps;
  }
  double ElapsedMs() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e6; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  std::vector<qint64> ticks_;
};

void Report(const char* name, std::vector<double> gaps, double total_ms) {
  std::sort(gaps.begin(), gaps.end());
  const double longest = gaps.empty() ? 0 : gaps.back();
  const double p99 = gaps.empty() ? 0 : gaps[gaps.size() * 99 / 100];
  std::printf("%-28s %8.0f ms gesamt  %6zu Ereignisse  längste Pause %6.1f ms  99 %% %6.1f ms\n",
              name, total_ms, gaps.size(), longest, p99);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "Aufruf: %s DATEI.pdf\n", argv[0]);
    return 2;
  }
  const QString file = QString::fromLocal8Bit(argv[1]);
  QApplication::setApplicationName("Paginor");
  QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  paginor::TMainForm form(settings.path());
  form.show();
  QApplication::processEvents();

  TickRecorder ticks;
  ticks.Start();
  form.openfilenow(file);
  const double convert_ms = ticks.ElapsedMs();
  Report("Umwandlung", ticks.StopGapsMs(), convert_ms);

  ticks.Start();
  form.RTFToHTML();
  const double html_ms = ticks.ElapsedMs();
  Report("HTML-Darstellung", ticks.StopGapsMs(), html_ms);

  // Cancel a quarter of the way through, as the user would with the progress window's button.
  const int cancel_after_ms = std::max(1, static_cast<int>(convert_ms / 4));
  double pressed_ms = 0;
  QTimer::singleShot(cancel_after_ms, [&] {
    pressed_ms = ticks.ElapsedMs();
    form.OpenPDFForm->BreakBtn->click();
  });
  ticks.Start();
  form.openfilenow(file);
  const double cancelled_ms = ticks.ElapsedMs();
  Report("Umwandlung mit Abbruch", ticks.StopGapsMs(), cancelled_ms);
  if (pressed_ms > 0) {
    std::printf("Abbruch nach %.0f ms gedrückt, Umwandlung %.1f ms später beendet\n", pressed_ms,
                cancelled_ms - pressed_ms);
  } else {
    std::printf("Abbruch nicht gedrückt: die Umwandlung war vorher fertig\n");
  }
  return 0;
}
