#include "platform/foundation/Array.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/PropertyListReader.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/URL.hpp"
#include "tests/support/BinaryPropertyList.hpp"
#include "tests/support/TemporaryHome.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using namespace foundation;

namespace {

std::string fixture(const std::string& name) {
    auto contents = testsupport::readFile(std::filesystem::path(KV_SOURCE_DIR) / "tests/fixtures/plist" / name);
    if (!contents) throw std::runtime_error("missing fixture " + name);
    return *contents;
}

std::shared_ptr<Dictionary> child(const std::shared_ptr<Dictionary>& node, std::size_t index) {
    auto children = arrayValue(node->objectForKey("Children"));
    return children ? dictionaryValue(children->objectAtIndex(index)) : nullptr;
}

TEST(PropertyListSerialization, ReadsSafariBookmarksWrittenByAnotherWriterInEitherFormat) {
    struct Case {
        std::string file;
        PropertyListFormat format;
    };
    for (const auto& testCase : {Case{"SafariBookmarks.binary.plist", PropertyListFormat::binary},
                                 Case{"SafariBookmarks.xml.plist", PropertyListFormat::xml}}) {
        SCOPED_TRACE(testCase.file);
        PropertyListFormat format{};
        std::shared_ptr<Error> error;
        auto root = dictionaryValue(PropertyListSerialization::propertyListWithData(fixture(testCase.file), &format, &error));
        ASSERT_TRUE(root) << (error ? error->description() : "");
        EXPECT_EQ(format, testCase.format);

        EXPECT_EQ(stringValue(child(root, 0)->objectForKey("WebBookmarkType")), "WebBookmarkTypeProxy");
        auto bar = child(root, 1);
        EXPECT_EQ(stringValue(bar->objectForKey("Title")), "BookmarksBar");
        auto github = child(bar, 0);
        EXPECT_EQ(stringValue(github->objectForKey("URLString")), "https://github.com/");
        EXPECT_EQ(stringValue(dictionaryValue(github->objectForKey("URIDictionary"))->objectForKey("title")), "GitHub");
        auto weather = child(child(bar, 1), 0);
        EXPECT_EQ(stringValue(dictionaryValue(weather->objectForKey("URIDictionary"))->objectForKey("title")),
                  "\xE6\x9D\xB1\xE4\xBA\xAC\xE3\x81\xAE\xE5\xA4\xA9\xE6\xB0\x97");

        auto reading = child(child(root, 2), 0);
        auto added = std::dynamic_pointer_cast<Date>(
            dictionaryValue(reading->objectForKey("ReadingList"))->objectForKey("DateAdded"));
        ASSERT_TRUE(added);
        EXPECT_DOUBLE_EQ(added->timeIntervalSince1970(), 1684312215.0);

        auto sync = dictionaryValue(root->objectForKey("Sync"));
        ASSERT_TRUE(sync);
        EXPECT_EQ(dataValue(sync->objectForKey("ServerData"))->bytes(), (std::vector<std::uint8_t>{0, 1, 2, 0xFF}));
        EXPECT_EQ(numberValue(sync->objectForKey("Negative"))->integerValue(), -42);
        EXPECT_EQ(numberValue(sync->objectForKey("Large"))->integerValue(), std::int64_t{1} << 40);
        EXPECT_EQ(numberValue(sync->objectForKey("Ratio"))->doubleValue(), 0.25);
        EXPECT_TRUE(numberValue(sync->objectForKey("Enabled"))->isBoolean());
        EXPECT_TRUE(numberValue(sync->objectForKey("Enabled"))->boolValue());
        EXPECT_TRUE(numberValue(sync->objectForKey("Disabled"))->isBoolean());
        EXPECT_FALSE(numberValue(root->objectForKey("WebBookmarkFileVersion"))->isBoolean());
    }
}

TEST(PropertyListSerialization, RoundTripKeepsEveryValueTypeInBothFormats) {
    auto original = Dictionary::make({
        {"string", String::make("caf\xC3\xA9 <&> \xE3\x81\x82")},
        {"empty", String::make("")},
        {"true", Number::withBool(true)},
        {"false", Number::withBool(false)},
        {"one", Number::withInteger(1)},
        {"negative", Number::withInteger(std::numeric_limits<std::int64_t>::min())},
        {"unsigned", Number::withUnsigned(4000000000ULL)},
        {"real", Number::withDouble(-1.5e-7)},
        {"data", Data::fromString(std::string("\0\x01\xFE", 3))},
        {"date", Date::make(Date::referenceDateOffset + 86400.0)},
        {"before2001", Date::make(Date::referenceDateOffset - 3600.0)},
        {"emptyArray", Array::make()},
        {"emptyDictionary", Dictionary::make()},
        {"nested", Array::make({Dictionary::make({{"Children", Array::make({String::make("x")})}})})},
    });
    for (auto format : {PropertyListFormat::binary, PropertyListFormat::xml}) {
        SCOPED_TRACE(static_cast<int>(format));
        std::shared_ptr<Error> error;
        auto data = PropertyListSerialization::dataWithPropertyList(original, format, &error);
        ASSERT_TRUE(data) << (error ? error->description() : "");
        PropertyListFormat found{};
        auto back = dictionaryValue(PropertyListSerialization::propertyListWithData(*data, &found));
        ASSERT_TRUE(back);
        EXPECT_EQ(found, format);
        EXPECT_TRUE(back->isEqual(*original)) << back->description();
        EXPECT_TRUE(numberValue(back->objectForKey("true"))->isBoolean());
        EXPECT_FALSE(numberValue(back->objectForKey("one"))->isBoolean());
        EXPECT_EQ(numberValue(back->objectForKey("negative"))->integerValue(), std::numeric_limits<std::int64_t>::min());
    }
}

TEST(PropertyListSerialization, BinaryKeepsFractionalSeconds) {
    auto date = Date::make(1700000000.25);
    auto data = PropertyListSerialization::dataWithPropertyList(Array::make({date}), PropertyListFormat::binary);
    ASSERT_TRUE(data);
    auto back = arrayValue(PropertyListSerialization::propertyListWithData(*data));
    ASSERT_TRUE(back);
    EXPECT_DOUBLE_EQ(std::dynamic_pointer_cast<Date>(back->objectAtIndex(0))->timeIntervalSince1970(), 1700000000.25);
}

TEST(PropertyListSerialization, MalformedInputGivesNilAndError3840) {
    auto binary = fixture("SafariBookmarks.binary.plist");
    std::vector<std::string> cases = {
        "",
        "not a property list",
        "bplist00",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key><string>b</string>",
        "<plist version=\"1.0\"><array><integer>12</array></plist>",
        std::string("\xFF\xFE\x00\x00garbage", 11),
    };
    for (std::size_t length = 1; length < binary.size(); length += 7) cases.push_back(binary.substr(0, length));
    for (const auto& text : cases) {
        SCOPED_TRACE(testing::PrintToString(text.substr(0, 40)));
        std::shared_ptr<Error> error;
        EXPECT_EQ(PropertyListSerialization::propertyListWithData(text, nullptr, &error), nullptr);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->domain(), NSCocoaErrorDomain);
        EXPECT_EQ(error->code(), 3840);
    }
}

