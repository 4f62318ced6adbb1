#include "cli/outputs.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "convert/rtf_pictures.h"
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

}  // namespace

void TPictureFiles::Add(const std::string& dir, const std::string& base,
                        std::optional<TDibFormat> format) {
  targets_.push_back({dir.empty() ? "." : dir, base, format});
}

void TPictureFiles::Write(int number, const TImageRec& image, const TDIB& decoded) {
  if (html_) {
    if (const auto failure = html_->Write(number, image, decoded)) {
      ok_ &= Report(failure->Reason, "Das Bild", failure->Path, err_);
    }
  }
  for (const Target& target : targets_) {
    const TDibFormat type = target.format.value_or(DefaultFormatFor(image));
    const std::string path =
        (std::filesystem::path(target.dir) / ImageFileName(target.base, number, type)).string();
    ok_ &= Report(SaveImageFile(image, path, type, decoded), "Das Bild", path, err_);
  }
}

bool WriteTextFile(const TDocumentState& state, const std::string& path, std::ostream& err) {
  return WriteFile(path, DocumentToPlainText(state.Memo1), err);
}

bool WriteRtfFile(const TDocumentState& state, const std::string& path, std::ostream& err) {
  return WriteFile(path, DocumentToRTF(state.Memo1, RtfPicturesOf(state.Images)), err);
}

bool WriteHtmlFile(TDocumentState& state, TConversionHost& host, const std::string& path,
                   std::ostream& err) {
  const std::vector<std::string> lines =
      RTFToHTML(state.Memo1, {}, [&host](int percent) { host.SetProgress(percent); });
  return Report(WriteHtmlPage(path, lines), "Die Datei", path, err);
}

}  // namespace paginor
