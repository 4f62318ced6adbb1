#include "platform/html_save.h"

#include <filesystem>

#include "images/image_files.h"
#include "platform/file_saving.h"

namespace paginor {

std::string HtmlPictureName(int number, const TImageRec& image) {
  return ImageFileName("bild", number, DefaultFormatFor(image));
}

namespace {

// A page named without a folder has its pictures in the current one.
std::filesystem::path FolderOf(const std::string& page_path) {
  std::filesystem::path folder = std::filesystem::path(page_path).parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

}  // namespace

THtmlPictures::THtmlPictures(const std::string& page_path) : folder_(FolderOf(page_path)) {}

std::string THtmlPictures::PathOf(int number, const TImageRec& image) const {
  return (folder_ / HtmlPictureName(number, image)).string();
}

std::optional<TPictureFailure> THtmlPictures::Write(int number, const TImageRec& image,
                                                    const TDIB& decoded) {
  const std::string path = PathOf(number, image);
  const auto failure = SaveImageFile(image, path, DefaultFormatFor(image), decoded);
  if (!failure) return std::nullopt;
  failures_.push_back({path, *failure});
  return failures_.back();
}

std::optional<std::string> WriteHtmlPage(const std::string& path,
                                         const std::vector<std::string>& lines) {
  return WriteFileAtomically(path, [&lines](const TByteSink& sink) {
    for (const std::string& line : lines) {
      if (!sink(line) || !sink("\r\n")) return false;
    }
    return true;
  });
}

THtmlSaveResult SaveHtmlWithPictures(const std::string& path, const std::vector<std::string>& lines,
                                     std::span<const TImageRec> images) {
  THtmlSaveResult result;
  result.PageFailure = WriteHtmlPage(path, lines);
  if (result.PageFailure) return result;
  THtmlPictures pictures(path);
  int number = 0;
  for (const TImageRec& image : images)
    pictures.Write(++number, image);
  result.PictureFailures = pictures.Failures();
  return result;
}

}  // namespace paginor
