#include "package/Log.h"

#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <string>

TEST(Log, PrefixCarriesTheNumberAndTheTimeStampItsFlagsAskFor) {
    std::tm december = {};
    strptime("2026-12-06 09:05:07", "%Y-%m-%d %H:%M:%S", &december);
    std::tm early = december, late = december;
    early.tm_mon = -4;
    late.tm_mon = 12;
    struct Row {
        int flags, number;
        const std::tm* time;
        const char* expected;
    } rows[] = {{3, 10, &december, "  10:  [2026/Dec/6|09:05:07]    "},
                {1, 12345, &december, "12345:  "},
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

TEST(Log, LinesAreNumberedStampedAndEndWithCrLf) {
    TempFolder folder;
    Log log;
    ASSERT_EQ(log.open((folder / "log.txt").c_str(), 0), 0);
    for (int i = 0; i < 11; ++i)
        logMessage(&log, "line %i", i);
    std::string text = readAll(folder / "log.txt");
    EXPECT_EQ(text.rfind("   0:  [", 0), 0u);
    std::regex eleventh(
        "  10:  \\[\\d{4}/[A-Z][a-z]{2}/\\d{1,2}\\|\\d\\d:\\d\\d:\\d\\d\\]    line 10\r\n$");
    EXPECT_TRUE(std::regex_search(text, eleventh)) << text;
}

// Messages are shown to a person only, so a long one may be cut (at 1023 characters).
TEST(Log, BareLinesAreCutAtTheMessageSizeAndModeOneAppends) {
    TempFolder folder;
    std::string path = folder / "log.txt";
    for (int mode : {0, 1}) {
        Log log;
        ASSERT_EQ(log.open(path.c_str(), mode), 0);
        log.flags = 0;
        logMessage(&log, "%s", std::string(mode == 0 ? 3000 : 3, 'm').c_str());
    }
    EXPECT_EQ(readAll(path), std::string(1023, 'm') + "\r\nmmm\r\n");
    Log emptied;
    ASSERT_EQ(emptied.open(path.c_str(), 0), 0);
    emptied.enabled = 0;
    EXPECT_EQ(logMessage(&emptied, "hidden"), 0);
    emptied.close();
    EXPECT_EQ(readAll(path), "");
    EXPECT_EQ(emptied.lineCounter, 0);
}

TEST(Log, WithoutAFileLinesAreStillCounted) {
    Log failed;
    EXPECT_NE(failed.open("/nonexistent-dir/x/log.txt", 0), 0);
    EXPECT_EQ(logMessage(&failed, "dropped"), 1);
    EXPECT_EQ(failed.lineCounter, 1);
    EXPECT_EQ(logMessage(nullptr, "no log"), 0);
}
