// Shortcuts made through the shell, and their undo. The links are left, with the list of what
// was asked for (expected.txt), for tests/wine/check-shortcuts.sh to read back with lnkinfo, a
// reader that shares no code with the shell that wrote them.
#include "system/ShellShortcuts.h"
#include "tests/e2e/EngineProcess.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
// Shows where processEvents falls among the report lines.
struct EventsUI : RecordingUI {
    int processEvents(int, int, int, int) override {
        lines.push_back("<events>");
        return 0;
    }
};

// KESTREL_SHORTCUT_FOLDER names the host folder where scripts/test.sh has the links read back.
std::string folder() {
    const char* kept = std::getenv("KESTREL_SHORTCUT_FOLDER");
    std::string name = kept != nullptr ? std::string(kept) + "\\"
                                       : EngineProcess::tempFolder() + "kestrel-shortcuts\\";
    CreateDirectoryA(name.c_str(), nullptr);
    return name;
}

// A path in the folder where no file is yet.
std::string freshPath(const std::string& name) {
    DeleteFileA((folder() + name).c_str());
    return folder() + name;
}
} // namespace

TEST(ShellShortcuts, CreatesFileUrlAndUninstallShortcutsWithTheirRecords) {
    // What is saved: a link's target, arguments, working folder and description; a URL.
    const struct {
        int kind;
        const char *name, *target, *arguments, *workingFolder;
        std::string saved;
    } cases[] = {
        {ShellShortcuts::kFile, "Editor.lnk", "C:\\windows\\notepad.exe", "-a \"b c\"",
         "C:\\windows\\temp", "C:\\windows\\notepad.exe\t-a \"b c\"\tC:\\windows\\temp\tStarts it"},
        // Without arguments and working folder those properties stay unset.
        {ShellShortcuts::kFile, "Plain.lnk", "C:\\windows\\regedit.exe", nullptr, nullptr,
         "C:\\windows\\regedit.exe\t\t\tStarts it"},
        // The uninstaller starts in no particular folder, whatever the item names.
        {ShellShortcuts::kUninstall, "Uninstall.lnk", "C:\\windows\\system32\\cmd.exe",
         "-uninstall=1 -uninstallApp=Demo", "C:\\windows",
         "C:\\windows\\system32\\cmd.exe\t-uninstall=1 -uninstallApp=Demo\t\tStarts it"},
        // An Internet shortcut whatever the extension.
        {ShellShortcuts::kUrl, "Website.lnk", "http://www.example.com/demo", nullptr, nullptr,
         "http://www.example.com/demo"},
    };
    std::string expected;
    for (const auto& c : cases) {
        std::string path = freshPath(c.name);
        EventsUI ui;
        char record[512];
        EXPECT_EQ(ShellShortcuts::create(c.kind, path.c_str(), c.target, "Starts it", c.arguments,
                                         c.workingFolder, record, sizeof record, &ui),
                  1);
        EXPECT_EQ(std::string(record), "CREATE\t" + path);
        EXPECT_EQ(ui.lines, (Lines{"<events>", "Create  shortcut " + path}));
        if (c.kind == ShellShortcuts::kUrl) {
            char address[256] = {};
            GetPrivateProfileStringA("InternetShortcut", "URL", "", address, sizeof address,
                                     path.c_str());
            EXPECT_EQ(address, c.saved);
        } else {
            expected += std::string(c.name) + "\t" + c.saved + "\n";
        }
    }
    writeAll(folder() + "expected.txt", expected);
}

TEST(ShellShortcuts, RefusedShortcutsWriteNothing) {
    const char* editor = "C:\\windows\\notepad.exe";
    const std::string longTarget = "C:\\" + std::string(MAX_PATH, 'x') + ".exe";
    const struct {
        const char* why;
        int kind;
        std::string name;
        const char* target;
        int capacity;
    } cases[] = {
        {"the file exists", ShellShortcuts::kFile, "Existing.lnk", editor, 512},
        {"no uninstall command", ShellShortcuts::kUninstall, "NoCommand.lnk", "", 512},
        {"unknown kind", 4, "Other.lnk", editor, 512},
        {"path over MAX_PATH", ShellShortcuts::kFile, std::string(250, 'x') + ".lnk", editor, 1024},
        {"target over MAX_PATH", ShellShortcuts::kFile, "Long.lnk", longTarget.c_str(), 512},
        {"record does not fit", ShellShortcuts::kFile, "Short.lnk", editor, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        std::string path = freshPath(c.name);
        bool existing = c.name == "Existing.lnk";
        if (existing)
            writeAll(path, "keep");
        RecordingUI ui;
        char record[1024] = "old";
        EXPECT_EQ(ShellShortcuts::create(c.kind, path.c_str(), c.target, "d", nullptr, nullptr,
                                         record, c.capacity, &ui),
                  0);
        EXPECT_EQ(std::string(record), "");
        EXPECT_EQ(ui.lines, Lines{"FAILED to create  shortcut " + path});
        EXPECT_EQ(fileExists(path) ? readAll(path) : "none", existing ? "keep" : "none");
    }
}

// Undo deletes whatever file the record names, link or not.
TEST(ShellShortcuts, UndoDeletesOnlyWhatACreateRecordNames) {
    std::string path = freshPath("Undo.lnk"), other = freshPath("Other.lnk");
    std::string record = "CREATE\t" + path;
    for (const std::string& file : {path, other})
        writeAll(file, "keep");
    const struct {
        std::string record;
        int result;
        Lines lines;
    } cases[] = {
        {record, 1, {"<events>", "Remove  shortcut " + path}},
        {record, 0, {"<events>", "FAILED to remove  shortcut " + path}},
        {"DELETE\t" + other, 1, {}},
        {"NONE", 1, {}},
    };
    for (const auto& c : cases) {
        EventsUI ui;
        EXPECT_EQ(ShellShortcuts::undo(c.record.c_str(), &ui), c.result) << c.record;
        EXPECT_EQ(ui.lines, c.lines) << c.record;
    }
    EXPECT_EQ(readAll(other), "keep");
}
