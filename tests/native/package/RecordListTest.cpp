#include "package/RecordList.h"

#include <gtest/gtest.h>

TEST(RecordList, FirstGrowthIsTheStepThenGeometricWithZeroedSlotsAndOrderKept) {
    RecordList<int> list(5);
    EXPECT_EQ(list.data(), nullptr);
    ASSERT_TRUE(list.append(-1));
    EXPECT_EQ(list.capacity(), 5);
    EXPECT_EQ(list.data()[4], 0);
    int reallocations = 0;
    for (int i = 1; i < 100000; ++i) {
        const int* block = list.data();
        ASSERT_TRUE(list.append(i));
        reallocations += list.data() != block ? 1 : 0;
    }
    EXPECT_EQ(list.count(), 100000);
    EXPECT_EQ(list[0], -1);
    EXPECT_EQ(list[99999], 99999);
    EXPECT_LT(reallocations, 40); // five more per growth would take 20,000
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.capacity(), 0);
}
