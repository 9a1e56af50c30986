#include "platform/system/LoadedImages.hpp"

#include <memory>
#include <mutex>

namespace darwin {

namespace {

std::mutex imagesMutex;
// Replaced sets are kept so that spans handed out earlier never dangle.
std::vector<std::shared_ptr<const std::vector<std::vector<std::uint8_t>>>>& imageSets() {
    static std::vector<std::shared_ptr<const std::vector<std::vector<std::uint8_t>>>> sets;
    return sets;
}

std::shared_ptr<const std::vector<std::vector<std::uint8_t>>> currentImages() {
    std::lock_guard lock(imagesMutex);
    return imageSets().empty() ? nullptr : imageSets().back();
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
    std::lock_guard lock(imagesMutex);
    imageSets().push_back(std::make_shared<const std::vector<std::vector<std::uint8_t>>>(std::move(images)));
}

}  // namespace darwin
