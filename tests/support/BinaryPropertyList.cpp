#include "tests/support/BinaryPropertyList.hpp"

namespace testsupport {

namespace {

void appendBigEndian(std::string& data, std::uint64_t value, int width) {
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) data += static_cast<char>((value >> shift) & 0xFF);
}

// Header, the objects, the offset table and the trailer.
std::string listOf(const std::vector<std::string>& encodedObjects, int referenceWidth) {
    std::string data = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (const auto& object : encodedObjects) {
        offsets.push_back(data.size());
        data += object;
    }
    auto table = data.size();
    for (auto offset : offsets) appendBigEndian(data, offset, 4);
    data += std::string(6, '\0');
    data += '\x04';
    data += static_cast<char>(referenceWidth);
    appendBigEndian(data, encodedObjects.size(), 8);
    appendBigEndian(data, 0, 8);
    appendBigEndian(data, table, 8);
    return data;
}

}  // namespace

std::string binaryPlist(const std::vector<std::vector<std::uint32_t>>& objects) {
    std::vector<std::string> encoded;
    for (const auto& references : objects) {
        if (references.empty()) {
            encoded.push_back("\x51x");
            continue;
        }
        std::string array(1, static_cast<char>(0xA0 | references.size()));
        for (auto reference : references) appendBigEndian(array, reference, 4);
        encoded.push_back(std::move(array));
    }
    return listOf(encoded, 4);
}

std::string binaryPlistOfEncodedObjects(const std::vector<std::string>& objects) { return listOf(objects, 1); }

std::vector<std::vector<std::uint32_t>> arrayChain(std::uint32_t length, std::uint32_t fanOut) {
    std::vector<std::vector<std::uint32_t>> objects;
    for (std::uint32_t index = 0; index < length; ++index) objects.emplace_back(fanOut, index + 1);
    objects.emplace_back();
    return objects;
}

}  // namespace testsupport
