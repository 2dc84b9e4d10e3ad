#include "package/BoundedText.h"

#include <gtest/gtest.h>

#include <cstring>

// Each helper reports a cut (-1) and never writes past the size it is given.
TEST(BoundedText, HelpersFillTheBufferTerminatedAndReportACut) {
    char buffer[9];
    auto fresh = [&] { return std::memset(buffer, 'z', sizeof buffer), buffer; };
    EXPECT_EQ(boundedFormat(fresh(), 8, "%s-%i", "ab", 42), 5);
    EXPECT_STREQ(buffer, "ab-42");
    EXPECT_EQ(boundedFormat(fresh(), 8, "%s", "1234567"), 7);
    EXPECT_EQ(boundedFormat(fresh(), 8, "%s", "12345678"), -1);
    EXPECT_STREQ(buffer, "1234567");
    EXPECT_EQ(boundedFormat(fresh(), 0, "%s", "x"), 0);
    EXPECT_EQ(boundedFormat(buffer, -3, "%s", "x"), 0);
    EXPECT_EQ(buffer[0], 'z');
    EXPECT_EQ(copyText(fresh(), 5, "abcd"), 0);
    EXPECT_EQ(copyText(buffer, 5, "abcde"), -1);
    EXPECT_STREQ(buffer, "abcd");
    EXPECT_EQ(copyText(buffer, 5, nullptr), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(appendText(std::strcpy(fresh(), "ab"), 8, "cde"), 0);
    EXPECT_EQ(appendText(buffer, 8, "fgh"), -1);
    EXPECT_STREQ(buffer, "abcdefg");
    EXPECT_EQ(copyTextPiece(fresh(), 8, "hello world", 5), 0);
    EXPECT_STREQ(buffer, "hello");
    EXPECT_EQ(copyTextPiece(fresh(), 4, "hello", 5), -1);
    EXPECT_STREQ(buffer, "hel");
    EXPECT_EQ(buffer[8], 'z');
}
