#include "startup/Log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <unistd.h>

namespace {
std::tm fixedTime(int month) {
    std::tm t = {};
    t.tm_year = 2026 - 1900;
    t.tm_mon = month;
    t.tm_mday = 6;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 7;
    return t;
}

class LogFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/kestrel-log-XXXXXX";
        int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        close(fd);
        path_ = name;
    }
    void TearDown() override { std::remove(path_.c_str()); }
    std::string contents() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string path_;
};
} // namespace

TEST(LogPrefix, NumberAndTimeStampFormat) {
    char prefix[128];
    std::tm t = fixedTime(11);
    formatLogPrefix(prefix, sizeof prefix, 3, 10, &t);
    EXPECT_STREQ(prefix, "  10:  [2026/Dec/6|09:05:07]    ");
    formatLogPrefix(prefix, sizeof prefix, 1, 12345, &t);
    EXPECT_STREQ(prefix, "12345:  ");
    formatLogPrefix(prefix, sizeof prefix, 2, 0, &t);
    EXPECT_STREQ(prefix, "[2026/Dec/6|09:05:07]    ");
    formatLogPrefix(prefix, sizeof prefix, 0, 0, &t);
    EXPECT_STREQ(prefix, "");
}

TEST(LogPrefix, MonthIsClampedAndMissingTimeLeavesTheSpaces) {
    char prefix[128];
    std::tm early = fixedTime(-4);
    formatLogPrefix(prefix, sizeof prefix, 2, 0, &early);
    EXPECT_STREQ(prefix, "[2026/Jan/6|09:05:07]    ");
    std::tm late = fixedTime(12);
    formatLogPrefix(prefix, sizeof prefix, 2, 0, &late);
    EXPECT_STREQ(prefix, "[2026/Dec/6|09:05:07]    ");
    formatLogPrefix(prefix, sizeof prefix, 3, 2, nullptr);
    EXPECT_STREQ(prefix, "   2:      ");
}

TEST_F(LogFile, NumberedTimeStampedLinesEndWithCrLf) {
    Log log;
    ASSERT_EQ(log.open(path_.c_str(), 0), 0);
    for (int i = 0; i < 11; ++i)
        logMessage(&log, "line %i", i);
    std::string text = contents();
    std::regex eleventh("  10:  \\[\\d{4}/(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)/"
                        "\\d{1,2}\\|\\d\\d:\\d\\d:\\d\\d\\]    line 10\r\n$");
    EXPECT_TRUE(std::regex_search(text, eleventh)) << text;
    EXPECT_EQ(text.rfind("   0:  [", 0), 0u);
    EXPECT_EQ(log.lineCounter, 11);
}

TEST_F(LogFile, FlagsZeroGiveBareLinesAndModeOneAppends) {
    {
        Log log;
        ASSERT_EQ(log.open(path_.c_str(), 0), 0);
        log.flags = 0;
        logMessage(&log, "FILE\t%s", "CREATE");
    }
    {
        Log log;
        ASSERT_EQ(log.open(path_.c_str(), 1), 0);
        log.flags = 0;
        logMessage(&log, "second");
    }
    EXPECT_EQ(contents(), "FILE\tCREATE\r\nsecond\r\n");
    Log again;
    ASSERT_EQ(again.open(path_.c_str(), 0), 0); // create mode empties the file
    again.close();
    EXPECT_EQ(contents(), "");
}

TEST_F(LogFile, DisabledLogNeitherNumbersNorWrites) {
    Log log;
    ASSERT_EQ(log.open(path_.c_str(), 0), 0);
    log.enabled = 0;
    EXPECT_EQ(logMessage(&log, "hidden"), 0);
    EXPECT_EQ(log.lineCounter, 0);
    EXPECT_EQ(contents(), "");
}

TEST_F(LogFile, LongMessagesAreCutAt1023Characters) {
    Log log;
    ASSERT_EQ(log.open(path_.c_str(), 0), 0);
    log.flags = 0;
    std::string big(3000, 'm');
    logMessage(&log, "%s", big.c_str());
    EXPECT_EQ(contents(), std::string(1023, 'm') + "\r\n");
}

TEST(Log, WithoutFileStillCountsLines) {
    Log log;
    logMessage(&log, "a");
    logMessage(&log, "b");
    EXPECT_EQ(log.lineCounter, 2);
    EXPECT_EQ(logMessage(nullptr, "no log"), 0);
    Log failed;
    EXPECT_NE(failed.open("/nonexistent-dir/x/log.txt", 0), 0);
    logMessage(&failed, "dropped");
    EXPECT_EQ(failed.lineCounter, 1);
}
