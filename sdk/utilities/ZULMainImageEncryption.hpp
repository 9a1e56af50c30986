#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Whether the main executable among the loaded images is encrypted: the first image whose
// Mach-O file type is "executable" decides by its encryption-info load command (the 64-bit
// command in a 64-bit image, the 32-bit one otherwise) and that command's crypt identifier.
// Reads are bounded by the image bytes and the header's command area, so a malformed image
// answers false instead of being read past its end.
bool ZULIsMainImageEncrypted(const std::vector<std::span<const std::uint8_t>>& images);

// The same over the images the process has loaded.
bool ZULIsLoadedMainImageEncrypted();
