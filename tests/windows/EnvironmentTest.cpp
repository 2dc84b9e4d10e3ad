// What only the registry shows: value types, UTF-16 texts, values that are not texts.
#include "system/MachineEnvironment.h"
#include "tests/support/RecordKeeper.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {
const wchar_t kKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const char kVariable[] = "KestrelTestVariable";
const wchar_t kWide[] = L"KestrelTestVariable";

// A value's type and UTF-16 bytes; REG_NONE when it is absent.
using Stored = std::pair<DWORD, std::string>;
const Stored kAbsent = {REG_NONE, ""};
const Stored kNumber = {REG_DWORD, std::string("\x07\0\0\0", 4)};

Stored text(DWORD type, const std::wstring& value) {
    const char* bytes = reinterpret_cast<const char*>(value.c_str());
    return {type, std::string(bytes, (value.size() + 1) * sizeof(wchar_t))};
}

Stored load() {
    std::string bytes(16384, '\0');
    DWORD type = REG_NONE, size = static_cast<DWORD>(bytes.size());
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, kWide, RRF_RT_ANY | RRF_NOEXPAND, &type, &bytes[0],
                     &size) != 0)
        return kAbsent;
    return {type, bytes.substr(0, size)};
}

void store(const Stored& stored) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, kWide);
    if (stored.first != REG_NONE)
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, kWide, stored.first, stored.second.data(),
                        static_cast<DWORD>(stored.second.size()));
}

class MachineEnvironmentTest : public ::testing::Test {
  protected:
    void TearDown() override { store(kAbsent); }
};
} // namespace

// What the user set after the installation stays with its type, a number too.
TEST_F(MachineEnvironmentTest, UndoLeavesAVariableTheUserChanged) {
    const std::string record = std::string("CREATE\t") + kVariable + "\tD:\\Tools";
    for (const Stored& user : {text(REG_EXPAND_SZ, L"D:\\Tools;%SystemRoot%"), kNumber}) {
        store(user);
        RecordingUI ui;
        EXPECT_TRUE(MachineEnvironment::undo(record.c_str(), &ui));
        EXPECT_EQ(load(), user);
        EXPECT_EQ(ui.lines, Lines{std::string("Left ") + kVariable});
    }
}

// A number, a character the narrow texts cannot hold (in UTF-8 only a lone surrogate is one), a
// record the log cannot take whole.
TEST_F(MachineEnvironmentTest, LeavesTheVariableUntouchedWhenNothingWholeCanChange) {
    const struct {
        Stored before;
        EnvironmentValue::Mode mode;
        int capacity;
        const char* reported;
    } rows[] = {
        {kNumber, EnvironmentValue::Mode::kReplace, 256, "FAILED to replace "},
        {text(REG_SZ, L"C:\\\xD800"), EnvironmentValue::Mode::kAppend, 256, "FAILED to add to "},
        {text(REG_SZ, L"C:\\Windows"), EnvironmentValue::Mode::kAppend, 24, "FAILED to add to "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.capacity);
        store(row.before);
        RecordingUI ui;
        RecordKeeper kept;
        kept.capacity = static_cast<size_t>(row.capacity);
        EXPECT_FALSE(MachineEnvironment::change(kVariable, "C:\\Program Files\\Kestrel", row.mode,
                                                kept.sink(), &ui, false));
        EXPECT_EQ(kept.records, Lines{});
        EXPECT_EQ(load(), row.before);
        EXPECT_EQ(ui.lines, Lines{row.reported + std::string(kVariable)});
    }
}
