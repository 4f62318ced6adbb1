// Makes the gallery's thumbnails on a thread of their own, so that the window answers while a
// scanned page is decoded; each finished thumbnail is handed over on the window's thread.
#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QThreadPool>
#include <functional>
#include <set>
#include <string>
#include <tuple>

#include "images/image_extraction.h"

namespace paginor {

class TThumbnailMaker {
 public:
  // A finished thumbnail (null when the picture does not decode) and the message drawing it
  // left, if any.
  using TMade = std::function<void(int index, QSize size, qreal ratio, const QImage& image,
                                   const std::string& message)>;

  // made is called on context's thread, never after the maker is gone.
  TThumbnailMaker(QObject* context, TMade made);
  // Waits for the thumbnail being made.
  ~TThumbnailMaker();
  TThumbnailMaker(const TThumbnailMaker&) = delete;
  TThumbnailMaker& operator=(const TThumbnailMaker&) = delete;

  // Asks for the thumbnail of picture `index`, unless it is being made already.
  void Ask(int index, const TPicture& picture, QSize size, qreal ratio);
  // For a new document: what is still being made for the old one is dropped.
  void Forget();
  // True while thumbnails that were asked for are not handed over yet.
  bool Busy() const { return !asked_.empty(); }

 private:
  using TKey = std::tuple<int, int, int, qreal>;

  QObject* context_;
  TMade made_;
  std::set<TKey> asked_;
  int document_ = 0;
  QThreadPool pool_;  // last: its end waits for the work that uses the members above
};

}  // namespace paginor
