#include "sdk/utilities/ZULMainImageEncryption.hpp"

#include "platform/system/LoadedImages.hpp"
#include "platform/system/MachO.hpp"

#include <cstring>
#include <optional>

namespace {

std::optional<std::uint32_t> readWord(std::span<const std::uint8_t> bytes, std::size_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(std::uint32_t)) return std::nullopt;
    std::uint32_t word;
    std::memcpy(&word, bytes.data() + offset, sizeof word);
    return word;
}

bool isExecutable(std::span<const std::uint8_t> image) {
    auto magic = readWord(image, 0);
    auto fileType = readWord(image, darwin::headerFileTypeOffset);
    return magic && (*magic == darwin::MH_MAGIC || *magic == darwin::MH_MAGIC_64) && fileType &&
           *fileType == darwin::MH_EXECUTE;
}

bool isEncrypted(std::span<const std::uint8_t> image) {
    bool is64Bit = readWord(image, 0) == darwin::MH_MAGIC_64;
    std::size_t headerSize = is64Bit ? darwin::machHeader64Size : darwin::machHeaderSize;
    auto commandCount = readWord(image, darwin::headerCommandCountOffset);
    auto commandsSize = readWord(image, darwin::headerCommandsSizeOffset);
    if (!commandCount || !commandsSize || *commandCount == 0 || image.size() < headerSize) return false;
    // Commands may not reach past the command area the header declares, nor past the image.
    auto commands = image.subspan(headerSize, std::min<std::size_t>(*commandsSize, image.size() - headerSize));
    std::uint32_t wanted = is64Bit ? darwin::LC_ENCRYPTION_INFO_64 : darwin::LC_ENCRYPTION_INFO;

    std::size_t offset = 0;
    for (std::uint32_t index = 0; index < *commandCount; ++index) {
        auto command = readWord(commands, offset);
        auto size = readWord(commands, offset + darwin::loadCommandSizeOffset);
        if (!command || !size) return false;
        if (*command == wanted) {
            auto cryptIdentifier = readWord(commands, offset + darwin::encryptionInfoCryptIdentifierOffset);
            return cryptIdentifier && *cryptIdentifier != 0;
        }
        // A command smaller than its own header would never advance the walk.
        if (*size < 2 * sizeof(std::uint32_t)) return false;
        offset += *size;
    }
    return false;
}

}  // namespace

bool ZULIsMainImageEncrypted(const std::vector<std::span<const std::uint8_t>>& images) {
    for (auto image : images)
        if (isExecutable(image)) return isEncrypted(image);
    return false;
}

bool ZULIsLoadedMainImageEncrypted() {
    std::vector<std::span<const std::uint8_t>> images;
    for (std::uint32_t index = 0; index < darwin::dyld_image_count(); ++index)
        images.push_back(darwin::dyld_get_image_header(index));
    return ZULIsMainImageEncrypted(images);
}
