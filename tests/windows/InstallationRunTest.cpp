// The installation run on Windows files: a destination another program holds open, and the
// action log and backup file moved from the temporary folder on C: to another drive.
#include "engine/BackupFile.h"
#include "engine/CheckSum.h"
#include "startup/WindowsInstaller.h"
#include "system/WinHandle.h"
#include "tests/support/TestInstaller.h"
#include "tests/support/TestPayload.h"

#include "tests/support/FileBytes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {
using filebytes::readAll;
using filebytes::writeAll;

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
void removeTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

class RunUI : public RecordingUI {
  public:
    int reportLine(int, int, const char* text, int, int) override {
        lines.push_back(text);
        return 0;
    }
    int ask(const char* text, int kind) override {
        RecordingUI::ask(text, kind);
        return 0;
    }
    std::vector<std::string> lines;
};

// The product goes to drive Z: (the host's root under Wine), the temporary files to C:.
class WindowsRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = "Z:\\tmp\\kestrel-run-" + std::to_string(GetCurrentProcessId());
        removeTree(root);
        ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
        app = root + "\\app";
        undo = root + "\\undo";
        ASSERT_TRUE(CreateDirectoryA(app.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(undo.c_str(), nullptr));
    }
    void TearDown() override {
        installer.closePayload();
        removeTree(root);
    }

    void load(const std::string& files, testpayload::Entries entries) {
        std::string description =
            "<VarnexGroupInstallation><ProductDesc><Fullname>Run</Fullname></ProductDesc>"
            "<Dialogs><CopyProgress></CopyProgress></Dialogs><Installation><Uninstall>"
            "<InstallLogFile>[UNDODIR]\\install.log</InstallLogFile>"
            "<InstallBackupFile>[UNDODIR]\\backup.bin</InstallBackupFile>"
            "<UninstallXmlFile>[UNDODIR]\\install.xml</UninstallXmlFile></Uninstall><DefValues>"
            "<Value Name=\"APPDIR\" DataType=\"value\">" +
            app + "</Value><Value Name=\"UNDODIR\" DataType=\"value\">" + undo +
            "</Value></DefValues><FileSet Name=\"Main\">" + files +
            "</FileSet></Installation></VarnexGroupInstallation>";
        entries.insert(entries.begin(), {"install.xml", description});
        std::string package = root + "\\package.bin";
        ASSERT_TRUE(testpayload::writeFile(package, testpayload::build(entries)));
        ASSERT_EQ(installer.openPayload(package.c_str(), 0, 0), 0);
        ASSERT_EQ(installer.loadDescription(&ui, nullptr), 0);
    }
    std::string header() {
        return undo + "\\install.xml\r\n" + undo + "\\backup.bin\r\nNUMVARS\t2\r\nVAR\tAPPDIR\t" +
               app + "\r\nVAR\tUNDODIR\t" + undo + "\r\n";
    }
    std::string tempName(int number) {
        char folder[MAX_PATH];
        GetTempPathA(sizeof folder, folder);
        return std::string(folder) + "qzi" + std::to_string(number) + ".tmp";
    }

    WindowsInstaller installer;
    RunUI ui;
    std::string root;
    std::string app;
    std::string undo;
};
} // namespace

TEST_F(WindowsRunTest, LogAndBackupMoveFromTheTemporaryFolderToAnotherDrive) {
    load("<FN Dest=\"[APPDIR]\\bin\" Alias=\"n\">new.txt</FN><FN Dest=\"[APPDIR]\" Alias=\"o\">"
         "old.txt</FN>",
         {{"n", "fresh"}, {"o", "replacement"}});
    writeAll(app + "\\old.txt", "previous");
    EXPECT_EQ(installer.runInstallation(&ui), 0);
    std::string old = app + "\\old.txt";
    std::string fresh = app + "\\bin\\new.txt";
    EXPECT_EQ(readAll(undo + "\\install.log"), header() + "FILE\tOVER\t" + old + "\r\nDIR\t1\t" +
                                                   app + "\\bin\\\r\nFILE\tCREATE\t" + fresh +
                                                   "\r\n");
    uint32_t sum = checkSum(11, "replacement", 11);
    std::string entry = std::string(1, static_cast<char>(old.size() + 1)) + '\0' + old + '\0' +
                        std::string("\x08\0\0\0\0\0\0\0", 8) +
                        std::string(reinterpret_cast<const char*>(&sum), 4) + "previous";
    EXPECT_EQ(readAll(undo + "\\backup.bin"),
              std::string(BackupFile::kHeader) + '\0' + entry + std::string("\1\0\0", 3));
    EXPECT_EQ(readAll(old), "replacement");
    EXPECT_EQ(readAll(fresh), "fresh");
    EXPECT_FALSE(exists(tempName(1)));
    EXPECT_FALSE(exists(tempName(2)));
    EXPECT_EQ(ui.lines,
              (std::vector<std::string>{"Back up " + old, "Overwrite " + old, "Create " + fresh}));
}

TEST_F(WindowsRunTest, ADestinationHeldOpenByAnotherProgramExistsAndIsLeftAlone) {
    load("<FN Dest=\"[APPDIR]\" Alias=\"n\">new.txt</FN><FN Dest=\"[APPDIR]\" Alias=\"h\">"
         "held.txt</FN>",
         {{"n", "fresh"}, {"h", "replacement"}});
    std::string held = app + "\\held.txt";
    writeAll(held, "in use");
    WinHandle holder(
        CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.valid());
    EXPECT_EQ(installer.runInstallation(&ui), 0);
    holder.reset();
    EXPECT_EQ(readAll(held), "in use");
    EXPECT_EQ(readAll(app + "\\new.txt"), "fresh");
    EXPECT_EQ(ui.lines,
              (std::vector<std::string>{
                  "FAILED to back up " + held + ": [BackupFile::addFile] Error opening file",
                  "FAILED to overwrite " + held, "Create " + app + "\\new.txt"}));
    // No record for the file that was not written, and no half entry in the backup.
    EXPECT_EQ(readAll(undo + "\\install.log"), header() + "FILE\tCREATE\t" + app + "\\new.txt\r\n");
    EXPECT_EQ(readAll(undo + "\\backup.bin"),
              std::string(BackupFile::kHeader) + '\0' + std::string("\1\0\0", 3));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].substr(0, 45), "2:An error occurred during the installation.\n");
}
