// Shortcuts made through the shell and read back through the shell's own reader; their undo.
#include "system/ShellShortcuts.h"
#include "tests/support/FileBytes.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

namespace {
// Shows where processEvents falls among the report lines.
class EventsUI : public RecordingUI {
  public:
    int processEvents(int, int, int, int) override {
        lines.push_back("<events>");
        return 0;
    }
};

struct LinkFields {
    std::string target, arguments, workingFolder, description;
};

// What the shell itself reads from a .lnk file.
LinkFields readLink(const std::string& path) {
    LinkFields fields;
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    wchar_t widePath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(widePath, STGM_READ))) {
        char text[1024] = {};
        link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
        fields.target = text;
        link->GetArguments(text, sizeof text);
        fields.arguments = text;
        link->GetWorkingDirectory(text, MAX_PATH);
        fields.workingFolder = text;
        link->GetDescription(text, sizeof text);
        fields.description = text;
    }
    if (file != nullptr)
        file->Release();
    if (link != nullptr)
        link->Release();
    CoUninitialize();
    return fields;
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// KESTREL_SHORTCUT_FOLDER names a folder where the created shortcuts are left, with the list of
// what was asked for ("expected.txt"), for tests/wine/check-shortcuts.sh to read with lnkinfo.
class ShortcutsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* kept = std::getenv("KESTREL_SHORTCUT_FOLDER");
        keep_ = kept != nullptr && kept[0] != '\0';
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder_ = keep_ ? std::string(kept) + "\\" : std::string(temp) + "kestrel shortcuts\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        if (keep_)
            return;
        for (const auto& name : made_)
            DeleteFileA((folder_ + name).c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    std::string path(const std::string& name) {
        made_.push_back(name);
        DeleteFileA((folder_ + name).c_str());
        return folder_ + name;
    }

    std::string folder_;
    bool keep_ = false;
    std::vector<std::string> made_;
};
} // namespace

TEST_F(ShortcutsTest, CreatesFileUrlAndUninstallShortcutsThatTheShellReadsBack) {
    struct Case {
        int kind;
        const char* name;
        const char* target;
        const char* arguments;
        const char* workingFolder;
        const char* readArguments;
        const char* readFolder;
    };
    const Case cases[] = {
        {ShellShortcuts::kFile, "Editor.lnk", "C:\\windows\\notepad.exe", "-a \"b c\"",
         "C:\\windows\\temp", "-a \"b c\"", "C:\\windows\\temp"},
        // Without arguments and working folder those properties stay unset.
        {ShellShortcuts::kFile, "Plain.lnk", "C:\\windows\\regedit.exe", nullptr, nullptr, "", ""},
        // The uninstaller starts in no particular folder, whatever the item names.
        {ShellShortcuts::kUninstall, "Uninstall.lnk", "C:\\windows\\system32\\cmd.exe",
         "-uninstall=1 -uninstallApp=Demo", "C:\\windows", "-uninstall=1 -uninstallApp=Demo", ""},
        // An Internet shortcut whatever the extension.
        {ShellShortcuts::kUrl, "Website.lnk", "http://www.example.com/demo", nullptr, nullptr,
         nullptr, nullptr},
    };
    std::ofstream expected(folder_ + "expected.txt", std::ios::binary);
    for (const Case& c : cases) {
        std::string description = std::string("Start ") + c.name;
        std::string file = path(c.name);
        EventsUI ui;
        char record[512];
        ASSERT_EQ(ShellShortcuts::create(c.kind, file.c_str(), c.target, description.c_str(),
                                         c.arguments, c.workingFolder, record, sizeof record, &ui),
                  1)
            << c.name;
        EXPECT_EQ(std::string(record), "CREATE\t" + file);
        EXPECT_EQ(ui.lines, (std::vector<std::string>{"<events>", "Create shortcut " + file}));
        if (c.kind == ShellShortcuts::kUrl) {
            char address[256] = {};
            GetPrivateProfileStringA("InternetShortcut", "URL", "", address, sizeof address,
                                     file.c_str());
            EXPECT_EQ(std::string(address), c.target);
            continue;
        }
        LinkFields link = readLink(file);
        EXPECT_EQ(link.target, c.target) << c.name;
        EXPECT_EQ(link.arguments, c.readArguments) << c.name;
        EXPECT_EQ(link.workingFolder, c.readFolder) << c.name;
        EXPECT_EQ(link.description, description) << c.name;
        expected << c.name << '\t' << c.target << '\t' << c.readArguments << '\t' << c.readFolder
                 << '\t' << description << '\n';
    }
    made_.push_back("expected.txt");
}

TEST_F(ShortcutsTest, RefusedShortcutsWriteNothing) {
    struct Case {
        const char* why;
        int kind;
        std::string name;
        const char* target;
        int capacity;
    };
    const std::string longTarget = "C:\\" + std::string(MAX_PATH, 'x') + ".exe";
    const Case cases[] = {
        {"the file exists", ShellShortcuts::kFile, "Existing.lnk", "C:\\windows\\notepad.exe", 512},
        {"no uninstall command", ShellShortcuts::kUninstall, "NoCommand.lnk", "", 512},
        {"unknown kind", 4, "Other.lnk", "C:\\windows\\notepad.exe", 512},
        {"path over MAX_PATH", ShellShortcuts::kFile, std::string(250, 'x') + ".lnk",
         "C:\\windows\\notepad.exe", 1024},
        {"target over MAX_PATH", ShellShortcuts::kFile, "Long.lnk", longTarget.c_str(), 512},
        {"record does not fit", ShellShortcuts::kFile, "Short.lnk", "C:\\windows\\notepad.exe", 16},
    };
    for (const Case& c : cases) {
        std::string file = path(c.name);
        bool existing = c.name == "Existing.lnk";
        if (existing)
            filebytes::writeAll(file, "keep");
        RecordingUI ui;
        char record[1024] = "old";
        EXPECT_EQ(ShellShortcuts::create(c.kind, file.c_str(), c.target, "d", nullptr, nullptr,
                                         record, c.capacity, &ui),
                  0)
            << c.why;
        EXPECT_EQ(std::string(record), "") << c.why;
        EXPECT_EQ(ui.lines, std::vector<std::string>{"FAILED to create shortcut " + file});
        EXPECT_EQ(filebytes::readAll(file), existing ? "keep" : "") << c.why;
        EXPECT_EQ(exists(file), existing) << c.why;
    }
}

TEST_F(ShortcutsTest, UndoDeletesOnlyWhatACreateRecordNames) {
    std::string file = path("Undo.lnk");
    char record[512];
    ASSERT_EQ(ShellShortcuts::create(ShellShortcuts::kFile, file.c_str(),
                                     "C:\\windows\\notepad.exe", "d", nullptr, nullptr, record,
                                     sizeof record, nullptr),
              1);
    std::string other = path("Other.lnk");
    filebytes::writeAll(other, "keep");
    const struct {
        std::string record;
        int result;
        std::vector<std::string> lines;
    } cases[] = {
        {record, 1, {"<events>", "Remove shortcut " + file}},
        {record, 0, {"<events>", "FAILED to remove shortcut " + file}},
        {"DELETE\t" + other, 1, {}},
        {"NONE", 1, {}},
    };
    for (const auto& c : cases) {
        EventsUI ui;
        EXPECT_EQ(ShellShortcuts::undo(c.record.c_str(), &ui), c.result) << c.record;
        EXPECT_EQ(ui.lines, c.lines) << c.record;
    }
    EXPECT_FALSE(exists(file));
    EXPECT_EQ(filebytes::readAll(other), "keep");
}
