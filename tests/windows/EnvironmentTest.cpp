// The machine-wide environment changed and undone in the real registry, PATH included: what only
// the registry shows (value types, UTF-16 texts, values that are not texts). The values and
// records themselves are EnvironmentValue's.
#include "system/MachineEnvironment.h"
#include "tests/support/RecordKeeper.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {
const wchar_t kKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const char kVariable[] = "KestrelTestVariable";
const std::string kVar = kVariable;

// A value's type and bytes as the registry keeps them (UTF-16); REG_NONE when it is absent.
using Stored = std::pair<DWORD, std::string>;
const Stored kAbsent = {REG_NONE, ""};
const Stored kNumber = {REG_DWORD, std::string("\x07\0\0\0", 4)};

Stored text(DWORD type, const std::wstring& value) {
    const char* bytes = reinterpret_cast<const char*>(value.c_str());
    return {type, std::string(bytes, (value.size() + 1) * sizeof(wchar_t))};
}

std::wstring wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

Stored load(const char* name) {
    std::string bytes(16384, '\0');
    DWORD type = REG_NONE, size = static_cast<DWORD>(bytes.size());
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, wide(name).c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                     &bytes[0], &size) != 0)
        return kAbsent;
    return {type, bytes.substr(0, size)};
}

void store(const char* name, const Stored& stored) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, wide(name).c_str());
    if (stored.first != REG_NONE)
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, wide(name).c_str(), stored.first,
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

// Each change undone, and undone a second time, which finds nothing left to do; PATH keeps its
// type and its 4,000 characters, far beyond any fixed line buffer.
TEST_F(MachineEnvironmentTest, ChangesAndUndoesWholeValuesKeepingTheirType) {
    std::wstring list;
    for (int i = 1000; list.size() < 4000; ++i)
        list += L"C:\\Kestrel\\Folder" + std::to_wstring(i) + L";";
    list.resize(4000);
    list.back() = L'x';
    const struct {
        const char* name;
        int mode;
        Stored before, changed;
        std::string record;
        Lines reported;
    } rows[] = {
        {"PATH",
         2,
         text(REG_EXPAND_SZ, list),
         text(REG_EXPAND_SZ, list + L";D:\\Tools"),
         "ADD\tPATH\t;D:\\Tools\t0",
         {"Add to PATH", "Erase from PATH", "Erase from PATH"}},
        {kVariable,
         1,
         kAbsent,
         text(REG_SZ, L"D:\\Tools"),
         "CREATE\t" + kVar + "\tD:\\Tools",
         {"Create " + kVar, "Remove " + kVar, "Remove " + kVar}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.record.substr(0, 40));
        store(row.name, row.before);
        RecordingUI ui;
        RecordKeeper kept;
        EXPECT_EQ(MachineEnvironment::change(row.name, "D:\\Tools", row.mode, kept.sink(), &ui, 0),
                  1);
        std::string record = kept.last();
        EXPECT_EQ(record, row.record);
        EXPECT_EQ(load(row.name), row.changed);
        for (int run = 0; run < 2; ++run) {
            EXPECT_EQ(MachineEnvironment::undo(record.c_str(), &ui), 1);
            EXPECT_EQ(load(row.name), row.before);
        }
        EXPECT_EQ(ui.lines, row.reported);
    }
    EXPECT_EQ(MachineEnvironment::broadcast(), 1);
}

// What the user set after the installation stays with its type: also a number where the
// installation wrote a string.
TEST_F(MachineEnvironmentTest, UndoLeavesAVariableTheUserChanged) {
    const std::string record = "CREATE\t" + kVar + "\tD:\\Tools";
    for (const Stored& user : {text(REG_EXPAND_SZ, L"D:\\Tools;%SystemRoot%"), kNumber}) {
        store(kVariable, user);
        RecordingUI ui;
        EXPECT_EQ(MachineEnvironment::undo(record.c_str(), &ui), 1);
        EXPECT_EQ(load(kVariable), user);
        EXPECT_EQ(ui.lines, Lines{"Left " + kVar});
    }
}

// A number, a character the narrow texts cannot hold (it would come back as another one), and
// a record that would not fit the caller's buffer whole.
TEST_F(MachineEnvironmentTest, LeavesTheVariableUntouchedWhenNothingWholeCanChange) {
    const struct {
        Stored before;
        int mode;
        int capacity;
        const char* reported;
    } rows[] = {
        {kNumber, 1, 256, "FAILED to replace "},
        {text(REG_SZ, L"C:\\\x4E2D"), 2, 256, "FAILED to add to "},
        {text(REG_SZ, L"C:\\Windows"), 2, 24, "FAILED to add to "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.capacity);
        store(kVariable, row.before);
        RecordingUI ui;
        RecordKeeper kept;
        kept.capacity = static_cast<size_t>(row.capacity);
        EXPECT_EQ(MachineEnvironment::change(kVariable, "C:\\Program Files\\Kestrel", row.mode,
                                             kept.sink(), &ui, 0),
                  0);
        EXPECT_EQ(kept.records, Lines{});
        EXPECT_EQ(load(kVariable), row.before);
        EXPECT_EQ(ui.lines, Lines{row.reported + kVar});
    }
}
