#include "platform/system/LoadedImages.hpp"

#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/ProcessWide.hpp"

#include <memory>

namespace darwin {

namespace {

using ImageSet = std::shared_ptr<const std::vector<std::vector<std::uint8_t>>>;

// Replaced sets are kept so that spans handed out earlier never dangle.
foundation::Guarded<std::vector<ImageSet>>& imageSets() {
    static foundation::Guarded<std::vector<ImageSet>> sets;
    return sets;
}

ImageSet currentImages() {
    auto sets = imageSets().lock();
    return sets->empty() ? nullptr : sets->back();
}

}  // namespace

std::uint32_t dyld_image_count() {
    auto images = currentImages();
    return images ? static_cast<std::uint32_t>(images->size()) : 0;
}

std::span<const std::uint8_t> dyld_get_image_header(std::uint32_t index) {
    auto images = currentImages();
    if (!images || index >= images->size()) return {};
    return (*images)[index];
}

void setLoadedImagesForTesting(std::vector<std::vector<std::uint8_t>> images) {
    static foundation::ProcessWideReset reset([] { imageSets().lock()->push_back(nullptr); });
    imageSets().lock()->push_back(std::make_shared<const std::vector<std::vector<std::uint8_t>>>(std::move(images)));
    reset.arm();
}

}  // namespace darwin
