// paginor-convert: the headless converter. Parses its options, hands the file to the same
// driver the window uses, and reports.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/console_host.h"
#include "cli/image_output.h"
#include "cli/info_report.h"
#include "convert/conversion.h"
#include "images/image_files.h"

namespace {

enum ExitStatus { kConverted = 0, kNotValid = 1, kUsage = 2, kUnreadable = 3, kPassword = 4 };

}  // namespace

int main(int argc, char** argv) {
  using namespace paginor;
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

  TConvertOptions convert_options;
  convert_options.ReadPicsCheck = options.read_images;
  TConsoleHost host({options.password, options.quiet, options.progress, convert_options},
                    options.info ? std::cout : std::cerr, std::cerr);
  TDocumentState state;
  const TConversionResult result = openfilenow(state, host, options.input);
  if (!result.Opened) {
    std::cerr << "paginor-convert: Die Datei kann nicht gelesen werden: " << options.input << '\n';
    return kUnreadable;
  }
  if (options.info) WriteInfoReport(state, std::cout);
  // What was read is written even when the file turned out damaged.
  bool written = true;
  if (options.images_dir && !options.info) {
    const std::optional<TDibFormat> format =
        options.image_format ? FormatFromName(*options.image_format) : std::nullopt;
    written = WriteImages(state, *options.images_dir, options.image_base, format, std::cerr);
  }
  if (result.PasswordRefused) return kPassword;
  if (result.Invalid) return kNotValid;
  return written ? kConverted : kUnreadable;
}
