#include "config/ConditionEvaluator.h"

#include "config/VariableStore.h"

#include <gtest/gtest.h>

#include <string>

namespace {
int evaluate(const VariableStore& store, const char* condition) {
    return ConditionEvaluator::evaluate(store, condition);
}
} // namespace

TEST(ConditionGrammar, NumbersOperatorsAndGrouping) {
    VariableStore none;
    EXPECT_EQ(evaluate(none, nullptr), 1);
    EXPECT_EQ(evaluate(none, ""), 1);
    EXPECT_EQ(evaluate(none, "0"), 0);
    EXPECT_EQ(evaluate(none, "7"), 1);
    EXPECT_EQ(evaluate(none, "(1;0),1"), 1);
    EXPECT_EQ(evaluate(none, "(1;0),0"), 0);
    EXPECT_EQ(evaluate(none, " 2 \t== 2 "), 1);
    EXPECT_EQ(evaluate(none, "2 != 2"), 0);
    EXPECT_EQ(evaluate(none, "01==1"), 1);
    EXPECT_EQ(evaluate(none, "(7)==1"), 1);
    EXPECT_EQ(evaluate(none, "((1)"), 1);
    EXPECT_EQ(evaluate(none, "0;0;0"), 0);
    EXPECT_EQ(evaluate(none, "1,1,0"), 0);
    // Text behind a complete expression is ignored.
    EXPECT_EQ(evaluate(none, "0\r\nwhatever"), 0);
}

TEST(ConditionGrammar, UnparsableConditionsHold) {
    VariableStore none;
    EXPECT_EQ(evaluate(none, "abc"), -1);
    EXPECT_EQ(evaluate(none, "2 = = 2"), -1);
    EXPECT_EQ(evaluate(none, "2 = 2"), -1);
    EXPECT_EQ(evaluate(none, "0 !"), -1);
    EXPECT_EQ(evaluate(none, "-1"), -1);
    EXPECT_EQ(evaluate(none, "0,"), -1);
    EXPECT_EQ(evaluate(none, "()"), -1);
    // Deep grouping is bounded by the expanded text's size.
    EXPECT_EQ(evaluate(none, (std::string(400, '(') + "0").c_str()), 0);
    EXPECT_EQ(evaluate(none, std::string(600, '(').c_str()), -1);
}

TEST(ConditionVariables, SubstitutionBeforeEvaluation) {
    VariableStore store;
    store.set("T", "2");
    store.set("R", "1");
    store.set("EMPTY", "");
    store.set("PATH", "C:\\x");
    EXPECT_EQ(evaluate(store, "[T]!=2"), 0);
    store.set("T", "3");
    EXPECT_EQ(evaluate(store, "[T]!=2"), 1);
    EXPECT_EQ(evaluate(store, "[R],[T]!=1"), 1);
    store.set("R", "0");
    EXPECT_EQ(evaluate(store, "[R],[T]!=1"), 0);
    EXPECT_EQ(evaluate(store, "[X]==1"), 0);
    EXPECT_EQ(evaluate(store, "[EMPTY]"), -1);
    EXPECT_EQ(evaluate(store, "[PATH]==1"), -1);
    store.set("A", "0");
    store.set("B", "0");
    store.set("C", "0");
    EXPECT_EQ(evaluate(store, "[A]==0,([B]==2;[B]==0,[C]==0)"), 1);
    store.set("C", "1");
    EXPECT_EQ(evaluate(store, "[A]==0,([B]==2;[B]==0,[C]==0)"), 0);
}
