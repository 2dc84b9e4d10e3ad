// The installer object's own Windows operations and the start-up's system checks.
#include "startup/WindowsInstaller.h"
#include "startup/AdminCheck.h"
#include "startup/ProcessState.h"
#include "system/NamedEvent.h"
#include "system/WinHandle.h"

#include <gtest/gtest.h>

#include <string>

TEST(MakeTempFileName, FormsUniqueNamesWithoutCreatingFiles) {
    WindowsInstaller installer;
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    char first[MAX_PATH];
    char second[MAX_PATH];
    ASSERT_EQ(installer.makeTempFileName(first, sizeof first), 0);
    ASSERT_EQ(installer.makeTempFileName(second, sizeof second), 0);
    EXPECT_EQ(std::string(first), std::string(folder) + "qzi1.tmp");
    EXPECT_EQ(std::string(second), std::string(folder) + "qzi2.tmp");
    EXPECT_EQ(GetFileAttributesA(first), INVALID_FILE_ATTRIBUTES);
    // A buffer that cannot hold MAX_PATH characters is refused, but the counter still moves.
    char small[16];
    EXPECT_EQ(installer.makeTempFileName(small, sizeof small), -1);
    EXPECT_EQ(installer.tempNamesIssued(), 3);
}

TEST(GetConfigFile, CopiesTheOptionOrRefusesACut) {
    WindowsInstaller installer;
    copyText(processState().configFile, sizeof processState().configFile, "C:\\cfg\\settings.xml");
    char name[64];
    EXPECT_EQ(installer.getConfigFile(name, sizeof name), 0);
    EXPECT_STREQ(name, "C:\\cfg\\settings.xml");
    char tiny[8];
    EXPECT_EQ(installer.getConfigFile(tiny, sizeof tiny), -1);
    processState().configFile[0] = '\0';
    EXPECT_EQ(installer.getConfigFile(name, sizeof name), 0);
    EXPECT_STREQ(name, "");
}

TEST(NamedEvent, SetsAnExistingEventAndIgnoresAMissingOne) {
    NamedEvent::signal("KestrelTestNoSuchEvent");
    WinHandle event(CreateEventA(nullptr, TRUE, FALSE, "KestrelTestEvent"));
    ASSERT_TRUE(event.valid());
    EXPECT_EQ(WaitForSingleObject(event.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    NamedEvent::signal("KestrelTestEvent");
    EXPECT_EQ(WaitForSingleObject(event.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST(AdminCheck, PassesWhereProgramFilesIsWritable) {
    EXPECT_TRUE(AdminCheck::canWriteProgramFiles());
    char folder[MAX_PATH] = {};
    DWORD size = sizeof folder;
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    RegQueryValueExA(key, "ProgramFilesDir", nullptr, nullptr, reinterpret_cast<BYTE*>(folder),
                     &size);
    RegCloseKey(key);
    // The probe file is removed again.
    EXPECT_EQ(GetFileAttributesA((std::string(folder) + "\\test$$$1234ajgtr.tmp").c_str()),
              INVALID_FILE_ATTRIBUTES);
}
