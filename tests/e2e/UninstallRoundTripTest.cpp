// Installations undone under Wine, compared against a snapshot of the machine taken before them:
// the demo uninstalled through its registered command and a failed installation rolled back.
#include "EngineProcess.h"
#include "MachineSnapshot.h"
#include "UndoChecks.h"
#include "system/WinHandle.h"
#include "tests/support/TestPayload.h"

#include <gtest/gtest.h>

using namespace undochecks;

namespace {
using Lines = std::vector<std::string>;
const std::string kPrograms = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";

void removeTree(const std::string& folder) {
    EngineProcess::run("cmd.exe /c rmdir /s /q \"" + folder + "\"");
}

class UninstallRoundTrip : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const std::string& folder : {root_, host_})
            removeTree(folder);
        for (const std::string& folder : {root_, root_ + "\\Kestrel Demo", app_, host_})
            CreateDirectoryA(folder.c_str(), nullptr);
        ASSERT_TRUE(writeAll(host_ + "\\host.ini", "[Plugins]\r\nFirst=a\r\nLast=z\r\n"));
        ASSERT_TRUE(writeAll(app_ + "\\kdemo.cmd", "@echo the earlier program\r\n"));
        ASSERT_TRUE(writeAll(app_ + "\\settings.cfg", "InstallDir=earlier\r\n"));
        ASSERT_TRUE(writeAll(root_ + "\\config.xml",
                             "<Settings><DefValues><Value Name=\"INSTALLDIR\" DataType=\"value\">" +
                                 root_ +
                                 "\\Kestrel Demo</Value><Value Name=\"DOCS\" "
                                 "DataType=\"value\">0</Value></DefValues></Settings>"));
    }
    void TearDown() override {
        for (const std::string& folder : {root_, host_})
            removeTree(folder);
    }
    // The administrator check's probe file must not stay in the program-files folder either.
    MachineSnapshot snapshot() const {
        return MachineSnapshot({root_, host_, kPrograms, "C:\\Program Files"});
    }

    std::string root_ = "C:\\kestrel-roundtrip", host_ = "C:\\Kestrel Host";
    std::string app_ = root_ + "\\Kestrel Demo\\bin";
};
} // namespace

// Through the registered command, run by the command interpreter, every created file and folder
// goes, except what the user changed or added; overwritten files, PATH, the host's INI file and
// the registration are as they were. Both runs keep their record in the -log file.
TEST_F(UninstallRoundTrip, TheDemoUninstallsThroughItsRegisteredCommandToTheMachineBefore) {
    MachineSnapshot before = snapshot();
    const std::string logFile = EngineProcess::tempFolder() + "kestrel roundtrip log.txt";
    DeleteFileA(logFile.c_str());
    ProcessResult install =
        EngineProcess::run(inQuotes(EngineProcess::testFolder() + "testdata\\demo-setup.exe") +
                           " -gui=0 -quiet=1 -log=" + inQuotes(logFile) +
                           " -configFile=" + inQuotes(root_ + "\\config.xml"));
    ASSERT_EQ(install.exitCode, 0u) << install.output;
    EXPECT_NE(readAll(host_ + "\\host.ini").find("KestrelDemo="), std::string::npos);
    ASSERT_TRUE(writeAll(app_ + "\\settings.cfg", "changed by the user\r\n"));
    std::string samples = root_ + "\\Kestrel Demo\\samples";
    ASSERT_TRUE(writeAll(samples + "\\mine.txt", "the user's own"));
    // Started as deployment tools start it: the command ends once the uninstall has, with its
    // outcome, and leaves nothing of its copy behind.
    std::map<std::string, std::string> values = registrationValues("Kestrel Demo");
    const std::string quiet = values["QuietUninstallString"];
    EXPECT_EQ(quiet.find(values["DisplayIcon"] + " -uninstall=\""), 0u) << quiet;
    EXPECT_TRUE(uninstallAsRegistered("Kestrel Demo", " -log=" + inQuotes(logFile), true));
    EXPECT_EQ(snapshot().differencesFrom(before),
              (Lines{"+ file:" + samples + "\\mine.txt", "+ folder:" + samples,
                     "~ file:" + app_ + "\\settings.cfg"})); // what the user changed or added
    // The installation's lines, then the copy's and the command's, each run with its outcome;
    // the copy removes the command's program once the command has ended.
    const std::string log = readAll(logFile);
    size_t at = 0;
    for (const std::string& line :
         {"  Create " + root_ + "\\Kestrel Demo\\samples\\basic.txt\r\n",
          std::string("  Exit code 0\r\n"), "  Left " + app_ + "\\settings.cfg\r\n",
          std::string("  Exit code 0\r\n"),
          "  Delete " + root_ + "\\Kestrel Demo\\uninst\\uninstall.exe\r\n",
          std::string("  Exit code 0\r\n")}) {
        at = log.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << log;
    }
    DeleteFileA(logFile.c_str());
}

