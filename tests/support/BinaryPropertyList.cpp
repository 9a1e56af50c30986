#include "tests/support/BinaryPropertyList.hpp"

namespace testsupport {

std::string binaryPlist(const std::vector<std::vector<std::uint32_t>>& objects) {
    std::string data = "bplist00";
    std::vector<std::uint32_t> offsets;
    auto appendBigEndian = [&](std::uint64_t value, int width) {
        for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) data += static_cast<char>((value >> shift) & 0xFF);
    };
    for (const auto& references : objects) {
        offsets.push_back(static_cast<std::uint32_t>(data.size()));
        if (references.empty()) {
            data += "\x51x";
            continue;
        }
        data += static_cast<char>(0xA0 | references.size());
        for (auto reference : references) appendBigEndian(reference, 4);
    }
    auto table = data.size();
    for (auto offset : offsets) appendBigEndian(offset, 4);
    data += std::string(6, '\0');
    data += '\x04';
    data += '\x04';
    appendBigEndian(objects.size(), 8);
    appendBigEndian(0, 8);
    appendBigEndian(table, 8);
    return data;
}

std::vector<std::vector<std::uint32_t>> arrayChain(std::uint32_t length, std::uint32_t fanOut) {
    std::vector<std::vector<std::uint32_t>> objects;
    for (std::uint32_t index = 0; index < length; ++index) objects.emplace_back(fanOut, index + 1);
    objects.emplace_back();
    return objects;
}

}  // namespace testsupport
