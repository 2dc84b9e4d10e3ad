// Default values read from the real registry (keys created and removed here through the
// Windows API).
#include "config/DefaultValues.h"
#include "config/VariableStore.h"
#include "config/XmlDocument.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <windows.h>

namespace {
const char kTestKey[] = "Software\\KestrelDefaultsTest";

class RegistryDefaults : public ::testing::Test {
  protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestKey);
    }

    void setValue(HKEY root, const char* subKey, const char* name, DWORD type, const void* data,
                  DWORD size) {
        HKEY key = nullptr;
        std::string full = std::string(kTestKey) + (subKey[0] != '\0' ? "\\" : "") + subKey;
        ASSERT_EQ(
            RegCreateKeyExA(root, full.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void setText(HKEY root, const char* subKey, const char* name, const char* text,
                 DWORD type = REG_SZ) {
        setValue(root, subKey, name, type, text, static_cast<DWORD>(strlen(text) + 1));
    }

    // Applies the defaults of a description whose DefValues hold the given Value elements.
    int load(const std::string& values, const char* configFile = nullptr) {
        XmlDocument description;
        description.parse(("<R><DefValues>" + values + "</DefValues></R>").c_str());
        return DefaultValues(variables, nullptr).initialize(description, configFile, &ui);
    }

    std::string variable(const char* name) {
        char value[1024];
        return variables.get(name, value, sizeof value) >= 0 ? value : "<undefined>";
    }

    static std::string registryValue(const char* name, const char* place, const char* key,
                                     const char* valueName, const char* type = "registry") {
        return std::string("<Value Name=\"") + name + "\" DataType=\"" + type + "\" RegPlace=\"" +
               place + "\" RegKey=\"" + key + "\">" + valueName + "</Value>";
    }

    VariableStore variables;
    RecordingUI ui;
};
} // namespace

TEST_F(RegistryDefaults, LastSuccessfulLookupWinsAndOnlyTheFourHivesCount) {
    const char* key = "Software/KestrelDefaultsTest";
    setText(HKEY_CURRENT_USER, "", "V", "user");
    setText(HKEY_CURRENT_USER, "Second", "Folder", "C:\\Second");
    setText(HKEY_LOCAL_MACHINE, "Fourth\\Deeper", "Folder", "C:\\Fourth\\\\App");
    ASSERT_EQ(load(registryValue("DIR", "HKEY_CURRENT_USER", "Software/KestrelDefaultsTest/First",
                                 "Folder") +
                   registryValue("DIR", "hkey_current_user", "Software/KestrelDefaultsTest/Second",
                                 "Folder", "Registry") +
                   registryValue("DIR", "HKEY_LOCAL_MACHINE",
                                 "Software\\KestrelDefaultsTest\\Second", "Missing") +
                   registryValue("DIR", "HKEY_LOCAL_MACHINE",
                                 "Software/KestrelDefaultsTest/Fourth/Deeper", "Folder") +
                   registryValue("B", "HKCU", key, "V") +
                   registryValue("C", "HKEY_CURRENT_CONFIG", key, "V") +
                   "<Value Name=\"D\" DataType=\"registry\" RegKey=\"Software\\KestrelDefaults"
                   "Test\">V</Value>"),
              0);
    EXPECT_EQ(variable("DIR"), "C:\\Fourth\\App");
    for (const char* name : {"B", "C", "D"})
        EXPECT_EQ(variable(name), "<undefined>") << name;
}

TEST_F(RegistryDefaults, ValueTypesBecomeText) {
    const char* key = "Software/KestrelDefaultsTest";
    setText(HKEY_CURRENT_USER, "", "", "the default");
    setText(HKEY_CURRENT_USER, "", "Expand", "%SystemRoot%\\Fonts", REG_EXPAND_SZ);
    DWORD number = 4000000000u;
    setValue(HKEY_CURRENT_USER, "", "Number", REG_DWORD, &number, sizeof number);
    const char multi[] = "first\0second\0";
    setValue(HKEY_CURRENT_USER, "", "Multi", REG_MULTI_SZ, multi, sizeof multi);
    const unsigned char bytes[] = {1, 2, 3};
    setValue(HKEY_CURRENT_USER, "", "Binary", REG_BINARY, bytes, sizeof bytes);
    // A string stored without its terminator still ends where its data ends.
    setValue(HKEY_CURRENT_USER, "", "Unterminated", REG_SZ, "abc", 3);
    std::string tooLong(1100, 'x');
    setText(HKEY_CURRENT_USER, "", "TooLong", tooLong.c_str());
    char windows[MAX_PATH];
    ASSERT_NE(GetEnvironmentVariableA("SystemRoot", windows, sizeof windows), 0u);
    const std::pair<const char*, std::string> expected[] = {
        {"", "the default"},       {"Expand", std::string(windows) + "\\Fonts"},
        {"Number", "4000000000"},  {"Multi", "first"},
        {"Binary", "<undefined>"}, {"Unterminated", "abc"},
        {"TooLong", "<undefined>"}};
    std::string values;
    for (const auto& row : expected)
        values += registryValue((std::string("V") + row.first).c_str(), "HKEY_CURRENT_USER", key,
                                row.first);
    ASSERT_EQ(load(values), 0);
    for (const auto& row : expected)
        EXPECT_EQ(variable((std::string("V") + row.first).c_str()), row.second) << row.first;
}
