#include "package/Log.h"

#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

TEST(Log, PrefixCarriesTheNumberAndTheTimeStampItsFlagsAskFor) {
    std::tm time = {};
    strptime("2026-12-06 09:05:07", "%Y-%m-%d %H:%M:%S", &time);
    // Months outside the year are clamped; without a time the stamp's place stays blank.
    const int kNoTime = 99;
    struct Row {
        int flags, number, month;
        const char* expected;
    } rows[] = {{3, 10, 11, "  10:  [2026/Dec/6|09:05:07]    "},
                {2, 0, -4, "[2026/Jan/6|09:05:07]    "},
                {2, 0, 12, "[2026/Dec/6|09:05:07]    "},
                {3, 2, kNoTime, "   2:      "}};
    for (const Row& row : rows) {
        time.tm_mon = row.month;
        char prefix[128];
        formatLogPrefix(prefix, sizeof prefix, row.flags, row.number,
                        row.month != kNoTime ? &time : nullptr);
        EXPECT_STREQ(prefix, row.expected);
    }
}

// Messages are shown to a person only, so a long one may be cut (at 1023 characters); opening
// empties what an earlier run wrote.
TEST(Log, BareLinesAreCutAtTheMessageSizeAndOpeningEmptiesTheFile) {
    TempFolder folder;
    std::string path = folder / "log.txt";
    for (size_t length : {3000, 3}) {
        Log log;
        ASSERT_TRUE(log.open(path.c_str()));
        log.flags = 0;
        logMessage(&log, "%s", std::string(length, 'm').c_str());
        log.close();
        EXPECT_EQ(readAll(path), std::string(std::min<size_t>(length, 1023), 'm') + "\r\n");
    }
}
