// Shortcuts made through the shell and read back through the shell's own reader; their undo.
#include "system/ShellShortcuts.h"
#include "tests/support/FileBytes.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

namespace {
using Lines = std::vector<std::string>;

// Shows where processEvents falls among the report lines.
struct EventsUI : RecordingUI {
    int processEvents(int, int, int, int) override {
        lines.push_back("<events>");
        return 0;
    }
};

// KESTREL_SHORTCUT_FOLDER names a host folder where the shortcuts are left, with the list of
// what was asked for (expected.txt), for tests/wine/check-shortcuts.sh to read with lnkinfo.
std::string folder() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const char* kept = std::getenv("KESTREL_SHORTCUT_FOLDER");
    std::string name =
        kept != nullptr ? std::string(kept) + "\\" : std::string(temp) + "kestrel-shortcuts\\";
    CreateDirectoryA(name.c_str(), nullptr);
    return name;
}

// A path in the folder where no file is yet.
std::string freshPath(const std::string& name) {
    DeleteFileA((folder() + name).c_str());
    return folder() + name;
}

// What the shell reads from a link: target, arguments, working folder and description, TAB
// between them.
std::string readLink(const std::string& path) {
    char text[4][MAX_PATH] = {};
    std::wstring widePath(path.begin(), path.end());
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    CoInitialize(nullptr);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(widePath.c_str(), STGM_READ))) {
        link->GetPath(text[0], MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetArguments(text[1], MAX_PATH);
        link->GetWorkingDirectory(text[2], MAX_PATH);
        link->GetDescription(text[3], MAX_PATH);
    }
    for (IUnknown* object : {static_cast<IUnknown*>(file), static_cast<IUnknown*>(link)}) {
        if (object != nullptr)
            object->Release();
    }
    CoUninitialize();
    return std::string(text[0]) + "\t" + text[1] + "\t" + text[2] + "\t" + text[3];
}

std::string readUrl(const std::string& path) {
    char address[256] = {};
    GetPrivateProfileStringA("InternetShortcut", "URL", "", address, sizeof address, path.c_str());
    return address;
}
} // namespace

TEST(ShellShortcuts, CreatesFileUrlAndUninstallShortcutsThatTheShellReadsBack) {
    const struct {
        int kind;
        const char* name;
        const char* target;
        const char* arguments;
        const char* workingFolder;
        std::string readBack;
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
        bool isLink = c.kind != ShellShortcuts::kUrl;
        EXPECT_EQ(isLink ? readLink(path) : readUrl(path), c.readBack) << c.name;
        if (isLink)
            expected += std::string(c.name) + "\t" + c.readBack + "\n";
    }
    filebytes::writeAll(folder() + "expected.txt", expected);
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
        std::string path = freshPath(c.name);
        bool existing = c.name == "Existing.lnk";
        if (existing)
            filebytes::writeAll(path, "keep");
        RecordingUI ui;
        char record[1024] = "old";
        EXPECT_EQ(ShellShortcuts::create(c.kind, path.c_str(), c.target, "d", nullptr, nullptr,
                                         record, c.capacity, &ui),
                  0)
            << c.why;
        EXPECT_EQ(std::string(record), "") << c.why;
        EXPECT_EQ(ui.lines, Lines{"FAILED to create  shortcut " + path});
        EXPECT_EQ(filebytes::readAll(path), existing ? "keep" : "") << c.why;
        EXPECT_EQ(GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES, existing) << c.why;
    }
}

TEST(ShellShortcuts, UndoDeletesOnlyWhatACreateRecordNames) {
    std::string path = freshPath("Undo.lnk");
    char record[512];
    ASSERT_EQ(ShellShortcuts::create(ShellShortcuts::kFile, path.c_str(),
                                     "C:\\windows\\notepad.exe", "d", nullptr, nullptr, record,
                                     sizeof record, nullptr),
              1);
    std::string other = freshPath("Other.lnk");
    filebytes::writeAll(other, "keep");
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
    EXPECT_EQ(filebytes::readAll(other), "keep");
}
