#include "package/Log.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

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
    std::string contents() const { return readAll(path_); }
    TempFolder folder_;
    std::string path_ = folder_ / "log.txt";
};
} // namespace

TEST(LogPrefix, NumberTimeStampAndMonthClamp) {
    std::tm december = fixedTime(11), early = fixedTime(-4), late = fixedTime(12);
    struct Row {
        int flags, number;
        const std::tm* time;
        const char* expected;
    };
    const Row rows[] = {{3, 10, &december, "  10:  [2026/Dec/6|09:05:07]    "},
                        {1, 12345, &december, "12345:  "},
                        {2, 0, &december, "[2026/Dec/6|09:05:07]    "},
                        {0, 0, &december, ""},
                        {2, 0, &early, "[2026/Jan/6|09:05:07]    "},
                        {2, 0, &late, "[2026/Dec/6|09:05:07]    "},
                        // Without a time the stamp's place is kept as spaces.
                        {3, 2, nullptr, "   2:      "}};
    for (const Row& row : rows) {
        char prefix[128];
        formatLogPrefix(prefix, sizeof prefix, row.flags, row.number, row.time);
        EXPECT_STREQ(prefix, row.expected);
    }
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

// Messages are shown to a person only, so a long one may be cut (at 1023 characters).
TEST_F(LogFile, FlagsZeroGiveBareCutLinesAndModeOneAppends) {
    {
        Log log;
        ASSERT_EQ(log.open(path_.c_str(), 0), 0);
        log.flags = 0;
        logMessage(&log, "FILE\t%s", "CREATE");
        logMessage(&log, "%s", std::string(3000, 'm').c_str());
    }
    {
        Log log;
        ASSERT_EQ(log.open(path_.c_str(), 1), 0);
        log.flags = 0;
        logMessage(&log, "second");
    }
    EXPECT_EQ(contents(), "FILE\tCREATE\r\n" + std::string(1023, 'm') + "\r\nsecond\r\n");
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
