#include "config/VariableStore.h"
#include "engine/ActionLog.h"

#include "package/Log.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {
std::string expanded(const VariableStore& store, const char* text, int size = 256,
                     int* result = nullptr) {
    std::string out(static_cast<size_t>(size), 'x');
    int code = store.expand(text, &out[0], size);
    if (result != nullptr)
        *result = code;
    return std::string(out.c_str());
}

std::string valueOf(const VariableStore& store, const char* name) {
    char value[VariableStore::kValueSize];
    return store.get(name, value, sizeof value) >= 0 ? value : "<undefined>";
}
} // namespace

TEST(VariableStoreSet, OverwritesInPlaceAndFoldsSeparatorsOfStoredValues) {
    VariableStore store;
    EXPECT_EQ(store.set("ROOT", "C:\\Products\\\\"), 0);
    EXPECT_EQ(store.set("Other", "a//\\b/c"), 0);
    EXPECT_EQ(store.set("ROOT", "D:\\Apps\\\\"), 0);
    EXPECT_EQ(store.count(), 2);
    EXPECT_EQ(valueOf(store, "ROOT"), "D:\\Apps\\");
    EXPECT_EQ(valueOf(store, "Other"), "a\\b/c");
    EXPECT_EQ(valueOf(store, "root"), "<undefined>");
    // The fold applies to stored values, not to what expansion builds from them.
    EXPECT_EQ(expanded(store, "[ROOT]\\bin"), "D:\\Apps\\\\bin");
}

TEST(VariableStoreSet, LongValuesAreKeptWholeOrRefused) {
    VariableStore store;
    std::string folder = "C:\\" + std::string(VariableStore::kValueSize - 4, 'f');
    ASSERT_EQ(folder.size(), 1023u);
    EXPECT_EQ(store.set("DIR", folder.c_str()), 0);
    EXPECT_EQ(valueOf(store, "DIR"), folder);
    EXPECT_EQ(store.set("DIR", (folder + "g").c_str()), -1);
    EXPECT_EQ(valueOf(store, "DIR"), folder);
    std::string longName(VariableStore::kNameSize, 'n');
    EXPECT_EQ(store.set(longName.c_str(), "1"), -1);
    EXPECT_EQ(store.count(), 1);
    // A caller's small buffer receives the value cut at its size.
    char small[4];
    EXPECT_EQ(store.get("DIR", small, sizeof small), 0);
    EXPECT_STREQ(small, "C:\\");
}

TEST(VariableExpansion, ReferencesUndefinedNamesAndLimits) {
    VariableStore store;
    store.set("A", "1");
    store.set("B", "[A]");
    int result = 0;
    EXPECT_EQ(expanded(store, "x[A]y[B]z", 256, &result), "x1y[A]z");
    EXPECT_EQ(result, VariableStore::kExpanded);
    EXPECT_EQ(expanded(store, "pre[X]post", 256, &result), "pre");
    EXPECT_EQ(result, VariableStore::kUndefined);
    EXPECT_EQ(expanded(store, "open[A", 256, &result), "open1");
    EXPECT_EQ(result, VariableStore::kExpanded);
    EXPECT_EQ(expanded(store, "12345678", 5, &result), "1234");
    EXPECT_EQ(result, VariableStore::kTooLong);
    EXPECT_EQ(expanded(store, nullptr, 8, &result), "");
    EXPECT_EQ(result, VariableStore::kExpanded);
    // Names longer than the reference limit are never looked up cut.
    std::string name29(29, 'N');
    std::string name30(30, 'N');
    store.set(name29.c_str(), "short");
    store.set(name30.c_str(), "long");
    EXPECT_EQ(expanded(store, ("[" + name29 + "]").c_str(), 256, &result), "short");
    expanded(store, ("[" + name30 + "]").c_str(), 256, &result);
    EXPECT_EQ(result, VariableStore::kUndefined);
}

namespace {
class SectionFile : public ::testing::Test {
  protected:
    void writeText(const char* text) { writeAll(path_, text); }
    int readInto(VariableStore& store) {
        std::FILE* file = std::fopen(path_.c_str(), "rb");
        int result = store.read(file);
        std::fclose(file);
        return result;
    }
    TempFolder folder_;
    std::string path_ = folder_ / "variables.txt";
};
} // namespace

TEST_F(SectionFile, WrittenSectionReadsBackWithoutTrailingBlanks) {
    VariableStore written;
    written.set("DIR", ("C:\\" + std::string(1019, 'd')).c_str());
    written.set("Padded", "value  ");
    written.set("Empty", "");
    {
        Log log;
        ActionLog actions(log);
        ASSERT_EQ(actions.open(path_.c_str()), 0);
        EXPECT_EQ(written.write(actions), 0);
    }
    VariableStore read;
    EXPECT_EQ(readInto(read), 0);
    EXPECT_EQ(read.count(), 3);
    EXPECT_EQ(valueOf(read, "DIR"), valueOf(written, "DIR"));
    EXPECT_EQ(valueOf(read, "Padded"), "value");
    EXPECT_EQ(valueOf(read, "Empty"), "");
}

TEST_F(SectionFile, MalformedSectionStopsAtTheFirstBadLine) {
    writeText("NUMVARS\t3\r\nVAR\tA\t1\r\nFILE\tx\r\nVAR\tC\t3\r\n");
    VariableStore store;
    EXPECT_EQ(readInto(store), -1);
    EXPECT_EQ(store.count(), 1);
    EXPECT_EQ(valueOf(store, "A"), "1");
    writeText("VAR\tA\t1\r\n");
    VariableStore noCount;
    EXPECT_EQ(readInto(noCount), -1);
    writeText("NUMVARS\t2\r\nVAR\tA\t1\r\n");
    VariableStore shortSection;
    EXPECT_EQ(readInto(shortSection), -1);
    EXPECT_EQ(valueOf(shortSection, "A"), "1");
}
