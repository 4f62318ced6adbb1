// The gallery's thumbnails, made when a cell is first drawn and kept in a cache of bounded
// size: small images only, never the pictures they are made from.
#pragma once

#include <QImage>
#include <QSize>
#include <cstddef>
#include <list>
#include <optional>

namespace paginor {

class TThumbnailCache {
 public:
  // A few screens of cells: 80 × 80 pixels each, 12 MiB at most for 500 of them.
  static constexpr std::size_t kDefaultCapacity = 500;

  explicit TThumbnailCache(std::size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

  // The cached thumbnail of picture `index` at `size` and device pixel ratio `ratio`, now the
  // most recently used; nothing when it is not cached. A null image is a picture that does not
  // decode, kept so that it is not decoded again at every paint.
  std::optional<QImage> Find(int index, QSize size, qreal ratio);
  // Caches a thumbnail; the least recently used goes when the cache is full.
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
