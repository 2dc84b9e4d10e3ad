#include "config/ConditionEvaluator.h"

#include "config/VariableStore.h"

#include <gtest/gtest.h>

// Conditions hold, do not, or cannot be parsed (which callers take as holding).
// Text behind a complete expression is ignored; grouping depth is bounded by the expanded
// text's size, not by a stack.
TEST(ConditionEvaluator, ExpressionsOverVariablesAndWhatCannotBeParsed) {
    VariableStore store;
    const char* variables[][2] = {{"T", "2"}, {"R", "1"}, {"EMPTY", ""}, {"PATH", "C:\\x"},
                                  {"A", "0"}, {"B", "0"}, {"C", "1"},    {"D", "0"}};
    for (const auto& variable : variables)
        store.set(variable[0], variable[1]);
    const std::vector<std::string> rows[] = {
        {"0", "2 != 2", "(1;0),0", "0;0;0", "1,1,0", "0\r\nwhatever", "[T]!=2", "[A],[T]!=1",
         "[X]==1", "[A]==0,([B]==2;[B]==0,[C]==0)", std::string(400, '(') + "0",
         // Numbers of any length compare exactly: none wraps at 2^32.
         "4294967297==1", "0==4294967296"},
        {"", "7", "(1;0),1", " 2 \t== 2 ", "01==1", "(7)==1", "((1)", "[T]!=3", "[R],[T]!=1",
         "[A]==0,([B]==2;[B]==0,[D]==0)", "4294967296", "007==7",
         "18446744073709551616==0018446744073709551616"},
        {"abc", "2 = = 2", "2 = 2", "0 !", "-1", "0,", "()", "[EMPTY]", "[PATH]==1",
         std::string(600, '(')}};
    using Outcome = ConditionEvaluator::Outcome;
    const Outcome outcomes[] = {Outcome::kDoesNotHold, Outcome::kHolds, Outcome::kUnparsable};
    for (int row = 0; row < 3; ++row) {
        for (const std::string& condition : rows[row]) {
            EXPECT_EQ(ConditionEvaluator::assess(store, condition.c_str()), outcomes[row])
                << condition;
            EXPECT_EQ(ConditionEvaluator::evaluate(store, condition.c_str()),
                      outcomes[row] != Outcome::kDoesNotHold)
                << condition;
        }
    }
    EXPECT_EQ(ConditionEvaluator::assess(store, nullptr), Outcome::kHolds);
    EXPECT_TRUE(ConditionEvaluator::evaluate(store, nullptr));
}
