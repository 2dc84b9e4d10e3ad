// An INI entry made by the engine as Windows' own INI reader reads it, and an undo on a file
// another program holds. The changes and undos themselves are IniChange's.
#include "system/IniFileChanges.h"
#include "tests/e2e/EngineProcess.h"
#include "tests/support/RecordKeeper.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

namespace {
std::string windowsReads(const std::string& path, const char* section, const char* key) {
    char value[256] = {};
    GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, path.c_str());
    return value;
}
} // namespace

TEST(IniFileChanges, WindowsReadsTheNewValueAndTheUndoGivesTheFileBackByteForByte) {
    std::string path = EngineProcess::tempFolder() + "kestrel-host.ini";
    const std::string original = "; host settings\r\n[Plugins]\r\nFirst=a\r\n\r\nLast=z\r\n"
                                 "[Other]\nKey=unchanged\n";
    writeAll(path, original);
    RecordingUI ui;
    RecordKeeper kept;
    ASSERT_EQ(IniFileChanges::change(path.c_str(), "Plugins", "Kestrel", "C:\\Apps\\Kestrel", 1,
                                     kept.sink(), &ui, 0, "Last"),
              1);
    EXPECT_EQ(kept.last(), "CREATE\t" + path + "\tPlugins\tKestrel\tC:\\Apps\\Kestrel");
    EXPECT_EQ(ui.lines, Lines{"Create [Plugins]/Kestrel in " + path});
    EXPECT_EQ(windowsReads(path, "Plugins", "Kestrel"), "C:\\Apps\\Kestrel");
    EXPECT_EQ(windowsReads(path, "Other", "Key"), "unchanged");
    EXPECT_EQ(IniFileChanges::undo(kept.last().c_str(), &ui), 1);
    EXPECT_EQ(readAll(path), original);
    DeleteFileA(path.c_str());
}

// A file another program holds without sharing cannot be read: a failure, so that the undo can be
// run again.
TEST(IniFileChanges, UndoFailsOnAFileItCannotReadAndLeavesIt) {
    std::string path = EngineProcess::tempFolder() + "kestrel-user.ini";
    const std::string users = "[Plugins]\r\nFirst=C:\\Apps\\Kestrel\r\n";
    writeAll(path, users);
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    RecordingUI ui;
    const std::string record = "REPLACE\t" + path + "\tPlugins\tFirst\ta\tC:\\Apps\\Kestrel";
    EXPECT_EQ(IniFileChanges::undo(record.c_str(), &ui), 0);
    CloseHandle(held);
    EXPECT_EQ(ui.lines, Lines{"FAILED to restore [Plugins]/First in " + path});
    EXPECT_EQ(readAll(path), users);
    DeleteFileA(path.c_str());
}
