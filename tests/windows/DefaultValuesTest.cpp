// Default values read from the real registry.
#include "config/DefaultValues.h"
#include "config/VariableStore.h"
#include "config/XmlDocument.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {
const char kTestKey[] = "Software\\KestrelDefaultsTest";

void setValue(HKEY root, const std::string& subKey, const char* name, DWORD type,
              const std::string& bytes) {
    EXPECT_EQ(RegSetKeyValueA(root, (kTestKey + subKey).c_str(), name, type, bytes.data(),
                              static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

// A Value element reading the test key (followed by `below`).
std::string registryValue(const std::string& name, const char* place, const char* below,
                          const char* valueName, const char* type = "registry") {
    return "<Value Name=\"" + name + "\" DataType=\"" + type + "\" RegPlace=\"" + place +
           "\" RegKey=\"Software/KestrelDefaultsTest" + below + "\">" + valueName + "</Value>";
}

class RegistryDefaults : public ::testing::Test {
  protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            RegDeleteTreeA(root, kTestKey);
    }
    bool load(const std::string& values) {
        XmlDocument description;
        description.parse(("<R><DefValues>" + values + "</DefValues></R>").c_str());
        return DefaultValues(variables, nullptr).initialize(description, nullptr, &ui);
    }
    std::string variable(const std::string& name) {
        char value[1024];
        return variables.get(name.c_str(), value, sizeof value) >= 0 ? value : "<undefined>";
    }

    VariableStore variables;
    RecordingUI ui;
};
} // namespace

// The last lookup that finds a value wins, only the four hives count; a string without its
// terminator ends with its data; binary values and texts over 1,023 bytes define nothing.
TEST_F(RegistryDefaults, LastLookupWinsOnlyTheFourHivesCountAndValueTypesBecomeText) {
    char windows[MAX_PATH];
    ASSERT_NE(GetEnvironmentVariableA("SystemRoot", windows, sizeof windows), 0u);
    setValue(HKEY_CURRENT_USER, "", "V", REG_SZ, std::string("user", 5));
    setValue(HKEY_CURRENT_USER, "\\Second", "Folder", REG_SZ, std::string("C:\\Second", 10));
    setValue(HKEY_LOCAL_MACHINE, "\\Fourth\\Deeper", "Folder", REG_SZ,
             std::string("C:\\Fourth\\\\App", 15));
    std::string values =
        registryValue("DIR", "HKEY_CURRENT_USER", "/First", "Folder") +
        registryValue("DIR", "hkey_current_user", "/Second", "Folder", "Registry") +
        registryValue("DIR", "HKEY_LOCAL_MACHINE", "\\Second", "Missing") +
        registryValue("DIR", "HKEY_LOCAL_MACHINE", "/Fourth/Deeper", "Folder") +
        registryValue("B", "HKCU", "", "V") + registryValue("C", "HKEY_CURRENT_CONFIG", "", "V") +
        "<Value Name=\"D\" DataType=\"registry\" RegKey=\"Software\\KestrelDefaults"
        "Test\">V</Value>";
    const struct {
        const char* name;
        DWORD type;
        std::string stored, text;
    } rows[] = {
        {"", REG_SZ, std::string("the default", 12), "the default"},
        {"Expand", REG_EXPAND_SZ, std::string("%SystemRoot%\\Fonts", 19),
         std::string(windows) + "\\Fonts"},
        {"Number", REG_DWORD, std::string("\x00\x28\x6b\xee", 4), "4000000000"},
        {"Multi", REG_MULTI_SZ, std::string("first\0second\0", 14), "first"},
        {"Binary", REG_BINARY, std::string("\1\2\3", 3), "<undefined>"},
        {"Unterminated", REG_SZ, "abc", "abc"},
        {"TooLong", REG_SZ, std::string(1100, 'x') + '\0', "<undefined>"},
    };
    for (const auto& row : rows) {
        setValue(HKEY_CURRENT_USER, "", row.name, row.type, row.stored);
        values += registryValue(std::string("V") + row.name, "HKEY_CURRENT_USER", "", row.name);
    }
    ASSERT_TRUE(load(values));
    EXPECT_EQ(variable("DIR"), "C:\\Fourth\\App");
    for (const char* name : {"B", "C", "D"})
        EXPECT_EQ(variable(name), "<undefined>") << name;
    for (const auto& row : rows)
        EXPECT_EQ(variable(std::string("V") + row.name), row.text) << row.name;
}