// A quiet installation with errors is undone whole: files, folders, environment, INI file,
// shortcuts and registration as before, no undo file left behind, and the exit code -1.
TEST_F(UninstallRoundTrip, AFailedQuietInstallationIsRolledBackToTheMachineBefore) {
    ASSERT_TRUE(writeAll(app_ + "\\held.txt", "in use"));
    WinHandle holder(CreateFileA((app_ + "\\held.txt").c_str(), GENERIC_READ, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.valid());
    // APP is app_; the INI file is in host_, the shortcut's folder in kPrograms.
    const std::string description =
        R"(<VarnexGroupInstallation><ProductDesc><Fullname>Rollback</Fullname></ProductDesc>
<Dialogs><CopyProgress></CopyProgress></Dialogs><Installation><Uninstall>
<InstallLogFile>[APP]\u\install.log</InstallLogFile><InstallBackupFile>[APP]\u\backup.bin
</InstallBackupFile><UninstallXmlFile>[APP]\u\install.xml</UninstallXmlFile>
<UninstallCmd>[APP]\u\uninstall.exe</UninstallCmd></Uninstall><DefValues><Value Name="APP"
DataType="value">C:\kestrel-roundtrip\Kestrel Demo\bin</Value></DefValues><FileSet Name="All">
<FN Dest="[APP]" Alias="h">held.txt</FN><FN Dest="[APP]\new" Alias="n">new.txt</FN><FN Dest="[APP]"
Alias="c">kdemo.cmd</FN></FileSet><Environment><Append VarName="PATH" IsPath="1">[APP]</Append>
</Environment><IniFiles><Add FileName="C:\Kestrel Host\host.ini" Section="Plugins" Key="Rollback"
BeforeKey="Last">[APP]</Add></IniFiles><Shortcuts><Add Type="File"
Dest="C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Rollback"
Target="[APP]\kdemo.cmd">Rollback.lnk</Add></Shortcuts></Installation></VarnexGroupInstallation>)";
    const testpayload::Entries entries = {
        {"install.xml", description}, {"c", "@echo new"}, {"n", "new"}, {"h", "replacement"}};
    std::string package = root_ + "\\rollback.bin";
    ASSERT_TRUE(writeAll(package, testpayload::build(entries)));
    MachineSnapshot before = snapshot();
    ProcessResult result = EngineProcess::run("\"" + EngineProcess::enginePath() +
                                              "\" -gui=0 -quiet=1 -bin=\"" + package + "\"");
    EXPECT_EQ(result.exitCode, kMinusOne);
    // A file another program holds open counts as existing: it is not overwritten unsaved. The
    // undone run does not read as completed.
    for (const std::string& line :
         {"FAILED to overwrite " + app_ + "\\held.txt", "Restore " + app_ + "\\kdemo.cmd",
          std::string("Installation failed.\r\n")})
        EXPECT_NE(result.output.find(line), std::string::npos) << result.output;
    EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((EngineProcess::tempFolder() + "qzi*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << found.cFileName;
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}
