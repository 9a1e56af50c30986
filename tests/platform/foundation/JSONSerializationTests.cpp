#include "platform/foundation/Array.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/JSONSerialization.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace foundation;

namespace {

objc::Id parse(std::string_view text, unsigned options = JSONSerialization::none,
               std::shared_ptr<Error>* error = nullptr) {
    return JSONSerialization::JSONObjectWithData(text, options, error);
}

TEST(JSONSerialization, BooleansStayBooleansAndNumbersKeepTheirKind) {
    auto array = arrayValue(parse(R"([true, false, 1, 0, -7, 2.5, 18446744073709551615, null, "x"])"));
    ASSERT_TRUE(array);
    ASSERT_EQ(array->count(), 9u);
    struct Expectation {
        Number::Kind kind;
        double value;
    };
    const Expectation expected[] = {{Number::Kind::boolean, 1},        {Number::Kind::boolean, 0},
                                    {Number::Kind::integer, 1},        {Number::Kind::integer, 0},
                                    {Number::Kind::integer, -7},       {Number::Kind::real, 2.5},
                                    {Number::Kind::unsignedInteger, 18446744073709551615.0}};
    for (std::size_t index = 0; index < std::size(expected); ++index) {
        SCOPED_TRACE(index);
        auto number = numberValue(array->objectAtIndex(index));
        ASSERT_TRUE(number);
        EXPECT_EQ(number->kind(), expected[index].kind);
        EXPECT_EQ(number->doubleValue(), expected[index].value);
    }
    EXPECT_EQ(numberValue(array->objectAtIndex(6))->unsignedValue(), 18446744073709551615ULL);
    EXPECT_TRUE(std::dynamic_pointer_cast<Null>(array->objectAtIndex(7)));
    EXPECT_EQ(stringValue(array->objectAtIndex(8)), "x");
}

TEST(JSONSerialization, IntegersBeyondSixtyFourBitsBecomeDoubles) {
    auto array = arrayValue(parse(R"([123456789012345678901234567890, -9223372036854775809, true])"));
    ASSERT_TRUE(array);
    auto huge = numberValue(array->objectAtIndex(0));
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->kind(), Number::Kind::real);
    EXPECT_DOUBLE_EQ(huge->doubleValue(), 1.2345678901234568e29);
    EXPECT_EQ(numberValue(array->objectAtIndex(1))->kind(), Number::Kind::real);
    EXPECT_TRUE(numberValue(array->objectAtIndex(2))->isBoolean());
}

TEST(JSONSerialization, InvalidDocumentsGiveNilAndError3840) {
    const std::string cases[] = {
        "",
        "   ",
        "{\"a\": 1,}",
        "{\"a\": tru}",
        "[1, 2",
        "{\"roots\": {}} trailing",
        std::string("{\"name\": \"\xC3\x28\"}"),  // invalid UTF-8 inside a string
        std::string("[\"\xFF\"]"),
        "[1e400]",
        "{'single': 1}",
        // A raw NUL is never JSON; the reader for long integers took it as the end.
        std::string("[123456789012345678901234567890]\0trailing", 41),
    };
    for (const auto& text : cases) {
        SCOPED_TRACE(text);
        std::shared_ptr<Error> error;
        EXPECT_EQ(parse(text, JSONSerialization::none, &error), nullptr);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->domain(), NSCocoaErrorDomain);
        EXPECT_EQ(error->code(), 3840);
        EXPECT_FALSE(error->localizedDescription().empty());
    }
}

TEST(JSONSerialization, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    for (const std::string inner : {"1", "123456789012345678901234567890"}) {
        SCOPED_TRACE(inner);
        std::string text = std::string(200000, '[') + inner + std::string(200000, ']');
        std::shared_ptr<Error> error;
        EXPECT_EQ(parse(text, JSONSerialization::none, &error), nullptr);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code(), 3840);
    }
    std::string shallow = std::string(100, '[') + "123456789012345678901234567890" + std::string(100, ']');
    EXPECT_TRUE(arrayValue(parse(shallow)));
}

