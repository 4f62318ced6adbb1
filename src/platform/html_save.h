// Saving the HTML page with its pictures: the page file, and beside it the picture files its
// image links name ("bild" + number: JPEG for true-colour pictures, GIF for the others). The
// window saves a finished document at once; paginor-convert writes each picture as the
// conversion checks it, because it keeps no picture data, and the page at the end.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "images/image_extraction.h"
#include "images/pixolet.h"

namespace paginor {

// The file name that picture number's image link names.
std::string HtmlPictureName(int number, const TImageRec& image);

struct TPictureFailure {
  std::string Path;    // the picture file
  std::string Reason;  // why it could not be written, a German sentence for the user
};

// The picture files of one page, beside it, with every failure kept.
class THtmlPictures {
 public:
  explicit THtmlPictures(const std::string& page_path);
  // Where picture number's file goes.
  std::string PathOf(int number, const TImageRec& image) const;
  // Writes picture number; decoded, when it holds the picture's bitmap, spares decoding it
  // again. The failure, when the file could not be written; it is kept as well.
  std::optional<TPictureFailure> Write(int number, const TImageRec& image,
                                       const TDIB& decoded = {});
  // The pictures that could not be written, in order.
  const std::vector<TPictureFailure>& Failures() const { return failures_; }

 private:
  std::filesystem::path folder_;
  std::vector<TPictureFailure> failures_;
};

// The page file from the page's lines, each followed by CR LF; written line by line, so the
// page is not held twice. Nothing on success; otherwise why it could not be written.
std::optional<std::string> WriteHtmlPage(const std::string& path,
                                         const std::vector<std::string>& lines);

struct THtmlSaveResult {
  std::optional<std::string> PageFailure;  // set: neither the page nor a picture was written
  std::vector<TPictureFailure> PictureFailures;
};

// The page, then, once it is written, every picture its links name, from the first.
THtmlSaveResult SaveHtmlWithPictures(const std::string& path, const std::vector<std::string>& lines,
                                     std::span<const TImageRec> images);

}  // namespace paginor
