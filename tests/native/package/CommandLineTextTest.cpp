#include "package/CommandLineText.h"
#include "package/Utf8Text.h"

#include <gtest/gtest.h>

// Each value goes into a quoted command-line text and must come back whole; in UTF-8 the text
// must stay well-formed, or the system's wide conversion turns the broken character into U+FFFD.
TEST(CommandLineText, EveryValueComesBackWholeAndUtf8StaysWellFormed) {
    const std::string euro = "\xE2\x82\xAC", notSign = "\xC2\xAC";
    struct Row {
        unsigned codePage;
        std::string value;
        std::string quoted;
    } rows[] = {
        // The euro sign ends in the byte 0xAC: as a character it needs no escape.
        {65001, "Price " + euro, "\"Price " + euro + "\""},
        {65001, "C:\\D\xC3\xA9mo \xE6\x97\xA5\xE6\x9C\xAC",
         "\"C:\\D\xC3\xA9mo \xE6\x97\xA5\xE6\x9C\xAC\""},
        {65001, "a" + notSign + "\"b", "\"a" + notSign + notSign + notSign + "\"b\""},
        {65001, euro + "\"", "\"" + euro + notSign + "\"\""},
        // Damaged UTF-8 travels as bytes and still comes back.
        {65001, "x\xAC\xC2", "\"x\xAC\xC2\""},
        {1252, "a\xAC\"", "\"a\xAC\xAC\xAC\"\""},
        {1252, "\x80 \xAC", "\"\x80 \xAC\xAC\""},
    };
    for (const Row& row : rows) {
        std::string text = CommandLineText::quoted(row.value, row.codePage);
        EXPECT_EQ(text, row.quoted);
        const char* inside = text.c_str() + 1;
        size_t end = CommandLineText::closingQuote(inside, text.size() - 1, row.codePage);
        EXPECT_EQ(end, text.size() - 2) << row.value;
        EXPECT_EQ(CommandLineText::unescaped(inside, end, row.codePage), row.value);
        if (row.codePage == 65001 && Utf8Text::isValid(row.value.data(), row.value.size()))
            EXPECT_TRUE(Utf8Text::isValid(text.data(), text.size())) << row.value;
    }
}

TEST(Utf8Text, OnlyWellFormedSequencesAreValid) {
    struct Row {
        std::string text;
        bool valid;
    } rows[] = {{"D\xC3\xA9mo", true},   {"\xE2\x82\xAC", true},
                {"\xE2\x82", false},     {"\xC0\xAF", false},
                {"\xED\xA0\x80", false}, {"\xF4\x90\x80\x80", false},
                {"\xAC", false},         {"", true}};
    for (const Row& row : rows)
        EXPECT_EQ(Utf8Text::isValid(row.text.data(), row.text.size()), row.valid) << row.text;
}
