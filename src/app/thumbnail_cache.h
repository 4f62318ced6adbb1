// The gallery's thumbnails, made when a cell is first drawn and kept in a cache of bounded
// size: small images only, never the pictures they are made from.
#pragma once

#include <QImage>
#include <QSize>
#include <cstddef>
#include <functional>
#include <list>
#include <optional>

namespace paginor {

class TThumbnailCache {
 public:
  // A few screens of cells: 80 × 80 pixels each, 12 MiB at most for 500 of them.
  static constexpr std::size_t kDefaultCapacity = 500;

  explicit TThumbnailCache(std::size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

  // The thumbnail of picture `index` at `size` and device pixel ratio `ratio`, made by `make`
  // when it is not cached. A null image (a picture that does not decode) is kept as well, so
  // that it is not decoded again at every paint. The least recently used goes first.
  QImage Get(int index, QSize size, qreal ratio, const std::function<QImage()>& make);
  // True when that thumbnail is cached (made already, null or not).
  bool Contains(int index, QSize size, qreal ratio) const;
  // The cached thumbnail, now the most recently used; nothing when it is not cached.
  std::optional<QImage> Find(int index, QSize size, qreal ratio);
  // Caches a thumbnail made elsewhere.
  void Put(int index, QSize size, qreal ratio, QImage image);
  // For a new document.
  void Clear() { entries_.clear(); }
  std::size_t Count() const { return entries_.size(); }

 private:
  struct Entry {
    int index = 0;
    QSize size;
    qreal ratio = 1;
    QImage image;
  };
  std::size_t capacity_;
  std::list<Entry> entries_;  // the most recently used first
};

}  // namespace paginor
