#include "package/RecordList.h"

#include <gtest/gtest.h>

TEST(RecordList, GrowsByTheStepFirstThenByHalfItsSizeKeepingTheOrder) {
    RecordList<int> list(5);
    int reallocations = 0;
    for (int i = 0; i < 100000; ++i) {
        const int* block = list.data();
        ASSERT_TRUE(list.append(i));
        reallocations += list.data() != block ? 1 : 0;
        if (i == 0)
            EXPECT_EQ(list.capacity(), 5);
    }
    EXPECT_EQ(list[99999] - list[0], 99999);
    EXPECT_LT(reallocations, 40); // five more per growth would take 20,000
}