TEST(PropertyListSerialization, CorruptedBinaryNeverCrashesAndFailuresCarryAnError) {
    auto binary = fixture("SafariBookmarks.binary.plist");
    for (std::size_t index = 8; index < binary.size(); ++index) {
        for (char replacement : {'\x00', '\xFF', '\x7F'}) {
            auto corrupted = binary;
            corrupted[index] = replacement;
            std::shared_ptr<Error> error;
            auto result = PropertyListSerialization::propertyListWithData(corrupted, nullptr, &error);
            if (!result) {
                ASSERT_TRUE(error) << "byte " << index;
                EXPECT_EQ(error->code(), 3840);
            }
        }
    }
}

std::size_t depthOf(objc::Id object) {
    std::size_t depth = 0;
    while (auto array = arrayValue(object)) {
        ++depth;
        object = array->objectAtIndex(0);
    }
    return depth;
}

TEST(PropertyListSerialization, HostileShapesAreRefusedBeforeParsing) {
    using testsupport::arrayChain;
    using testsupport::binaryPlist;
    struct Case {
        std::string what;
        std::string data;
        bool accepted;
    };
    const Case cases[] = {
        {"binary nested 400 deep", binaryPlist(arrayChain(400, 1)), true},
        {"binary nested 100000 deep", binaryPlist(arrayChain(100000, 1)), false},
        {"binary shared references expanding to 2^10", binaryPlist(arrayChain(10, 2)), true},
        {"binary shared references expanding to 2^60", binaryPlist(arrayChain(60, 2)), false},
        {"binary self reference", binaryPlist({{0}}), false},
        {"binary cycle", binaryPlist({{1}, {0}}), false},
        {"binary reference past the last object", binaryPlist({{5}, {}}), false},
        {"XML nested 400 deep",
         "<plist version=\"1.0\">" + [] {
             std::string text;
             for (int level = 0; level < 400; ++level) text += "<array>";
             text += "<string>x</string>";
             for (int level = 0; level < 400; ++level) text += "</array>";
             return text;
         }() + "</plist>",
         true},
        {"XML nested 100000 deep",
         [] {
             std::string text = "<plist version=\"1.0\">";
             for (int level = 0; level < 100000; ++level) text += "<array>";
             return text + "<string>x</string></plist>";
         }(),
         false},
        {"XML tags inside a comment do not count",
         "<plist version=\"1.0\"><!--" + [] {
             std::string text;
             for (int level = 0; level < 1000; ++level) text += "<dict>";
             return text;
         }() + "--><array><dict/></array></plist>",
         true},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        std::shared_ptr<Error> error;
        auto result = PropertyListSerialization::propertyListWithData(testCase.data, nullptr, &error);
        EXPECT_EQ(result != nullptr, testCase.accepted);
        if (!testCase.accepted) {
            ASSERT_TRUE(error);
            EXPECT_EQ(error->code(), 3840);
        }
    }
    EXPECT_EQ(depthOf(PropertyListSerialization::propertyListWithData(binaryPlist(arrayChain(400, 1)))), 400u);
}

