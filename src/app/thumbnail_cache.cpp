#include "app/thumbnail_cache.h"

#include <utility>

namespace paginor {

std::optional<QImage> TThumbnailCache::Find(int index, QSize size, qreal ratio) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->index == index && it->size == size && it->ratio == ratio) {
      entries_.splice(entries_.begin(), entries_, it);
      return entries_.front().image;
    }
  }
  return std::nullopt;
}

void TThumbnailCache::Put(int index, QSize size, qreal ratio, QImage image) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->index == index && it->size == size && it->ratio == ratio) {
      entries_.erase(it);
      break;
    }
  }
  entries_.push_front({index, size, ratio, std::move(image)});
  while (entries_.size() > capacity_)
    entries_.pop_back();
}

}  // namespace paginor
