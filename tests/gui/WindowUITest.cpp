#include <gtest/gtest.h>
TEST(WindowUI, Placeholder) { EXPECT_TRUE(true); }
