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
