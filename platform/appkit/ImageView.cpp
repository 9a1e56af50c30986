#include "platform/appkit/ImageView.hpp"

#include <algorithm>

namespace appkit {

Rect ImageView::imageRectIn(const Rect& rect) const {
    if (!image_ || image_->width() <= 0 || image_->height() <= 0) return Rect(rect.origin, Size{});
    double scale = std::min(rect.width() / image_->width(), rect.height() / image_->height());
    double width = image_->width() * scale, height = image_->height() * scale;
    return Rect(rect.midX() - width / 2, rect.midY() - height / 2, width, height);
}

}  // namespace appkit
