#include "platform/foundation/StringsFile.hpp"

#include <gtest/gtest.h>

using namespace foundation;

namespace {

TEST(StringsFile, ReadsEntriesWithCommentsAndEscapes) {
    auto table = StringsFile::parse(
        "\xEF\xBB\xBF/* Search panel */\n"
        "\"search_bookmarks_placeholder\" = \"Search bookmarks\";\n"
        "// a line comment\n"
        "\"hint_open\"=\"\\u21A9 Open\";  /* trailing */\n"
        "\"quoted\" = \"say \\\"hi\\\"\\n\\tand \\\\ leave\";\n"
        "\"emoji\" = \"\\UD83D\\UDE00\";\n"
        "\"octal\" = \"\\101\";\n"
        "\"same\";\n"
        "\"ja\" = \"\xE3\x83\x96\xE3\x83\x83\xE3\x82\xAF\xE3\x83\x9E\xE3\x83\xBC\xE3\x82\xAF\";\n"
        "\"twice\" = \"first\"; \"twice\" = \"second\";");
    ASSERT_TRUE(table);
    const StringsFile::Table expected = {
        {"search_bookmarks_placeholder", "Search bookmarks"},
        {"hint_open", "\xE2\x86\xA9 Open"},
        {"quoted", "say \"hi\"\n\tand \\ leave"},
        {"emoji", "\xF0\x9F\x98\x80"},
        {"octal", "A"},
        {"same", "same"},
        {"ja", "\xE3\x83\x96\xE3\x83\x83\xE3\x82\xAF\xE3\x83\x9E\xE3\x83\xBC\xE3\x82\xAF"},
        {"twice", "second"},
    };
    EXPECT_EQ(*table, expected);
    EXPECT_EQ(StringsFile::parse("  /* nothing */ \n")->size(), 0u);
}

TEST(StringsFile, MalformedTablesAreRefusedWithTheLine) {
    struct Case {
        std::string text;
        std::string failure;
    };
    const Case cases[] = {
        {"\"a\" = \"b\"", "expected ';' on line 1"},
        {"\"a\" = \"b\";\n\"c\" = d;", "expected a quoted string on line 2"},
        {"\"a\" = \"unterminated;", "unterminated string on line 1"},
        {"/* open comment", "unterminated comment on line 1"},
        {"key = \"value\";", "expected a quoted string on line 1"},
        {"\"a\" = \"\\UD83D\";", "unpaired surrogate on line 1"},
        {"\"a\" = \"\\U12", "incomplete \\U escape on line 1"},
        {"\"a\" = \"\\UZZZZ\";", "bad hexadecimal digit in \\U escape on line 1"},
        {"\"a\" = \"\xC3\x28\";", "not UTF-8 text"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.text);
        auto parsed = StringsFile::parse(testCase.text);
        ASSERT_FALSE(parsed);
        EXPECT_EQ(parsed.error(), testCase.failure);
    }
}

}  // namespace
