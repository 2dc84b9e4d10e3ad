#include "system/IniFileChanges.h"
#include "tests/e2e/EngineProcess.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

// A file another program holds without sharing cannot be read: a failure, for a retry.
TEST(IniFileChanges, UndoFailsOnAFileItCannotReadAndLeavesIt) {
    std::string path = EngineProcess::tempFolder() + "kestrel-user.ini";
    const std::string users = "[Plugins]\r\nFirst=C:\\Apps\\Kestrel\r\n";
    writeAll(path, users);
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    RecordingUI ui;
    const std::string record = "REPLACE\t" + path + "\tPlugins\tFirst\ta\tC:\\Apps\\Kestrel";
    EXPECT_FALSE(IniFileChanges::undo(record.c_str(), &ui));
    CloseHandle(held);
    EXPECT_EQ(ui.lines,
              Lines{"FAILED to restore [Plugins]/First in " + path + ": the file cannot be read"});
    EXPECT_EQ(readAll(path), users);
    DeleteFileA(path.c_str());
}
