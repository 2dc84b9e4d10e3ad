#include "config/VariableStore.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string valueOf(const VariableStore& store, const char* name) {
    char value[VariableStore::kValueSize];
    return store.get(name, value, sizeof value) >= 0 ? value : "<undefined>";
}
} // namespace

TEST(VariableStore, SetOverwritesInPlaceAndFoldsSeparatorRunsOfTheStoredValue) {
    VariableStore store;
    EXPECT_EQ(store.set("ROOT", "C:\\Products\\\\"), 0);
    EXPECT_EQ(store.set("Other", "a//\\b/c"), 0);
    EXPECT_EQ(store.set("ROOT", "D:\\Apps\\\\"), 0);
    EXPECT_EQ(store.count(), 2);
    EXPECT_EQ(valueOf(store, "ROOT"), "D:\\Apps\\");
    EXPECT_EQ(valueOf(store, "Other"), "a\\b/c");
    EXPECT_EQ(valueOf(store, "root"), "<undefined>");
}

TEST(VariableStore, ValuesUpTo1023BytesAreKeptWholeLongerOnesAreRefused) {
    VariableStore store;
    std::string folder = "C:\\" + std::string(1020, 'f');
    EXPECT_EQ(store.set("DIR", folder.c_str()), 0);
    EXPECT_EQ(valueOf(store, "DIR"), folder);
    EXPECT_EQ(store.set("DIR", (folder + "g").c_str()), -1);
    EXPECT_EQ(valueOf(store, "DIR"), folder);
    EXPECT_EQ(store.set(std::string(VariableStore::kNameSize, 'n').c_str(), "1"), -1);
    EXPECT_EQ(store.count(), 1);
}

TEST(VariableStore, ExpansionLeavesLongReferenceNamesUndefinedAndRefusesWhatDoesNotFit) {
    VariableStore store;
    store.set("A", "1");
    store.set("B", "[A]");
    store.set("ROOT", "D:\\\\Apps");
    const std::string name29(29, 'N');
    store.set(name29.c_str(), "short");
    store.set((name29 + "N").c_str(), "long");
    struct Row {
        std::string text;
        int size;
        const char* expected;
        int result;
    } rows[] = {
        {"x[A]y[B]z", 256, "x1y[A]z", VariableStore::kExpanded},
        {"[ROOT]\\\\bin", 256, "D:\\Apps\\\\bin", VariableStore::kExpanded},
        {"open[A", 256, "open1", VariableStore::kExpanded},
        {"pre[X]post", 256, "pre", VariableStore::kUndefined},
        {"12345678", 9, "12345678", VariableStore::kExpanded},
        {"12345678", 8, "1234567", VariableStore::kTooLong},
        {"[A]2345678", 8, "1234567", VariableStore::kTooLong},
        {"[" + name29 + "]", 256, "short", VariableStore::kExpanded},
        {"[" + name29 + "N]", 256, "", VariableStore::kUndefined},
    };
    for (const Row& row : rows) {
        std::string out(static_cast<size_t>(row.size), 'x');
        EXPECT_EQ(store.expand(row.text.c_str(), &out[0], row.size), row.result) << row.text;
        EXPECT_STREQ(out.c_str(), row.expected);
    }
    char out[4] = "xx";
    EXPECT_EQ(store.expand(nullptr, out, sizeof out), VariableStore::kExpanded);
    EXPECT_STREQ(out, "");
}
