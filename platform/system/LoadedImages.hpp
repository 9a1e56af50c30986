#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace darwin {

// The executable images loaded in the process, as the platform's dyld lists them: index 0
// first. Linux loads no Mach-O images, so the list is empty unless a test installs images
// (each the bytes of a Mach-O header followed by its load commands). Safe from any thread.
std::uint32_t dyld_image_count();
// The header bytes of an image, empty for an index past the end.
std::span<const std::uint8_t> dyld_get_image_header(std::uint32_t index);

// Test support: the images the process answers with from now on (replaces any earlier set;
// spans handed out before stay valid until the next replacement).
void setLoadedImagesForTesting(std::vector<std::vector<std::uint8_t>> images);

}  // namespace darwin
