// The machine-wide environment changed and undone in the real registry, PATH included.
#include "system/MachineEnvironment.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <windows.h>

namespace {
const char kKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const char kVariable[] = "KestrelTestVariable";

// A value as the registry holds it: its type and its bytes with the terminating zero.
struct Stored {
    bool exists = false;
    DWORD type = REG_NONE;
    std::string bytes;
    bool operator==(const Stored& other) const {
        return exists == other.exists && type == other.type && bytes == other.bytes;
    }
};

Stored text(DWORD type, const std::string& value) {
    return {true, type, value + '\0'};
}

Stored load(const char* name) {
    Stored stored;
    HKEY key = nullptr;
    DWORD size = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return stored;
    if (RegQueryValueExA(key, name, nullptr, &stored.type, nullptr, &size) == ERROR_SUCCESS) {
        stored.bytes.resize(size);
        stored.exists =
            RegQueryValueExA(key, name, nullptr, &stored.type,
                             reinterpret_cast<BYTE*>(&stored.bytes[0]), &size) == ERROR_SUCCESS;
        stored.bytes.resize(size);
    }
    RegCloseKey(key);
    return stored;
}

void store(const char* name, const Stored& stored) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    if (stored.exists)
        RegSetValueExA(key, name, 0, stored.type,
                       reinterpret_cast<const BYTE*>(stored.bytes.data()),
                       static_cast<DWORD>(stored.bytes.size()));
    else
        RegDeleteValueA(key, name);
    RegCloseKey(key);
}

// A list of folders of exactly 4,000 characters, far beyond any fixed line buffer.
std::string longList() {
    std::string list;
    for (int i = 0; list.size() < 4000; ++i)
        list += "C:\\Kestrel\\Folder" + std::to_string(1000 + i) + ";";
    list.resize(4000);
    list.back() = 'x';
    return list;
}

class MachineEnvironmentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        savedPath_ = load("PATH");
        ASSERT_TRUE(savedPath_.exists);
        store(kVariable, Stored());
    }
    void TearDown() override {
        store("PATH", savedPath_);
        store(kVariable, Stored());
    }
    Stored savedPath_;
};
} // namespace

TEST_F(MachineEnvironmentTest, ChangesAndUndoesWholeValuesKeepingTheirType) {
    const std::string list = longList();
    const std::string var = kVariable;
    struct Row {
        const char* name;
        Stored before;
        int mode;
        Stored changed;
        std::string record;
        std::string reported;
        std::string undoReported;
        Stored undone;
    } rows[] = {
        {"PATH", text(REG_EXPAND_SZ, list), 2, text(REG_EXPAND_SZ, list + ";D:\\Tools"),
         "ADD\tPATH\t;D:\\Tools", "Add to PATH", "Erase from PATH", text(REG_EXPAND_SZ, list)},
        {"PATH", text(REG_EXPAND_SZ, list), 3, text(REG_EXPAND_SZ, "D:\\Tools;" + list),
         "ADD\tPATH\tD:\\Tools;", "Add to PATH", "Erase from PATH", text(REG_EXPAND_SZ, list)},
        {"PATH", text(REG_SZ, list), 1, text(REG_SZ, "D:\\Tools"), "REPLACE\tPATH\t" + list,
         "Replace PATH", "Restore PATH", text(REG_SZ, list)},
        {kVariable, text(REG_EXPAND_SZ, "%SystemRoot%"), 1, text(REG_EXPAND_SZ, "D:\\Tools"),
         "REPLACE\t" + var + "\t%SystemRoot%", "Replace " + var, "Restore " + var,
         text(REG_EXPAND_SZ, "%SystemRoot%")},
        {kVariable, Stored(), 1, text(REG_SZ, "D:\\Tools"), "CREATE\t" + var, "Create " + var,
         "Remove " + var, Stored()},
        // Created by an Append, the variable stays when its text is taken out again.
        {kVariable, Stored(), 2, text(REG_SZ, "D:\\Tools"), "ADD\t" + var + "\tD:\\Tools",
         "Add to " + var, "Erase from " + var, text(REG_SZ, "")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.record.substr(0, 40));
        store(row.name, row.before);
        RecordingUI ui;
        char record[8192];
        EXPECT_EQ(MachineEnvironment::change(row.name, "D:\\Tools", row.mode, record, sizeof record,
                                             &ui, 0),
                  1);
        EXPECT_EQ(std::string(record), row.record);
        EXPECT_TRUE(load(row.name) == row.changed);
        EXPECT_EQ(MachineEnvironment::undo(record, &ui), 1);
        EXPECT_TRUE(load(row.name) == row.undone);
        EXPECT_EQ(ui.lines, (std::vector<std::string>{row.reported, row.undoReported}));
    }
    EXPECT_EQ(MachineEnvironment::broadcast(), 1);
}

TEST_F(MachineEnvironmentTest, LeavesTheVariableUntouchedWhenNothingOrNothingWholeCanChange) {
    const std::string var = kVariable;
    DWORD number = 7;
    const Stored dword = {true, REG_DWORD, std::string(reinterpret_cast<char*>(&number), 4)};
    const Stored listed = text(REG_SZ, "C:\\Windows;\"c:\\PROGRAM files\\Kestrel\\\";E:\\");
    struct Row {
        Stored before;
        int mode;
        int isPath;
        int capacity;
        int result;
        std::string record;
        std::vector<std::string> reported;
    } rows[] = {
        {dword, 1, 0, 256, 0, "", {"FAILED to replace " + var}},
        {dword, 2, 0, 256, 0, "", {"FAILED to add to " + var}},
        {listed, 2, 1, 256, 1, "NONE", {}},
        {listed, 3, 1, 256, 1, "NONE", {}},
        // The record would not fit the caller's buffer whole.
        {listed, 2, 0, 24, 0, "", {"FAILED to add to " + var}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mode * 1000 + row.capacity);
        store(kVariable, row.before);
        RecordingUI ui;
        char record[256] = "old";
        EXPECT_EQ(MachineEnvironment::change(kVariable, "C:\\Program Files\\Kestrel", row.mode,
                                             record, row.capacity, &ui, row.isPath),
                  row.result);
        EXPECT_EQ(std::string(record), row.record);
        EXPECT_TRUE(load(kVariable) == row.before);
        EXPECT_EQ(ui.lines, row.reported);
    }
}
