#include "package/WinFile.h"

#include <gtest/gtest.h>

TEST(WinFileWindows, Placeholder) {
    EXPECT_EQ(WinFile().openCount(), 0);
}