TEST(PropertyListSerialization, BinaryDictionaryKeyHoldingANulIsRefusedNotFatal) {
    // Our writer refuses such keys, so they are patched into a written file: the '#' of the
    // key becomes a NUL, in the one-byte form of an ASCII key and the two-byte form of others.
    struct Case {
        const char* what;
        std::string key;
        std::string marked;
        std::string nul;
    };
    const Case cases[] = {
        {"ASCII key", "a#b", "a#b", std::string("a\0b", 3)},
        {"UTF-16 key", "\u00e9#b", std::string("\x00\xe9\x00#", 4), std::string("\x00\xe9\x00\x00", 4)},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        auto values = Dictionary::make({{testCase.key, String::make("value")}, {"other", String::make("kept")}});
        auto written = PropertyListSerialization::dataWithPropertyList(values, PropertyListFormat::binary);
        ASSERT_TRUE(written);
        std::string data(written->view());
        auto at = data.find(testCase.marked);
        ASSERT_NE(at, std::string::npos);
        data.replace(at, testCase.marked.size(), testCase.nul);
        std::shared_ptr<Error> error;
        EXPECT_EQ(PropertyListSerialization::propertyListWithData(data, nullptr, &error), nullptr);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code(), 3840);
    }
}

TEST(PropertyListSerialization, WritingRefusesValuesAPropertyListCannotHold) {
    const objc::Id cases[] = {
        nullptr,
        Null::null(),
        URL::URLWithString("https://example.com"),
        Array::make({String::make("fine"), Null::null()}),
        Dictionary::make({{"deep", Array::make({URL::URLWithString("https://x.y")})}}),
        Number::withUnsigned(std::numeric_limits<std::uint64_t>::max()),
        String::make(std::string("cut\0here", 8)),
        String::make("caf\xC3"),                                           // cut inside a character
        String::make("\xED\xA0\x80"),                                     // an encoded surrogate
        Dictionary::make({{std::string("k\0ey", 4), String::make("x")}}),  // a key cut short
        Dictionary::make({{"\xFF", String::make("x")}}),
        [] {
            objc::Id nested = String::make("x");
            for (int level = 0; level < 600; ++level) nested = Array::make({nested});
            return nested;
        }(),
    };
    for (std::size_t index = 0; index < std::size(cases); ++index) {
        const auto& object = cases[index];
        SCOPED_TRACE(index);
        EXPECT_FALSE(PropertyListSerialization::propertyListIsValidForFormat(object, PropertyListFormat::binary));
        for (auto format : {PropertyListFormat::binary, PropertyListFormat::xml}) {
            std::shared_ptr<Error> error;
            EXPECT_EQ(PropertyListSerialization::dataWithPropertyList(object, format, &error), nullptr);
            ASSERT_TRUE(error);
            EXPECT_EQ(error->code(), 3851);
        }
    }
}

