#include "app/thumbnail_maker.h"

#include <utility>

#include "app/main_unit.h"

namespace paginor {

TThumbnailMaker::TThumbnailMaker(QObject* context, TMade made)
    : context_(context), made_(std::move(made)) {
  // One thread: the window keeps the other core.
  pool_.setMaxThreadCount(1);
}

TThumbnailMaker::~TThumbnailMaker() {
  pool_.clear();
  pool_.waitForDone();
}

void TThumbnailMaker::Ask(int index, const TPicture& picture, QSize size, qreal ratio) {
  const TKey key{index, size.width(), size.height(), ratio};
  if (!asked_.insert(key).second) return;
  const int document = document_;
  pool_.start([this, picture, index, size, ratio, document, key] {
    const QSize pixels = (QSizeF(size) * ratio).toSize();
    std::string message;
    QImage image = DrawThumbnail(picture.DecodeAtLeast(pixels.width(), pixels.height()), size,
                                 ratio, [&message](const std::string& text) { message = text; });
    QMetaObject::invokeMethod(
        context_,
        [this, index, size, ratio, document, key, image = std::move(image),
         message = std::move(message)] {
          if (document != document_) return;
          asked_.erase(key);
          made_(index, size, ratio, image, message);
        },
        Qt::QueuedConnection);
  });
}

void TThumbnailMaker::Forget() {
  pool_.clear();  // what has not started yet
  asked_.clear();
  ++document_;
}

}  // namespace paginor
