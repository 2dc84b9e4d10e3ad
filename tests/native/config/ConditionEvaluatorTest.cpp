#include "config/ConditionEvaluator.h"

#include "config/VariableStore.h"

#include <gtest/gtest.h>

#include <string>

// 1 holds, 0 does not, -1 cannot be parsed (callers treat it as holding).
TEST(ConditionEvaluator, ExpressionsOverVariablesAndWhatCannotBeParsed) {
    VariableStore store;
    const char* variables[][2] = {{"T", "2"}, {"R", "1"}, {"EMPTY", ""}, {"PATH", "C:\\x"},
                                  {"A", "0"}, {"B", "0"}, {"C", "1"},    {"D", "0"}};
    for (const auto& variable : variables)
        store.set(variable[0], variable[1]);
    const std::pair<std::string, int> rows[] = {
        {"", 1},
        {"0", 0},
        {"7", 1},
        {"(1;0),1", 1},
        {"(1;0),0", 0},
        {" 2 \t== 2 ", 1},
        {"2 != 2", 0},
        {"01==1", 1},
        {"(7)==1", 1},
        {"((1)", 1},
        {"0;0;0", 0},
        {"1,1,0", 0},
        // Text behind a complete expression is ignored.
        {"0\r\nwhatever", 0},
        {"abc", -1},
        {"2 = = 2", -1},
        {"2 = 2", -1},
        {"0 !", -1},
        {"-1", -1},
        {"0,", -1},
        {"()", -1},
        // Grouping depth is bounded by the expanded text's size, not by a stack.
        {std::string(400, '(') + "0", 0},
        {std::string(600, '('), -1},
        {"[T]!=2", 0},
        {"[T]!=3", 1},
        {"[R],[T]!=1", 1},
        {"[A],[T]!=1", 0},
        {"[X]==1", 0},
        {"[EMPTY]", -1},
        {"[PATH]==1", -1},
        {"[A]==0,([B]==2;[B]==0,[C]==0)", 0},
        {"[A]==0,([B]==2;[B]==0,[D]==0)", 1}};
    for (const auto& [condition, expected] : rows)
        EXPECT_EQ(ConditionEvaluator::evaluate(store, condition.c_str()), expected) << condition;
    EXPECT_EQ(ConditionEvaluator::evaluate(store, nullptr), 1);
}
