#include "startup/Transcript.h"

#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

// Each line lands after the ones before it, whole however long it is: a line naming a long path
// must name all of it.
TEST(Transcript, AppendsEveryLineWholeAfterTheEarlierOnes) {
    TempFolder folder;
    const std::string path = folder / "run.log", longPath(5000, 'p');
    ASSERT_TRUE(writeAll(path, "earlier\r\n"));
    Transcript transcript(path.c_str());
    ASSERT_TRUE(transcript.writable());
    transcript.line("Delete C:\\%s", longPath.c_str());
    transcript.line("Exit code %d", -1);
    const std::string log = readAll(path);
    size_t first = log.find("  Delete C:\\" + longPath + "\r\n");
    EXPECT_EQ(log.rfind("earlier\r\n", 0), 0u) << log.substr(0, 40);
    EXPECT_NE(first, std::string::npos);
    EXPECT_GT(log.find("  Exit code -1\r\n"), first);
    EXPECT_EQ(log.substr(log.size() - 14), "Exit code -1\r\n");
}
