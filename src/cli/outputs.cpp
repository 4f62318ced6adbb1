#include "cli/outputs.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "images/image_files.h"
#include "output/html_writer.h"
#include "output/rtf_writer.h"
#include "output/text_writer.h"
#include "platform/file_saving.h"

namespace paginor {

namespace {

bool Report(const std::optional<std::string>& failure, const std::string& what,
            const std::string& path, std::ostream& err) {
  if (!failure) return true;
  err << "paginor-convert: " << what << " kann nicht geschrieben werden: " << path << ": "
      << *failure << '\n';
  return false;
}

bool WriteFile(const std::string& path, const std::string& bytes, std::ostream& err) {
  return Report(WriteFileAtomically(path, bytes), "Die Datei", path, err);
}

bool SaveEach(const TDocumentState& state, const std::filesystem::path& dir,
              const std::string& base, std::optional<TDibFormat> format, std::ostream& err) {
  bool ok = true;
  int number = 0;
  for (const TImageRec& image : state.Images) {
    const TDibFormat type = format.value_or(DefaultFormatFor(image));
    const std::string path = (dir / ImageFileName(base, ++number, type)).string();
    ok &= Report(SaveImageFile(image, path, type), "Das Bild", path, err);
  }
  return ok;
}

}  // namespace

bool WriteTextFile(const TDocumentState& state, const std::string& path, std::ostream& err) {
  return WriteFile(path, DocumentToPlainText(state.Memo1), err);
}

bool WriteRtfFile(const TDocumentState& state, const std::string& path, std::ostream& err) {
  return WriteFile(path, DocumentToRTF(state.Memo1), err);
}

bool WriteHtmlFile(TDocumentState& state, TConversionHost& host, const std::string& path,
                   std::ostream& err) {
  THTMLHooks hooks;
  hooks.set_progress = [&host](int percent) { host.SetProStatus(percent); };
  const std::vector<std::string> lines = RTFToHTML(state.Memo1, hooks);
  // Line by line, so the page is not held twice.
  const auto failure = WriteFileAtomically(path, [&lines](const TByteSink& sink) {
    for (const std::string& line : lines) {
      if (!sink(line) || !sink("\r\n")) return false;
    }
    return true;
  });
  if (!Report(failure, "Die Datei", path, err)) return false;
  // The links name "bild" + number, JPEG for 24-bit pictures and GIF for the others.
  const std::filesystem::path dir = std::filesystem::path(path).parent_path();
  return SaveEach(state, dir.empty() ? "." : dir, "bild", std::nullopt, err);
}

bool WriteImages(const TDocumentState& state, const std::string& dir, const std::string& base,
                 std::optional<TDibFormat> format, std::ostream& err) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  return SaveEach(state, dir, base, format, err);
}

}  // namespace paginor
