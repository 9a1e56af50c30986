#pragma once

#include "platform/system/MachO.hpp"

#include <cstdint>
#include <cstring>
#include <vector>

namespace testsupport {

// Builds the bytes of a synthetic Mach-O header with its load commands.
class MachOImageBuilder {
public:
    enum class Width { bits32, bits64 };

    explicit MachOImageBuilder(Width width, std::uint32_t fileType = darwin::MH_EXECUTE)
        : width_(width), fileType_(fileType) {}

    // A command of the given size whose remaining words are zero.
    MachOImageBuilder& command(std::uint32_t command, std::uint32_t size = 16) {
        std::vector<std::uint32_t> words(size / 4, 0);
        words[0] = command;
        words[1] = size;
        return append(words);
    }
    MachOImageBuilder& encryptionInfo(std::uint32_t cryptIdentifier) {
        std::uint32_t command = width_ == Width::bits64 ? darwin::LC_ENCRYPTION_INFO_64 : darwin::LC_ENCRYPTION_INFO;
        std::vector<std::uint32_t> words{command, 0, 0x4000, 0x1000, cryptIdentifier};
        if (width_ == Width::bits64) words.push_back(0);  // padding of the 64-bit form
        words[1] = static_cast<std::uint32_t>(words.size() * 4);
        return append(words);
    }
    MachOImageBuilder& encryptionInfoOfOtherWidth(std::uint32_t cryptIdentifier) {
        std::uint32_t command = width_ == Width::bits64 ? darwin::LC_ENCRYPTION_INFO : darwin::LC_ENCRYPTION_INFO_64;
        return append({command, 20, 0x4000, 0x1000, cryptIdentifier});
    }
    // A command header whose declared size differs from the eight bytes written.
    MachOImageBuilder& commandWithDeclaredSize(std::uint32_t command, std::uint32_t declaredSize) {
        return append({command, declaredSize});
    }
    // Declares more commands than were added (a lying header).
    MachOImageBuilder& declaredCommandCount(std::uint32_t count) {
        declaredCount_ = count;
        return *this;
    }

    std::vector<std::uint8_t> build() const {
        std::vector<std::uint32_t> header{width_ == Width::bits64 ? darwin::MH_MAGIC_64 : darwin::MH_MAGIC,
                                          0x01000007,
                                          3,
                                          fileType_,
                                          declaredCount_ ? declaredCount_ : count_,
                                          static_cast<std::uint32_t>(commands_.size()),
                                          0};
        if (width_ == Width::bits64) header.push_back(0);
        std::vector<std::uint8_t> bytes(header.size() * 4);
        std::memcpy(bytes.data(), header.data(), bytes.size());
        bytes.insert(bytes.end(), commands_.begin(), commands_.end());
        return bytes;
    }

private:
    MachOImageBuilder& append(const std::vector<std::uint32_t>& words) {
        auto offset = commands_.size();
        commands_.resize(offset + words.size() * 4);
        std::memcpy(commands_.data() + offset, words.data(), words.size() * 4);
        ++count_;
        return *this;
    }

    Width width_;
    std::uint32_t fileType_;
    std::uint32_t count_ = 0;
    std::uint32_t declaredCount_ = 0;
    std::vector<std::uint8_t> commands_;
};

}  // namespace testsupport
