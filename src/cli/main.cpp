// paginor-convert: the headless converter. Parses its options, hands the file to the same
// driver the window uses, and writes what was asked for.
#include <QFont>
#include <QGuiApplication>
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/console_host.h"
#include "cli/info_report.h"
#include "cli/outputs.h"
#include "convert/conversion.h"
#include "images/image_files.h"
#include "output/cp1252.h"
#include "output/text_writer.h"
#include "platform/qt_font_metrics.h"

namespace {

enum ExitStatus {
  kConverted = 0,
  kNotValid = 1,
  kUsage = 2,
  kUnreadable = 3,
  kPassword = 4,
  kNotWritten = 5
};

// Qt's own notes (a missing runtime folder, font substitutions) are no concern of a script's.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
}

// Pictures are decoded and written one after the other, each into bitmaps of about the same
// size: their memory is kept for the next one rather than given back to the system and touched
// afresh page by page, which took longer than the decoding.
void KeepFreedPictureMemory() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  using namespace paginor;
  KeepFreedPictureMemory();
  const TCliParse parse = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!parse.options) {
    std::cerr << "paginor-convert: " << parse.error << "\n\n" << UsageText();
    return kUsage;
  }
  const TCliOptions& options = *parse.options;
  if (options.help) {
    std::cout << UsageText();
    return kConverted;
  }
  if (options.version) {
    std::cout << "paginor-convert (Paginor) " << PAGINOR_VERSION << '\n';
    return kConverted;
  }

  // Fonts are measured through Qt without a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietQtMessages);
  int qt_argc = 1;
  QGuiApplication app(qt_argc, argv);

  TConsoleHost host({options.password, options.quiet, options.progress, options.convert},
                    options.info ? std::cout : std::cerr, std::cerr);
  TDocumentState state;
  state.KeepTextItems = false;  // no page preview here
  const QFont font(QString::fromStdString(options.font));
  state.MeasureFont = MakeQtMeasureFont(font, options.dpi, options.font_px);
  state.Memo1.SetDefaultFont(DocumentFontOf(font, options.dpi, options.font_px));

  // Pictures are written one at a time as the conversion checks them; none is kept, unless the
  // rich text embeds them.
  state.KeepPictureData = options.rtf_file && options.convert.ModernCheck && !options.info;
  TPictureFiles pictures(std::cerr);
  if (!options.info) {
    if (options.html_file) pictures.AddHtmlPage(*options.html_file);
    if (options.images_dir) {
      std::error_code error;
      std::filesystem::create_directories(*options.images_dir, error);
      pictures.Add(*options.images_dir, options.image_base,
                   options.image_format ? FormatFromName(*options.image_format) : std::nullopt);
    }
  }
  if (!pictures.Empty()) {
    state.PictureSink = [&pictures](int number, const TImageRec& image, const TDIB& decoded) {
      pictures.Write(number, image, decoded);
    };
  }

  const TConversionResult result = openfilenow(state, host, options.input);
  if (!result.Opened) {
    std::cerr << "paginor-convert: Die Datei kann nicht gelesen werden: " << options.input << '\n';
    return kUnreadable;
  }
  if (result.PasswordRefused) return kPassword;

  // What was read is written even when the file turned out damaged.
  bool written = true;
  if (options.info) {
    WriteInfoReport(state, std::cout);
  } else {
    if (options.TextToStdout() && !(std::cout << DocumentToPlainText(state.Memo1) << std::flush)) {
      std::cerr << "paginor-convert: Die Standardausgabe kann nicht geschrieben werden.\n";
      written = false;
    }
    if (options.text_file) written &= WriteTextFile(state, *options.text_file, std::cerr);
    if (options.rtf_file) written &= WriteRtfFile(state, *options.rtf_file, std::cerr);
    if (options.html_file) written &= WriteHtmlFile(state, host, *options.html_file, std::cerr);
    written &= pictures.Ok();
  }
  // An output that is missing matters more to a script than a damaged input it got text from.
  if (!written) return kNotWritten;
  return result.Invalid ? kNotValid : kConverted;
}