TEST(JSONSerialization, FragmentsNeedTheOption) {
    std::shared_ptr<Error> error;
    EXPECT_EQ(parse("\"text\"", JSONSerialization::none, &error), nullptr);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 3840);
    EXPECT_EQ(stringValue(parse("\"text\"", JSONSerialization::fragmentsAllowed)), "text");
    EXPECT_TRUE(numberValue(parse("true", JSONSerialization::fragmentsAllowed))->isBoolean());
    EXPECT_TRUE(std::dynamic_pointer_cast<Null>(parse("null", JSONSerialization::fragmentsAllowed)));
}

TEST(JSONSerialization, ReadsNestedObjectsWithUnicodeAndEscapes) {
    auto root = dictionaryValue(parse(R"({"roots": {"bookmark_bar": {"children": [
        {"type": "url", "name": "\u6771\u4eac \"quoted\"", "url": "https:\/\/example.jp\/"}]}},
        "version": 1})"));
    ASSERT_TRUE(root);
    auto child = dictionaryValue(arrayValue(dictionaryValue(dictionaryValue(root->objectForKey("roots"))
                                                                ->objectForKey("bookmark_bar"))
                                                ->objectForKey("children"))
                                     ->objectAtIndex(0));
    ASSERT_TRUE(child);
    EXPECT_EQ(stringValue(child->objectForKey("name")), "\xE6\x9D\xB1\xE4\xBA\xAC \"quoted\"");
    EXPECT_EQ(stringValue(child->objectForKey("url")), "https://example.jp/");
    EXPECT_EQ(numberValue(root->objectForKey("version"))->kind(), Number::Kind::integer);
}

TEST(JSONSerialization, WritesBooleansNumbersAndEscapedSlashes) {
    auto object = Dictionary::make({{"flag", Number::withBool(true)},
                                    {"count", Number::withInteger(-3)},
                                    {"big", Number::withUnsigned(18446744073709551615ULL)},
                                    {"ratio", Number::withDouble(0.5)},
                                    {"url", String::make("https://a.b/c")},
                                    {"none", Null::null()},
                                    {"list", Array::make({String::make("x")})}});
    auto compact = JSONSerialization::dataWithJSONObject(object);
    ASSERT_TRUE(compact);
    EXPECT_EQ(compact->view(),
              R"({"big":18446744073709551615,"count":-3,"flag":true,"list":["x"],"none":null,"ratio":0.5,"url":"https:\/\/a.b\/c"})");
    auto unescaped = JSONSerialization::dataWithJSONObject(object, JSONSerialization::withoutEscapingSlashes);
    EXPECT_NE(unescaped->view().find("\"https://a.b/c\""), std::string_view::npos);
    auto pretty = JSONSerialization::dataWithJSONObject(Dictionary::make({{"a", Number::withInteger(1)}}),
                                                        JSONSerialization::prettyPrinted);
    EXPECT_EQ(pretty->view(), "{\n  \"a\": 1\n}");

    auto back = dictionaryValue(parse(compact->view()));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->isEqual(*object));
    EXPECT_TRUE(numberValue(back->objectForKey("flag"))->isBoolean());
}

TEST(JSONSerialization, RefusesObjectsJSONCannotHold) {
    const objc::Id cases[] = {
        nullptr,
        String::make("top-level fragment"),
        Array::make({Date::make(0)}),
        Array::make({Number::withDouble(std::numeric_limits<double>::quiet_NaN())}),
        Dictionary::make({{"x", Number::withDouble(std::numeric_limits<double>::infinity())}}),
        Array::make({String::make("\xC3\x28")}),
        [] {
            objc::Id nested = Array::make();
            for (int level = 0; level < 1100; ++level) nested = Array::make({nested});
            return nested;
        }(),
    };
    for (std::size_t index = 0; index < std::size(cases); ++index) {
        const auto& object = cases[index];
        SCOPED_TRACE(index);
        std::shared_ptr<Error> error;
        EXPECT_EQ(JSONSerialization::dataWithJSONObject(object, JSONSerialization::compact, &error), nullptr);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code(), 3851);
    }
    EXPECT_TRUE(JSONSerialization::isValidJSONObject(Array::make({Null::null(), Number::withBool(false)})));
    EXPECT_FALSE(JSONSerialization::isValidJSONObject(Number::withInteger(1)));
}

}  // namespace
