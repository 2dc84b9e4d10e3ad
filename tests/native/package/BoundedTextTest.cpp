#include "package/BoundedText.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(BoundedFormat, FitsAndReportsLength) {
    char buffer[16];
    EXPECT_EQ(boundedFormat(buffer, sizeof buffer, "%s-%i", "ab", 42), 5);
    EXPECT_STREQ(buffer, "ab-42");
}

TEST(BoundedFormat, TextExactlyAsLongAsBufferIsCutAndTerminated) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(boundedFormat(buffer, sizeof buffer, "%s", "12345678"), -1);
    EXPECT_STREQ(buffer, "1234567");
    // One shorter fits exactly.
    EXPECT_EQ(boundedFormat(buffer, sizeof buffer, "%s", "1234567"), 7);
    EXPECT_STREQ(buffer, "1234567");
}

TEST(BoundedFormat, NoRoomGivesZero) {
    char buffer[4] = {'a', 'b', 'c', 0};
    EXPECT_EQ(boundedFormat(buffer, 0, "%s", "x"), 0);
    EXPECT_EQ(boundedFormat(buffer, -3, "%s", "x"), 0);
    EXPECT_STREQ(buffer, "abc");
}

TEST(CopyText, ReportsCutAndNeverWritesPast) {
    char buffer[6];
    buffer[5] = 'z';
    EXPECT_EQ(copyText(buffer, 5, "abcd"), 0);
    EXPECT_STREQ(buffer, "abcd");
    EXPECT_EQ(copyText(buffer, 5, "abcde"), -1);
    EXPECT_STREQ(buffer, "abcd");
    EXPECT_EQ(buffer[5], 'z');
    EXPECT_EQ(copyText(buffer, 5, nullptr), 0);
    EXPECT_STREQ(buffer, "");
}

TEST(CopyText, AppendAndPiece) {
    char buffer[8] = "ab";
    EXPECT_EQ(appendText(buffer, sizeof buffer, "cde"), 0);
    EXPECT_STREQ(buffer, "abcde");
    EXPECT_EQ(appendText(buffer, sizeof buffer, "fgh"), -1);
    EXPECT_STREQ(buffer, "abcdefg");
    EXPECT_EQ(copyTextPiece(buffer, sizeof buffer, "hello world", 5), 0);
    EXPECT_STREQ(buffer, "hello");
    EXPECT_EQ(copyTextPiece(buffer, 4, "hello", 5), -1);
    EXPECT_STREQ(buffer, "hel");
}
