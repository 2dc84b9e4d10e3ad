// The system side's own Windows answers (the administrator check and named events are the
// end-to-end tests').
#include "system/WindowsSystem.h"
#include "package/WinFile.h"
#include "tests/support/WaitingProgram.h"

#include <gtest/gtest.h>

TEST(MakeTempFileName, FormsUniqueNamesWithoutCreatingFilesAndRefusesASmallBuffer) {
    WindowsSystem system;
    const std::string folder = EngineProcess::tempFolder();
    char first[fileaccess::kPathSize];
    char second[fileaccess::kPathSize];
    ASSERT_TRUE(system.makeTempFileName(first, sizeof first));
    ASSERT_TRUE(system.makeTempFileName(second, sizeof second));
    EXPECT_EQ(first, folder + "qzi1.tmp");
    EXPECT_EQ(second, folder + "qzi2.tmp");
    EXPECT_EQ(GetFileAttributesA(first), INVALID_FILE_ATTRIBUTES);
    // A buffer that cannot hold MAX_PATH characters in UTF-8 (MAX_PATH bytes are too few) is
    // refused.
    char small[MAX_PATH];
    EXPECT_FALSE(system.makeTempFileName(small, sizeof small));
}

TEST(IsAppRunning, FindsARunningProgramByItsFileNameInAnyCase) {
    WindowsSystem system;
    WaitingProgram program;
    ASSERT_TRUE(program.started());
    // Only the whole file name with its extension is compared, without case.
    const std::pair<std::string, bool> names[] = {
        {"kestrel_waiter.exe", true}, {"KESTREL_Waiter.EXE", true}, {"kestrel_waiter", false},
        {"kestrel_waiter.ex", false}, {program.path(), false},      {"", false}};
    for (const auto& [name, running] : names)
        EXPECT_EQ(system.isAppRunning(name.c_str()), running) << name;
    program.end();
    EXPECT_FALSE(system.isAppRunning("kestrel_waiter.exe"));
}
