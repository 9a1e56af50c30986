#include "platform/foundation/PropertyListParsingLimits.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using foundation::propertyListWithinParsingLimits;

namespace {

// A binary property list assembled by hand from encoded objects; references are 2 bytes.
std::string binaryList(const std::vector<std::string>& objects, std::uint16_t top = 0) {
    std::string out = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (auto& object : objects) {
        offsets.push_back(out.size());
        out += object;
    }
    std::uint64_t table = out.size();
    for (auto offset : offsets) out += {char(offset >> 8), char(offset)};
    std::string trailer(6, '\0');
    trailer += {char(2), char(2)};
    auto be64 = [](std::uint64_t value) {
        std::string bytes;
        for (int shift = 56; shift >= 0; shift -= 8) bytes.push_back(char(value >> shift));
        return bytes;
    };
    return out + trailer + be64(objects.size()) + be64(top) + be64(table);
}

std::string reference(std::uint16_t object) { return {char(object >> 8), char(object)}; }
std::string array(std::initializer_list<std::uint16_t> children) {
    std::string bytes(1, char(0xA0 | children.size()));
    for (auto child : children) bytes += reference(child);
    return bytes;
}

// A chain of arrays, each holding the next, `depth` containers deep.
std::string chain(int depth) {
    std::vector<std::string> objects;
    for (int level = 0; level < depth - 1; ++level) objects.push_back(array({std::uint16_t(level + 1)}));
    objects.push_back(array({}));
    return binaryList(objects);
}

TEST(PropertyListParsingLimits, BinaryListsAreJudgedByNestingShapeAndSoundness) {
    struct Case {
        const char* label;
        std::string data;
        bool expected;
    };
    // Ten arrays each referring twice to the next: 2^10 copies when expanded, from 60 bytes.
    std::vector<std::string> doubling;
    for (int level = 0; level < 10; ++level)
        doubling.push_back(array({std::uint16_t(level + 1), std::uint16_t(level + 1)}));
    doubling.push_back(array({}));
    const std::vector<Case> cases = {
        {"shallow", chain(3), true},
        {"at the limit", chain(int(foundation::maximumPropertyListNesting)), true},
        {"one deeper", chain(int(foundation::maximumPropertyListNesting) + 1), false},
        {"a cycle", binaryList({array({1}), array({0})}), false},
        {"reference past the table", binaryList({array({7})}), false},
        {"top object past the table", binaryList({array({})}, 3), false},
        {"truncated", chain(3).substr(0, 20), false},
        {"shared leaves are fine", binaryList({array({1, 1, 1}), std::string("\x51x")}), true},
        {"shared containers multiplying", binaryList(doubling), false},
    };
    for (auto& entry : cases) EXPECT_EQ(propertyListWithinParsingLimits(entry.data), entry.expected) << entry.label;
}

TEST(PropertyListParsingLimits, XMLListsAreJudgedByTheirContainerTags) {
    auto nested = [](int depth) {
        std::string text = "<?xml version=\"1.0\"?><plist>";
        for (int level = 0; level < depth; ++level) text += level % 2 ? "<array>" : "<dict><key>k</key>";
        text += "<dict/><array/>";
        for (int level = depth - 1; level >= 0; --level) text += level % 2 ? "</array>" : "</dict>";
        return text + "</plist>";
    };
    EXPECT_TRUE(propertyListWithinParsingLimits(nested(10)));
    EXPECT_TRUE(propertyListWithinParsingLimits(nested(int(foundation::maximumPropertyListNesting))));
    EXPECT_FALSE(propertyListWithinParsingLimits(nested(int(foundation::maximumPropertyListNesting) + 1)));
    EXPECT_TRUE(propertyListWithinParsingLimits("")) << "nothing to parse is the parser's to refuse";
}

}  // namespace
