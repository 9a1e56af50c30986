#pragma once

#include "platform/appkit/Image.hpp"
#include "platform/appkit/View.hpp"

#include <memory>

namespace appkit {

// Shows an image scaled to fit its bounds with its proportions kept, centred. Main thread
// only.
class ImageView : public View {
public:
    explicit ImageView(Rect frame = {}) : View(frame) {}

    const std::shared_ptr<Image>& image() const { return image_; }
    void setImage(std::shared_ptr<Image> image) { image_ = std::move(image); }

    // Where the image is drawn within a rectangle the view occupies.
    Rect imageRectIn(const Rect& rect) const;

private:
    std::shared_ptr<Image> image_;
};

}  // namespace appkit
