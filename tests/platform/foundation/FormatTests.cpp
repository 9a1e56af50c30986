#include "platform/foundation/Array.hpp"
#include "platform/foundation/Data.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/Format.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/URL.hpp"

#include <gtest/gtest.h>

using namespace foundation;

namespace {

TEST(Format, ObjectsPrintTheirDescriptionAndNilPrintsNull) {
    struct Case {
        objc::Id object;
        std::string expected;
    };
    const Case cases[] = {
        {String::make("hello"), "hello"},
        {Number::withInteger(-42), "-42"},
        {Number::withDouble(0.5), "0.5"},
        {Number::withBool(true), "1"},
        {Data::fromString("\x01\x02\x03\x04\x05"), "<01020304 05>"},
        {Null::null(), "<null>"},
        {nullptr, "(null)"},
        {Array::make({String::make("a"), String::make("b c")}), "(\n    a,\n    \"b c\"\n)"},
        {Dictionary::make({{"k", Number::withInteger(1)}}), "{\n    k = 1;\n}"},
        {URL::URLWithString("https://example.com/a"), "https://example.com/a"},
        {Error::withDescription("D", 7, "went wrong"), "Error Domain=D Code=7 \"went wrong\" UserInfo={NSLocalizedDescription=went wrong}"},
    };
    for (const auto& testCase : cases) EXPECT_EQ(format("[%@]", testCase.object), "[" + testCase.expected + "]");
}

TEST(Format, IntegerConversionsFollowPrintf) {
    EXPECT_EQ(format("I-ACS%06ld", 25018L), "I-ACS025018");
    EXPECT_EQ(format("%ld %li %lu %u %d", -1L, 2L, 3UL, 4U, 5), "-1 2 3 4 5");
    EXPECT_EQ(format("100%% of %@", String::make("it")), "100% of it");
    EXPECT_EQ(format("%@ - %@[%@] %@", String::make("a"), String::make("b"), String::make("c"), String::make("d")),
              "a - b[c] d");
    EXPECT_EQ(format("%s", "text"), "text");
    const void* pointer = reinterpret_cast<const void*>(0x1234);
    EXPECT_EQ(format("%p", pointer), "0x1234");
}

TEST(Format, DoublesForIntegerConversionsSaturateInsteadOfOverflowing) {
    EXPECT_EQ(format("%d", 2.9), "2");
    EXPECT_EQ(format("%ld", 1e300), "9223372036854775807");
    EXPECT_EQ(format("%ld", -1e300), "-9223372036854775808");
}

TEST(Format, MissingArgumentsPrintNothingAndTrailingPercentIsKept) {
    EXPECT_EQ(format("a%@b"), "ab");
    EXPECT_EQ(format("50%"), "50%");
}

TEST(Objects, ErrorDescribesItselfWithTheDefaultTextWhenNoneIsGiven) {
    auto error = Error::make("com.example", 3);
    EXPECT_EQ(error->localizedDescription(), "The operation couldn\u2019t be completed. (com.example error 3.)");
}

TEST(Objects, NumbersRememberTheirKindButCompareByValue) {
    EXPECT_TRUE(Number::withBool(true)->isBoolean());
    EXPECT_FALSE(Number::withInteger(1)->isBoolean());
    EXPECT_TRUE(objc::isEqual(Number::withInteger(1), Number::withDouble(1.0)));
    EXPECT_FALSE(objc::isEqual(Number::withInteger(-1), Number::withUnsigned(~0ULL)));
    EXPECT_EQ(Number::withDouble(2.9)->integerValue(), 2);
}

TEST(Objects, URLParsingAcceptsValidReferencesAndRefusesMalformedOnes) {
    struct Case {
        std::string text;
        bool valid;
        std::optional<std::string> host;
    };
    const Case cases[] = {
        {"https://github.com/user/repo?tab=1#top", true, "github.com"},
        {"http://[::1]:8080/x", true, "::1"},
        {"javascript:alert(1)", true, std::nullopt},
        {"mailto:someone@example.com", true, std::nullopt},
        {"file:///Users/me/My%20File.txt", true, ""},
        {"", false, std::nullopt},
        {"has space.com", false, std::nullopt},
        {"https://bad%zzescape.com", false, std::nullopt},
        {"http://host:99999/", false, std::nullopt},
        {"https://例え.jp", false, std::nullopt},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.text);
        auto url = URL::URLWithString(testCase.text);
        ASSERT_EQ(url != nullptr, testCase.valid);
        if (url) {
            EXPECT_EQ(url->host(), testCase.host);
        }
    }
    EXPECT_EQ(URL::fileURLWithPath("/tmp/My File")->absoluteString(), "file:///tmp/My%20File");
    EXPECT_EQ(URL::fileURLWithPath("/tmp/My File")->path(), "/tmp/My File");
    EXPECT_EQ(URL::fileURLWithPath("/tmp/a")->URLByAppendingPathComponent("b c")->path(), "/tmp/a/b c");
}

}  // namespace
