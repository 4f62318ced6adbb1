#include "app/thumbnail_cache.h"

namespace paginor {

QImage TThumbnailCache::Get(int index, QSize size, qreal ratio,
                            const std::function<QImage()>& make) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->index == index && it->size == size && it->ratio == ratio) {
      entries_.splice(entries_.begin(), entries_, it);
      return entries_.front().image;
    }
  }
  entries_.push_front({index, size, ratio, make()});
  while (entries_.size() > capacity_)
    entries_.pop_back();
  return entries_.front().image;
}

bool TThumbnailCache::Contains(int index, QSize size, qreal ratio) const {
  for (const Entry& entry : entries_) {
    if (entry.index == index && entry.size == size && entry.ratio == ratio) return true;
  }
  return false;
}

}  // namespace paginor
