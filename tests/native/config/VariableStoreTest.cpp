#include "config/VariableStore.h"

#include <gtest/gtest.h>

// Stored values have their separator runs folded; what expansion builds from them is not.
TEST(VariableStore, ExpansionLeavesLongReferenceNamesUndefinedAndRefusesWhatDoesNotFit) {
    VariableStore store;
    const std::string name29(29, 'N'), name30 = name29 + "N";
    const std::string variables[] = {
        "A=1",           "B=[A]", "ROOT=D:\\\\Apps", "ROOT=E:\\\\Apps//", name29 + "=short",
        name30 + "=long"};
    for (const std::string& variable : variables)
        store.set(variable.substr(0, variable.find('=')).c_str(),
                  variable.substr(variable.find('=') + 1).c_str());
    struct Row {
        std::string text;
        int size;
        const char* expected;
        VariableStore::Expansion result;
    } rows[] = {{"x[A]y[B]z", 256, "x1y[A]z", VariableStore::Expansion::kExpanded},
                {"[ROOT]\\\\bin", 256, "E:\\Apps/\\\\bin", VariableStore::Expansion::kExpanded},
                {"open[A", 256, "open1", VariableStore::Expansion::kExpanded},
                {"pre[root]post", 256, "pre", VariableStore::Expansion::kUndefined},
                {"12345678", 9, "12345678", VariableStore::Expansion::kExpanded},
                {"12345678", 8, "1234567", VariableStore::Expansion::kTooLong},
                {"[A]2345678", 8, "1234567", VariableStore::Expansion::kTooLong},
                {"[" + name29 + "]", 256, "short", VariableStore::Expansion::kExpanded},
                {"[" + name30 + "]", 256, "", VariableStore::Expansion::kUndefined}};
    for (const Row& row : rows) {
        std::string out(static_cast<size_t>(row.size), 'x');
        EXPECT_EQ(store.expand(row.text.c_str(), &out[0], row.size), row.result) << row.text;
        EXPECT_STREQ(out.c_str(), row.expected);
    }
    EXPECT_EQ(store.count(), 5);
    // A value at the longest length is kept whole; one byte more changes nothing.
    const std::string longest(VariableStore::kValueSize - 1, 'v');
    EXPECT_EQ(store.set("BIG", longest.c_str()), VariableStore::SetResult::kSet);
    EXPECT_EQ(store.set("BIG", (longest + "v").c_str()), VariableStore::SetResult::kTooLong);
    EXPECT_EQ(store.expandKnown("[BIG]", 5), longest);
    char out[4] = "xx";
    EXPECT_EQ(store.expand(nullptr, out, sizeof out), VariableStore::Expansion::kExpanded);
    EXPECT_STREQ(out, "");
}
