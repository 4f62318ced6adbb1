// How responsive the main window stays during its long operations: converts a PDF file in the
// real window (offscreen platform), builds the HTML view of its document, then converts it
// again and presses "Aktion abbrechen" part way through. A 1 ms timer stands for the user's
// input: the longest time between two of its deliveries is the longest the window was deaf.
// Prints the longest and the 99th-percentile gap of each operation in milliseconds and how
// long the cancel took to end the conversion.
// The HTML preview (the tab "HTML Vorschau") is measured until the browser has laid out the
// whole page, not only until the build returns: the layout is where a long page takes its time.
// It also reports when the preview first showed text. With --preview-only the file is converted
// and only the preview is measured, for documents too large to convert three times.
// With --gallery the file is converted and the tab "Bilder ausgeben" is scrolled through, a
// screen at a time, as a user would look at every thumbnail; the peak memory is printed last.
// Usage: paginor_responsiveness [--preview-only | --gallery] FILE.pdf
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include <sys/resource.h>

#include "app/main_unit.h"
#include "app/paint_box.h"
#include "app/progress_forms.h"

namespace {

// The times at which the event loop delivered the timer, in nanoseconds since `clock` started.
class TickRecorder {
 public:
  TickRecorder() {
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      ticks_.push_back(clock_.nsecsElapsed());
      if (on_tick) on_tick();
    });
  }
  std::function<void()> on_tick;
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

// The browser's page is laid out when its height has not changed for a second; a build that
// never gets there is given up after `limit_ms`.
void MeasurePreview(paginor::TMainForm& form, TickRecorder& ticks, double limit_ms) {
  QTextBrowser* browser = form.WebBrowser1;
  double first_text_ms = -1;
  double last_change_ms = 0;
  qreal height = -1;
  ticks.on_tick = [&] {
    const double now = ticks.ElapsedMs();
    const qreal h = browser->document()->documentLayout()->documentSize().height();
    if (h != height) {
      height = h;
      last_change_ms = now;
    }
    if (first_text_ms < 0 && form.PageControl2->currentIndex() == 4 &&
        browser->document()->characterCount() > 1 && h > 0) {
      first_text_ms = now;
    }
  };
  ticks.Start();
  form.PageControl2->setCurrentIndex(4);
  const double returned_ms = ticks.ElapsedMs();
  last_change_ms = std::max(last_change_ms, returned_ms);
  while (ticks.ElapsedMs() - last_change_ms < 1000 && ticks.ElapsedMs() < limit_ms) {
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  const bool settled = ticks.ElapsedMs() < limit_ms;
  const double laid_out_ms = last_change_ms;
  ticks.on_tick = nullptr;
  const double total_ms = settled ? laid_out_ms : ticks.ElapsedMs();
  Report("HTML-Vorschau", ticks.StopGapsMs(), total_ms);
  std::printf("HTML-Vorschau: Aufbau nach %.0f ms zurück, Text sichtbar nach %.0f ms, %s\n",
              returned_ms, first_text_ms,
              settled ? "ganz gesetzt" : "nach der Grenze noch nicht fertig");
  form.PageControl2->setCurrentIndex(0);
}

// Scrolls the gallery from its top to its end, one screen per step, each step painted.
void MeasureGallery(paginor::TMainForm& form, TickRecorder& ticks) {
  form.PageControl2->setCurrentIndex(3);
  QScrollBar* bar = form.ScrollBox2->verticalScrollBar();
  ticks.Start();
  QApplication::processEvents();
  int steps = 0;
  while (true) {
    // The thumbnails of a screen are made over several paints: a second covers them.
    QElapsedTimer screen;
    screen.start();
    while (screen.elapsed() < 1000)
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    ++steps;
    if (bar->value() >= bar->maximum()) break;
    bar->setValue(bar->value() + bar->pageStep());
  }
  const double total_ms = ticks.ElapsedMs();
  Report("Galerie durchblättert", ticks.StopGapsMs(), total_ms);
  std::printf("Galerie: %d Bilder, %d Bildschirme\n", form.FDoc.Images.Count(), steps);
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const bool preview_only = argc == 3 && std::strcmp(argv[1], "--preview-only") == 0;
  const bool gallery = argc == 3 && std::strcmp(argv[1], "--gallery") == 0;
  if (argc != 2 && !preview_only && !gallery) {
    std::fprintf(stderr, "Aufruf: %s [--preview-only | --gallery] DATEI.pdf\n", argv[0]);
    return 2;
  }
  const QString file = QString::fromLocal8Bit(argv[argc - 1]);
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
  if (gallery) {
    MeasureGallery(form, ticks);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("Speicher höchstens %ld MiB\n", usage.ru_maxrss / 1024);
    return 0;
  }

  MeasurePreview(form, ticks, 180000);
  if (preview_only) return 0;

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
