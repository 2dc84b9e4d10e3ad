// An INI entry made and undone by the engine, read back by Windows' own INI reader, and the file
// given back byte for byte.
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
    const struct {
        const char *key, *before;
        std::string record, report;
    } rows[] = {
        {"Kestrel", "Last", "CREATE\t" + path + "\tPlugins\tKestrel\tC:\\Apps\\Kestrel",
         "Create [Plugins]/Kestrel in " + path},
        {"First", "", "REPLACE\t" + path + "\tPlugins\tFirst\ta\tC:\\Apps\\Kestrel",
         "Replace [Plugins]/First in " + path},
    };
    for (const auto& row : rows) {
        writeAll(path, original);
        RecordingUI ui;
        RecordKeeper kept;
        ASSERT_EQ(IniFileChanges::change(path.c_str(), "Plugins", row.key, "C:\\Apps\\Kestrel", 1,
                                         kept.sink(), &ui, 0, row.before),
                  1);
        std::string record = kept.last();
        EXPECT_EQ(record, row.record);
        EXPECT_EQ(ui.lines, std::vector<std::string>{row.report});
        EXPECT_EQ(windowsReads(path, "Plugins", row.key), "C:\\Apps\\Kestrel");
        EXPECT_EQ(windowsReads(path, "Other", "Key"), "unchanged");
        EXPECT_EQ(IniFileChanges::undo(record.c_str(), &ui), 1);
        EXPECT_EQ(readAll(path), original) << row.key;
    }
    DeleteFileA(path.c_str());
}

// A value the user set since stays; a file another program holds without sharing cannot be read
// and is a failure, so that the undo can be run again.
TEST(IniFileChanges, UndoLeavesTheUsersValueAndFailsOnAFileItCannotRead) {
    std::string path = EngineProcess::tempFolder() + "kestrel-user.ini";
    const std::string record = "REPLACE\t" + path + "\tPlugins\tFirst\ta\tC:\\Apps\\Kestrel";
    const std::string entry = "[Plugins]/First in " + path;
    const struct {
        bool locked;
        int result;
        std::string report;
    } rows[] = {
        {false, 1, "Left " + entry},
        {true, 0, "FAILED to restore " + entry},
    };
    for (const auto& row : rows) {
        const std::string users = "[Plugins]\r\nFirst=mine\r\n";
        writeAll(path, users);
        HANDLE held = row.locked ? CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                                 : INVALID_HANDLE_VALUE;
        RecordingUI ui;
        EXPECT_EQ(IniFileChanges::undo(record.c_str(), &ui), row.result);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        EXPECT_EQ(ui.lines, std::vector<std::string>{row.report});
        EXPECT_EQ(readAll(path), users);
    }
    DeleteFileA(path.c_str());
}
