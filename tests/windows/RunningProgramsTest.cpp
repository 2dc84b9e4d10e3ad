// Whether a program runs, asked of the system for a program this test starts and ends.
#include "startup/WindowsInstaller.h"
#include "tests/support/WaitingProgram.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

TEST(IsAppRunning, FindsARunningProgramByItsFileNameInAnyCase) {
    WindowsInstaller installer;
    EXPECT_EQ(installer.isAppRunning("kestrel_waiter.exe"), 0);
    WaitingProgram program;
    ASSERT_TRUE(program.started());
    // Only the whole file name with its extension is compared, without case.
    const std::pair<std::string, int> names[] = {
        {"kestrel_waiter.exe", 1}, {"KESTREL_Waiter.EXE", 1}, {"kestrel_waiter", 0},
        {"kestrel_waiter.ex", 0},  {program.path(), 0},       {"", 0}};
    for (const auto& [name, running] : names)
        EXPECT_EQ(installer.isAppRunning(name.c_str()), running) << name;
    program.end();
    EXPECT_EQ(installer.isAppRunning("kestrel_waiter.exe"), 0);
}
