#include "package/FileCheck.h"

#include <gtest/gtest.h>

#include <string>

// A user's edit that swaps two aligned 4-byte words keeps length, sum and XOR: the check changes.
TEST(FileCheck, SwappingTwoWordsChangesTheCheck) {
    const std::string bytes = "abcdefgh12345678", swapped = "efghabcd12345678";
    EXPECT_NE(FileCheck::of(bytes.data(), bytes.size()),
              FileCheck::of(swapped.data(), swapped.size()));
}
