#include "package/BoundedText.h"

#include <gtest/gtest.h>

#include <cstring>

// Each helper reports a cut (-1), keeps the text terminated and never writes past its size.
TEST(BoundedText, HelpersFillTheBufferTerminatedAndReportACut) {
    char buffer[9];
    std::memset(buffer, 'z', sizeof buffer);
    EXPECT_EQ(boundedFormat(buffer, 8, "%s-%i", "ab", 42), 5);
    EXPECT_EQ(boundedFormat(buffer, 8, "%s", "1234567"), 7);
    EXPECT_EQ(boundedFormat(buffer, 8, "%s", "12345678"), -1);
    EXPECT_STREQ(buffer, "1234567");
    EXPECT_EQ(boundedFormat(buffer, 0, "%s", "x"), 0);
    EXPECT_TRUE(copyText(buffer, 5, "abcd"));
    EXPECT_FALSE(copyText(buffer, 5, "abcde"));
    EXPECT_STREQ(buffer, "abcd");
    EXPECT_TRUE(appendText(buffer, 8, "efg"));
    EXPECT_FALSE(appendText(buffer, 8, "h"));
    EXPECT_STREQ(buffer, "abcdefg");
    EXPECT_TRUE(copyTextPiece(buffer, 8, "hello world", 5));
    EXPECT_STREQ(buffer, "hello");
    EXPECT_FALSE(copyTextPiece(buffer, 4, "hello", 5));
    EXPECT_STREQ(buffer, "hel");
    EXPECT_TRUE(copyText(buffer, 5, nullptr));
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(buffer[8], 'z');
}

// A cut never leaves half a UTF-8 character behind: "日" takes 3 bytes, "😀" 4.
TEST(BoundedText, ACutEndsOnAWholeCharacter) {
    char buffer[8];
    struct Row {
        const char* text;
        const char* kept;
    } rows[] = {{"ab\xE6\x97\xA5\xE6\x97\xA5", "ab\xE6\x97\xA5"},
                {"abcdef\xE6\x97\xA5", "abcdef"},
                {"abc\xF0\x9F\x98\x80x", "abc\xF0\x9F\x98\x80"},
                {"abcd\xF0\x9F\x98\x80", "abcd"}};
    for (const Row& row : rows) {
        EXPECT_EQ(boundedFormat(buffer, sizeof buffer, "%s", row.text), -1);
        EXPECT_STREQ(buffer, row.kept) << row.text;
        EXPECT_FALSE(copyText(buffer, sizeof buffer, row.text));
        EXPECT_STREQ(buffer, row.kept) << row.text;
    }
}
