#include "package/RecordList.h"

#include <gtest/gtest.h>

namespace {
struct Pair {
    int key;
    char text[12];
};
} // namespace

TEST(RecordList, GrowsByTheStepThenGeometricallyAndKeepsOrder) {
    RecordList<Pair> list(5);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.data(), nullptr);
    int reallocations = 0;
    const Pair* block = nullptr;
    for (int i = 0; i < 100000; ++i) {
        Pair p = {i, "x"};
        ASSERT_TRUE(list.append(p));
        if (list.data() != block) {
            block = list.data();
            ++reallocations;
        }
    }
    EXPECT_EQ(list.count(), 100000);
    EXPECT_EQ(list[0].key, 0);
    EXPECT_EQ(list[99999].key, 99999);
    EXPECT_LT(reallocations, 40); // count + 5 per growth would take 20,000
    EXPECT_GE(list.capacity(), list.count());
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.capacity(), 0);
}

TEST(RecordList, FirstGrowthIsTheStepAndNewSlotsAreZeroed) {
    RecordList<Pair> list(5);
    Pair p = {7, "seven"};
    list.append(p);
    EXPECT_EQ(list.capacity(), 5);
    EXPECT_EQ(list.data()[1].key, 0);
    EXPECT_EQ(list.data()[4].text[0], '\0');
}
