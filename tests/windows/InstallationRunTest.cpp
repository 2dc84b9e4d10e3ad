// The installation run on Windows files: a destination another program holds open, and the
// action log and backup file moved from the temporary folder on C: to another drive.
#include "engine/InstallationRun.h"
#include "config/Description.h"
#include "config/FileList.h"
#include "config/VariableStore.h"
#include "engine/BackupFile.h"
#include "package/Payload.h"
#include "system/WinHandle.h"
#include "system/WindowsSystem.h"
#include "tests/support/FileBytes.h"
#include "tests/support/RecordingUI.h"
#include "tests/support/TestPayload.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using filebytes::readAll;
using filebytes::writeAll;

} // namespace

// The product and the undo files go to drive Z: (the host's root under Wine), the temporary
// files to C:, so the log and the backup are moved across volumes.
TEST(WindowsRun, AHeldDestinationIsLeftAloneAndTheUndoFilesMoveToAnotherDrive) {
    std::string root = "Z:\\tmp\\kestrel-run-" + std::to_string(GetCurrentProcessId());
    std::string app = root + "\\app", undo = root + "\\undo";
    for (const std::string& folder : {root, app, undo})
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    std::string description =
        "<VarnexGroupInstallation><ProductDesc><Fullname>Run</Fullname></ProductDesc>"
        "<Dialogs><CopyProgress></CopyProgress></Dialogs><Installation><Uninstall>"
        "<InstallLogFile>[UNDODIR]\\install.log</InstallLogFile>"
        "<InstallBackupFile>[UNDODIR]\\backup.bin</InstallBackupFile>"
        "<UninstallXmlFile>[UNDODIR]\\install.xml</UninstallXmlFile></Uninstall>"
        "<FileSet Name=\"Main\"><FN Dest=\"[APPDIR]\" Alias=\"n\">new.txt</FN>"
        "<FN Dest=\"[APPDIR]\" Alias=\"h\">held.txt</FN></FileSet></Installation>"
        "</VarnexGroupInstallation>";
    std::string package = root + "\\package.bin";
    ASSERT_TRUE(testpayload::writeFile(
        package,
        testpayload::build({{"install.xml", description}, {"n", "fresh"}, {"h", "replacement"}})));
    VariableStore variables;
    variables.set("APPDIR", app.c_str());
    variables.set("UNDODIR", undo.c_str());
    Description parsed(variables);
    parsed.parse(description.c_str(), description.size());
    Payload payload;
    ASSERT_EQ(payload.open(package.c_str(), 0), 0);
    FileList files;
    files.read(parsed.document(), payload, nullptr);
    WindowsSystem system;
    RecordingUI ui;
    ui.answer = 0; // keep the run when asked to undo it

    std::string held = app + "\\held.txt";
    writeAll(held, "in use");
    WinHandle holder(
        CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.valid());
    EXPECT_EQ(InstallationRun(parsed, files, variables, payload, system, ui, nullptr).perform(), 0);
    holder.reset();
    payload.close();

    EXPECT_EQ(readAll(held), "in use");
    EXPECT_EQ(readAll(app + "\\new.txt"), "fresh");
    EXPECT_EQ(ui.lines,
              (std::vector<std::string>{
                  "FAILED to back up " + held + ": [BackupFile::addFile] Error opening file",
                  "FAILED to overwrite " + held, "Create " + app + "\\new.txt"}));
    // No record for the file that was not written, and no half entry in the backup.
    EXPECT_EQ(readAll(undo + "\\install.log"),
              undo + "\\install.xml\r\n" + undo + "\\backup.bin\r\nNUMVARS\t2\r\nVAR\tAPPDIR\t" +
                  app + "\r\nVAR\tUNDODIR\t" + undo + "\r\nFILE\tCREATE\t" + app + "\\new.txt\r\n");
    EXPECT_EQ(readAll(undo + "\\backup.bin"),
              std::string(BackupFile::kHeader) + '\0' + std::string("\1\0\0", 3));
    char temporary[MAX_PATH];
    GetTempPathA(sizeof temporary, temporary);
    for (const char* name : {"qzi1.tmp", "qzi2.tmp"})
        EXPECT_EQ(GetFileAttributesA((std::string(temporary) + name).c_str()),
                  INVALID_FILE_ATTRIBUTES)
            << name;
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].substr(0, 45), "2:An error occurred during the installation.\n");

    for (const std::string& file :
         {held, app + "\\new.txt", package, undo + "\\install.log", undo + "\\backup.bin"})
        DeleteFileA(file.c_str());
    for (const std::string& folder : {app, undo, root})
        RemoveDirectoryA(folder.c_str());
}
