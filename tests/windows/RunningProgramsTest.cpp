// Whether a program runs, asked of the system for a program this test starts and ends.
#include "startup/WindowsInstaller.h"
#include "tests/support/WaitingProgram.h"

#include <gtest/gtest.h>

TEST(IsAppRunning, FindsARunningProgramByItsFileNameInAnyCase) {
    WindowsInstaller installer;
    EXPECT_EQ(installer.isAppRunning("kestrel_waiter.exe"), 0);
    WaitingProgram program;
    ASSERT_TRUE(program.started());
    EXPECT_EQ(installer.isAppRunning("kestrel_waiter.exe"), 1);
    EXPECT_EQ(installer.isAppRunning("KESTREL_Waiter.EXE"), 1);
    // Only the file name with its extension is compared.
    EXPECT_EQ(installer.isAppRunning("kestrel_waiter"), 0);
    EXPECT_EQ(installer.isAppRunning(program.path().c_str()), 0);
    EXPECT_EQ(installer.isAppRunning("kestrel_waiter.ex"), 0);
    EXPECT_EQ(installer.isAppRunning(""), 0);
    program.end();
    EXPECT_EQ(installer.isAppRunning("kestrel_waiter.exe"), 0);
}

TEST(IsAppRunning, FindsThisTestProgramItself) {
    WindowsInstaller installer;
    EXPECT_EQ(installer.isAppRunning("kestrel_windows_tests.exe"), 1);
    EXPECT_EQ(installer.isAppRunning("no_such_program_here.exe"), 0);
}
