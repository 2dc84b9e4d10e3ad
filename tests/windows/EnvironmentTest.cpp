// The machine-wide environment changed and undone in the real registry, PATH included.
#include "system/MachineEnvironment.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>
#include <windows.h>

namespace {
const char kKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const char kVariable[] = "KestrelTestVariable";

// A value's type and bytes as the registry keeps them (UTF-16); REG_NONE when it is absent.
using Stored = std::pair<DWORD, std::string>;
const Stored kAbsent = {REG_NONE, ""};

Stored text(DWORD type, const std::wstring& value) {
    std::wstring terminated = value + L'\0';
    const char* bytes = reinterpret_cast<const char*>(terminated.data());
    return {type, std::string(bytes, terminated.size() * sizeof(wchar_t))};
}

Stored text(DWORD type, const std::string& value) {
    return text(type, std::wstring(value.begin(), value.end()));
}

std::wstring wide(const char* ascii) {
    return std::wstring(ascii, ascii + std::strlen(ascii));
}

Stored load(const char* name) {
    DWORD type = REG_NONE, size = 0;
    const DWORD flags = RRF_RT_ANY | RRF_NOEXPAND;
    std::wstring key = wide(kKey), value = wide(name);
    RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), value.c_str(), flags, &type, nullptr, &size);
    std::string bytes(size, '\0');
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), value.c_str(), flags, &type, &bytes[0],
                     &size) != 0)
        return kAbsent;
    return {type, bytes.substr(0, size)};
}

void store(const char* name, const Stored& stored) {
    std::wstring key = wide(kKey), value = wide(name);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), value.c_str());
    if (stored.first != REG_NONE)
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), value.c_str(), stored.first,
                        stored.second.data(), static_cast<DWORD>(stored.second.size()));
}

class MachineEnvironmentTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_NE(savedPath_.first, static_cast<DWORD>(REG_NONE)); }
    void TearDown() override {
        store("PATH", savedPath_);
        store(kVariable, kAbsent);
    }
    Stored savedPath_ = load("PATH");
};
} // namespace

TEST_F(MachineEnvironmentTest, ChangesAndUndoesWholeValuesKeepingTheirType) {
    // 4,000 characters, far beyond any fixed line buffer.
    std::string list;
    for (int i = 1000; list.size() < 4000; ++i)
        list += "C:\\Kestrel\\Folder" + std::to_string(i) + ";";
    list.resize(4000);
    list.back() = 'x';
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
        {"PATH", text(REG_EXPAND_SZ, list), 1, text(REG_EXPAND_SZ, "D:\\Tools"),
         "REPLACE\tPATH\t" + list, "Replace PATH", "Restore PATH", text(REG_EXPAND_SZ, list)},
        {kVariable, kAbsent, 1, text(REG_SZ, "D:\\Tools"), "CREATE\t" + var, "Create " + var,
         "Remove " + var, kAbsent},
        // Created by an Append, the variable stays when its text is taken out again.
        {kVariable, kAbsent, 2, text(REG_SZ, "D:\\Tools"), "ADD\t" + var + "\tD:\\Tools",
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
        EXPECT_EQ(load(row.name), row.changed);
        EXPECT_EQ(MachineEnvironment::undo(record, &ui), 1);
        EXPECT_EQ(load(row.name), row.undone);
        EXPECT_EQ(ui.lines, (std::vector<std::string>{row.reported, row.undoReported}));
    }
    EXPECT_EQ(MachineEnvironment::broadcast(), 1);
}

TEST_F(MachineEnvironmentTest, LeavesTheVariableUntouchedWhenNothingOrNothingWholeCanChange) {
    const std::string var = kVariable;
    const Stored number = {REG_DWORD, std::string("\x07\0\0\0", 4)};
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
        {number, 1, 0, 256, 0, "", {"FAILED to replace " + var}},
        {number, 2, 0, 256, 0, "", {"FAILED to add to " + var}},
        {listed, 2, 1, 256, 1, "NONE", {}},
        // A character the narrow texts cannot hold would come back as another one.
        {text(REG_SZ, L"C:\\\x4E2D"), 2, 0, 256, 0, "", {"FAILED to add to " + var}},
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
        EXPECT_EQ(load(kVariable), row.before);
        EXPECT_EQ(ui.lines, row.reported);
    }
}
