// Shortcuts through the shell; the links and expected.txt are left for check-shortcuts.sh.
#include "package/BoundedText.h"
#include "package/FileCheck.h"
#include "system/ShellShortcuts.h"
#include "tests/e2e/EngineProcess.h"
#include "tests/support/RecordKeeper.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
// Shows where processEvents falls among the report lines.
struct EventsUI : RecordingUI {
    bool processEvents() override {
        lines.push_back("<events>");
        return true;
    }
};

std::string folder() {
    const char* kept = std::getenv("KESTREL_SHORTCUT_FOLDER");
    std::string name = kept != nullptr ? std::string(kept) + "\\"
                                       : EngineProcess::tempFolder() + "kestrel-shortcuts\\";
    CreateDirectoryA(name.c_str(), nullptr);
    return name;
}

std::string freshPath(const std::string& name) {
    DeleteFileA((folder() + name).c_str());
    return folder() + name;
}

std::string recordFor(const std::string& path, const std::string& bytes) {
    char crc[9];
    boundedFormat(crc, sizeof crc, "%08X",
                  static_cast<unsigned>(FileCheck::of(bytes.data(), bytes.size())));
    return "CREATE\t" + path + "\t" + crc;
}
} // namespace

TEST(ShellShortcuts, CreatesFileUrlAndUninstallShortcutsWithTheirRecords) {
    // A program in a folder named in three scripts, below the links' own folder.
    const std::string unicodeFolder = folder() + "Démo 日本語 Ελληνικά";
    const std::string unicodeTarget = unicodeFolder + "\\руководство.txt";
    CreateDirectoryA(unicodeFolder.c_str(), nullptr);
    writeAll(unicodeTarget, "читай меня");
    const struct {
        ShellShortcuts::Kind kind;
        const char *name, *target, *arguments, *workingFolder;
        std::string saved;
    } cases[] = {
        {ShellShortcuts::Kind::kFile, "Editor.lnk", "C:\\windows\\notepad.exe", "-a \"b c\"",
         "C:\\windows\\temp", "C:\\windows\\notepad.exe\t-a \"b c\"\tC:\\windows\\temp\tStarts it"},
        // Without arguments and working folder those properties stay unset.
        {ShellShortcuts::Kind::kFile, "Plain.lnk", "C:\\windows\\regedit.exe", nullptr, nullptr,
         "C:\\windows\\regedit.exe\t\t\tStarts it"},
        // The uninstaller starts in no particular folder, whatever the item names.
        {ShellShortcuts::Kind::kUninstall, "Uninstall.lnk", "C:\\windows\\system32\\cmd.exe",
         "-uninstall=1 -uninstallApp=Demo", "C:\\windows",
         "C:\\windows\\system32\\cmd.exe\t-uninstall=1 -uninstallApp=Demo\t\tStarts it"},
        // Names in three scripts, as the engine's UTF-8 hands them to the shell.
        {ShellShortcuts::Kind::kFile, "Démo 日本語 Ελληνικά.lnk", unicodeTarget.c_str(),
         "--язык=日本語", unicodeFolder.c_str(),
         unicodeTarget + "\t--язык=日本語\t" + unicodeFolder + "\tStarts it"},
        // An Internet shortcut whatever the extension.
        {ShellShortcuts::Kind::kUrl, "Website.lnk", "http://www.example.com/demo", nullptr, nullptr,
         "http://www.example.com/demo"},
    };
    std::string expected;
    for (const auto& c : cases) {
        std::string path = freshPath(c.name);
        EventsUI ui;
        RecordKeeper kept;
        EXPECT_EQ(ShellShortcuts::create(c.kind, path.c_str(), c.target, "Starts it", c.arguments,
                                         c.workingFolder, kept.sink(), &ui),
                  true);
        // Recorded before the shell saves it, then with the saved file's check.
        EXPECT_EQ(kept.records, (Lines{"CREATE\t" + path + "\t-", recordFor(path, readAll(path))}));
        EXPECT_EQ(ui.lines, (Lines{"<events>", "Create  shortcut " + path}));
        if (c.kind == ShellShortcuts::Kind::kUrl) {
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
        ShellShortcuts::Kind kind;
        std::string name;
        const char* target;
        int capacity;
    } cases[] = {
        {"the file exists", ShellShortcuts::Kind::kFile, "Existing.lnk", editor, 512},
        {"no uninstall command", ShellShortcuts::Kind::kUninstall, "NoCommand.lnk", "", 512},
        {"path over MAX_PATH", ShellShortcuts::Kind::kFile, std::string(250, 'x') + ".lnk", editor,
         1024},
        {"target over MAX_PATH", ShellShortcuts::Kind::kFile, "Long.lnk", longTarget.c_str(), 512},
        {"record does not fit", ShellShortcuts::Kind::kFile, "Short.lnk", editor, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        std::string path = freshPath(c.name);
        bool existing = c.name == "Existing.lnk";
        if (existing)
            writeAll(path, "keep");
        RecordingUI ui;
        RecordKeeper kept;
        kept.capacity = static_cast<size_t>(c.capacity);
        EXPECT_EQ(ShellShortcuts::create(c.kind, path.c_str(), c.target, "d", nullptr, nullptr,
                                         kept.sink(), &ui),
                  false);
        EXPECT_EQ(kept.records, Lines{});
        EXPECT_EQ(ui.lines, Lines{"FAILED to create  shortcut " + path});
        EXPECT_EQ(fileExists(path) ? readAll(path) : "none", existing ? "keep" : "none");
    }
}

// The shortcut goes only while it holds the bytes saved; an unreadable one or a damaged record
// is a failure.
TEST(ShellShortcuts, UndoDeletesOnlyTheShortcutAsSaved) {
    std::string path = freshPath("Undo.lnk");
    std::string ours = recordFor(path, "saved"), theirs = recordFor(path, "user's");
    const struct {
        std::string record;
        const char* content; // at undo time; null: no file
        bool locked;
        bool result;
        std::string line;
        const char* after; // null: no file
    } cases[] = {
        {ours, "saved", false, true, "Remove  shortcut " + path, nullptr},
        {ours, nullptr, false, true, "Remove  shortcut " + path, nullptr},
        {theirs, "saved", false, true, "Left  shortcut " + path, "saved"},
        {ours, "saved", true, false, "FAILED to remove  shortcut " + path, "saved"},
        {"DELETE\t" + path + ours.substr(ours.rfind('\t')), "saved", false, false, "", "saved"},
        {"CREATE\t" + path, "saved", false, false, "", "saved"},
        {"CREATE\tUndo.lnk" + ours.substr(ours.rfind('\t')), "saved", false, false, "", "saved"},
        {"CREATE\t" + path + "\t12345G78", "saved", false, false, "", "saved"},
        {"NONE", "saved", false, false, "", "saved"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record);
        DeleteFileA(path.c_str());
        if (c.content != nullptr)
            writeAll(path, c.content);
        HANDLE held = c.locked ? CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr)
                               : INVALID_HANDLE_VALUE;
        EventsUI ui;
        EXPECT_EQ(ShellShortcuts::undo(c.record.c_str(), &ui), c.result);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        EXPECT_EQ(ui.lines, c.line.empty() ? Lines{} : (Lines{"<events>", c.line}));
        EXPECT_EQ(fileExists(path) ? readAll(path) : "none", c.after ? c.after : "none");
    }
    DeleteFileA(path.c_str());
}
