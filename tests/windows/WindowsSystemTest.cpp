// The system side's own Windows answers (the administrator check and named events are the
// end-to-end tests').
#include "system/WindowsSystem.h"
#include "tests/support/WaitingProgram.h"

#include <gtest/gtest.h>

TEST(MakeTempFileName, FormsUniqueNamesWithoutCreatingFilesAndRefusesASmallBuffer) {
    WindowsSystem system;
    const std::string folder = EngineProcess::tempFolder();
    char first[MAX_PATH];
    char second[MAX_PATH];
    ASSERT_EQ(system.makeTempFileName(first, sizeof first), 0);
    ASSERT_EQ(system.makeTempFileName(second, sizeof second), 0);
    EXPECT_EQ(first, folder + "qzi1.tmp");
    EXPECT_EQ(second, folder + "qzi2.tmp");
    EXPECT_EQ(GetFileAttributesA(first), INVALID_FILE_ATTRIBUTES);
    // A buffer that cannot hold MAX_PATH characters is refused.
    char small[16];
    EXPECT_EQ(system.makeTempFileName(small, sizeof small), -1);
}

TEST(IsAppRunning, FindsARunningProgramByItsFileNameInAnyCase) {
    WindowsSystem system;
    WaitingProgram program;
    ASSERT_TRUE(program.started());
    // Only the whole file name with its extension is compared, without case.
    const std::pair<std::string, int> names[] = {
        {"kestrel_waiter.exe", 1}, {"KESTREL_Waiter.EXE", 1}, {"kestrel_waiter", 0},
        {"kestrel_waiter.ex", 0},  {program.path(), 0},       {"", 0}};
    for (const auto& [name, running] : names)
        EXPECT_EQ(system.isAppRunning(name.c_str()), running) << name;
    program.end();
    EXPECT_EQ(system.isAppRunning("kestrel_waiter.exe"), 0);
}
