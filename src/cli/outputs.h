// The files paginor-convert writes after a conversion.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "convert/document_state.h"
#include "convert/host.h"
#include "images/pixolet.h"
#include "platform/html_save.h"

namespace paginor {

// Each returns false, after a message on err, when the file cannot be written.
bool WriteTextFile(const TDocumentState& state, const std::string& path, std::ostream& err);
bool WriteRtfFile(const TDocumentState& state, const std::string& path, std::ostream& err);
// The HTML page; its pictures are written by TPictureFiles (AddHtmlPage).
bool WriteHtmlFile(TDocumentState& state, TConversionHost& host, const std::string& path,
                   std::ostream& err);

// Writes each picture as the conversion hands it over (the state's PictureSink), beside the
// HTML page and into every folder added, and keeps none: a JPEG is copied as stored, the
// others are encoded from the bitmap their check decoded. Messages go to err.
class TPictureFiles {
 public:
  explicit TPictureFiles(std::ostream& err) : err_(err) {}
  // The pictures the links of the HTML page at page_path name, beside it.
  void AddHtmlPage(const std::string& page_path) { html_.emplace(page_path); }
  // Pictures into dir (which must exist) as base + number + extension, in format or each
  // picture's own (JPEG for 24 bits, GIF for the others).
  void Add(const std::string& dir, const std::string& base, std::optional<TDibFormat> format);
  bool Empty() const { return !html_ && targets_.empty(); }
  void Write(int number, const TImageRec& image, const TDIB& decoded);
  // False when a file could not be written.
  bool Ok() const { return ok_; }

 private:
  struct Target {
    std::string dir;
    std::string base;
    std::optional<TDibFormat> format;
  };
  std::ostream& err_;
  std::optional<THtmlPictures> html_;
  std::vector<Target> targets_;
  bool ok_ = true;
};

}  // namespace paginor