TEST(PropertyListSerialization, XMLOutputUsesThePlatformElements) {
    auto data = PropertyListSerialization::dataWithPropertyList(
        Dictionary::make({{"flag", Number::withBool(true)}, {"count", Number::withInteger(-5)}}), PropertyListFormat::xml);
    ASSERT_TRUE(data);
    auto text = std::string(data->view());
    EXPECT_NE(text.find("<key>flag</key>"), std::string::npos);
    EXPECT_NE(text.find("<true/>"), std::string::npos);
    EXPECT_NE(text.find("<integer>-5</integer>"), std::string::npos);
}

TEST(PropertyListSerialization, TextThatIsNotUnicodeIsRefusedWholeInEitherFormat) {
    using testsupport::binaryPlistOfEncodedObjects;
    auto inArray = [](std::string encodedString) {
        return binaryPlistOfEncodedObjects({"\xA1\x01", std::move(encodedString)});
    };
    auto xml = [](std::string body) { return "<plist version=\"1.0\">" + body + "</plist>"; };
    struct Case {
        std::string what;
        std::string data;
        std::optional<std::string> text;  // what the list holds when it is read
    };
    const Case cases[] = {
        {"ASCII form holding UTF-8", inArray("\x52\xC3\xA9"), "\xC3\xA9"},
        {"ASCII form holding a byte that is not UTF-8", inArray("\x52\xFF\xFE"), std::nullopt},
        {"ASCII form holding a NUL", inArray(std::string("\x53" "a\0b", 4)), std::nullopt},
        {"UTF-16 surrogate pair", inArray(std::string("\x62\xD8\x3D\xDE\x00", 5)), "\xF0\x9F\x98\x80"},
        {"UTF-16 holding U+0000", inArray(std::string("\x62\x00\x41\x00\x00", 5)), std::nullopt},
        {"UTF-16 lone high surrogate", inArray(std::string("\x62\xD8\x00\x00\x41", 5)), std::nullopt},
        {"UTF-16 lone low surrogate", inArray(std::string("\x61\xDC\x00", 3)), std::nullopt},
        {"key that is not UTF-8", binaryPlistOfEncodedObjects({"\xD1\x01\x02", "\x52\xC3\x28", "\x51x"}),
         std::nullopt},
        {"XML character reference", xml("<array><string>&#x1F600;</string></array>"), "\xF0\x9F\x98\x80"},
        {"XML byte that is not UTF-8", xml("<array><string>a\xFF</string></array>"), std::nullopt},
        {"XML reference to a surrogate", xml("<array><string>&#xD800;</string></array>"), std::nullopt},
        {"XML decimal reference to a surrogate", xml("<array><string>&#56320;</string></array>"), std::nullopt},
        {"XML NUL byte in a string", xml(std::string("<array><string>a") + '\0' + "b</string></array>"), std::nullopt},
        {"XML NUL byte in a key", xml(std::string("<dict><key>a") + '\0' + "b</key><string>x</string></dict>"),
         std::nullopt},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        std::shared_ptr<Error> error;
        auto result = PropertyListSerialization::propertyListWithData(testCase.data, nullptr, &error);
        if (testCase.text) {
            auto array = arrayValue(result);
            ASSERT_TRUE(array) << (error ? error->description() : "");
            EXPECT_EQ(stringValue(array->objectAtIndex(0)), testCase.text);
        } else {
            EXPECT_EQ(result, nullptr);
            ASSERT_TRUE(error);
            EXPECT_EQ(error->code(), 3840);
        }
    }
}

// The seconds a binary list's only date holds, read from the bytes.
double dateBits(const Data& data) {
    auto bytes = data.view();
    auto at = bytes.find('\x33');
    std::uint64_t bits = 0;
    for (std::size_t index = 1; index <= 8; ++index) bits = (bits << 8) | static_cast<unsigned char>(bytes[at + index]);
    double seconds = 0;
    std::memcpy(&seconds, &bits, sizeof seconds);
    return seconds;
}

TEST(PropertyListSerialization, DatesReadAndWrittenBackKeepEveryBit) {
    std::vector<double> intervals = {0.0,   -0.25,  0.25,   123.0000009999, -1.75, 1e12,
                                     -1e12, 1e-300, 5e-324, std::nan(""),   INFINITY};
    std::mt19937_64 random(2001);
    std::uniform_real_distribution<double> within(-2.1e9, 2.1e9);  // 1934 to 2067
    for (int count = 0; count < 1000; ++count) intervals.push_back(within(random));
    for (double interval : intervals) {
        SCOPED_TRACE(interval);
        std::uint64_t bits = 0;
        std::memcpy(&bits, &interval, sizeof bits);
        std::string encoded = "\x33";
        for (int shift = 56; shift >= 0; shift -= 8) encoded += static_cast<char>((bits >> shift) & 0xFF);
        auto read = arrayValue(PropertyListSerialization::propertyListWithData(
            testsupport::binaryPlistOfEncodedObjects({"\xA1\x01", encoded})));
        ASSERT_TRUE(read);
        auto written = PropertyListSerialization::dataWithPropertyList(read, PropertyListFormat::binary);
        ASSERT_TRUE(written);
        double back = dateBits(*written);
        EXPECT_EQ(std::memcmp(&back, &interval, sizeof back), 0) << back;
        auto date = std::dynamic_pointer_cast<Date>(read->objectAtIndex(0));
        ASSERT_TRUE(date);
        if (!std::isnan(interval)) {
            EXPECT_EQ(date->timeIntervalSinceReferenceDate(), interval);
        }
    }
}

TEST(PropertyListSerialization, XMLHoldsDatesAsWholeSecondsOfTheYearsOneTo9999) {
    struct Case {
        double interval;
        std::optional<std::string> written;
    };
    const Case cases[] = {
        {0.75, "2001-01-01T00:00:00Z"},
        {-0.25, "2000-12-31T23:59:59Z"},
        {-63113904000.0, "1-01-01T00:00:00Z"},
        {252423993599.0, "9999-12-31T23:59:59Z"},
        {252423993600.0, std::nullopt},
        {-63113904001.0, std::nullopt},
        {std::nan(""), std::nullopt},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.interval);
        auto list = Array::make({Date::dateWithTimeIntervalSinceReferenceDate(testCase.interval)});
        std::shared_ptr<Error> error;
        auto data = PropertyListSerialization::dataWithPropertyList(list, PropertyListFormat::xml, &error);
        if (!testCase.written) {
            EXPECT_EQ(data, nullptr);
            ASSERT_TRUE(error);
            EXPECT_EQ(error->code(), 3851);
            EXPECT_TRUE(PropertyListSerialization::dataWithPropertyList(list, PropertyListFormat::binary));
            continue;
        }
        ASSERT_TRUE(data);
        EXPECT_NE(std::string(data->view()).find("<date>" + *testCase.written + "</date>"), std::string::npos);
        auto back = arrayValue(PropertyListSerialization::propertyListWithData(*data));
        ASSERT_TRUE(back);
        auto again = PropertyListSerialization::dataWithPropertyList(back, PropertyListFormat::xml);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->view(), data->view());
    }
    // The library's reader runs fields out of range on, past what XML can hold: refused.
    std::shared_ptr<Error> error;
    EXPECT_EQ(PropertyListSerialization::propertyListWithData(
                  "<plist version=\"1.0\"><array><date>9999-12-31T23:59:60Z</date></array></plist>", nullptr, &error),
              nullptr);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 3840);
}

TEST(PropertyListSerialization, UIDsStayUIDsThroughEitherForm) {
    // An array holding UID 261, as a binary list; the XML form writes a UID as a CF$UID dictionary.
    auto binary = testsupport::binaryPlistOfEncodedObjects({"\xA1\x01", "\x81\x01\x05"});
    auto uidIn = [](const std::string& data) {
        auto list = PropertyListReader::read(data);
        return list && plist_get_node_type(plist_array_get_item(static_cast<plist_t>(list->root.get()), 0)) == PLIST_UID;
    };
    ASSERT_TRUE(uidIn(binary));
    auto list = PropertyListSerialization::propertyListWithData(binary);
    auto uid = dictionaryValue(arrayValue(list)->objectAtIndex(0));
    ASSERT_TRUE(uid);
    EXPECT_EQ(numberValue(uid->objectForKey("CF$UID"))->unsignedValue(), 261u);
    for (auto format : {PropertyListFormat::binary, PropertyListFormat::xml}) {
        SCOPED_TRACE(static_cast<int>(format));
        auto written = PropertyListSerialization::dataWithPropertyList(list, format);
        ASSERT_TRUE(written);
        EXPECT_TRUE(uidIn(std::string(written->view())));
        EXPECT_TRUE(PropertyListSerialization::propertyListWithData(*written)->isEqual(*list));
    }
    // A dictionary with a signed count under that key is no UID.
    auto plain = Array::make({Dictionary::make({{"CF$UID", Number::withInteger(-1)}})});
    auto written = PropertyListSerialization::dataWithPropertyList(plain, PropertyListFormat::binary);
    ASSERT_TRUE(written);
    EXPECT_FALSE(uidIn(std::string(written->view())));
}

}  // namespace
