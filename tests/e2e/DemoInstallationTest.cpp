// The packed demo product installed by the installation run, driven directly with a recording
// handler: the fields' choices pick the file sets and files, the settings file gets its values,
// and the uninstaller's own files (description copy, engine, action log, backup) land in place.
#include "EngineProcess.h"
#include "package/WinFile.h"
#include "startup/Installer.h"
#include "system/WindowsSystem.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <windows.h>

namespace {
std::string testData(const std::string& relative) {
    return EngineProcess::testFolder() + "testdata\\" + relative;
}
} // namespace

TEST(DemoInstallation, ChoicesPickTheFilesAndTheUninstallerLandsInPlace) {
    WindowsSystem system;
    Installer installer(system);
    uint32_t engineSize =
        static_cast<uint32_t>(WinFile::sizeOfFile(EngineProcess::enginePath().c_str()));
    ASSERT_EQ(installer.openPayload(testData("demo-setup.exe").c_str(), engineSize, 0), 0);
    RecordingUI ui;
    ASSERT_EQ(installer.loadDescription(&ui, nullptr, nullptr), 0);
    std::string target =
        EngineProcess::tempFolder() + "Kestrel Demo " + std::to_string(GetCurrentProcessId());
    Wizard& wizard = installer.wizard();
    wizard.setVariable("INSTALLDIR", target.c_str());
    wizard.setVariable("DOCS", "0");
    wizard.setVariable("SAMPLES", "2");
    // The progress page runs the installation.
    for (int page = 0; page < wizard.dialogCount(); ++page) {
        if (std::string(wizard.getDialog(page).name) == "CopyProgress")
            wizard.showDialog(page, &ui);
    }
    EXPECT_EQ(wizard.hasFailed(), 0);
    EXPECT_EQ(readFileBytes(target + "\\bin\\settings.cfg"),
              "InstallDir=" + target + "\r\nDocumentation=0\r\nSamples=2\r\n");
    EXPECT_TRUE(fileExists(target + "\\bin\\kdemo.cmd"));
    EXPECT_FALSE(fileExists(target + "\\docs\\readme.txt"));
    EXPECT_TRUE(fileExists(target + "\\samples\\advanced.txt"));
    EXPECT_EQ(readFileBytes(target + "\\uninst\\install.xml"),
              readFileBytes(testData("demo-stage\\install.xml")));
    EXPECT_EQ(readFileBytes(target + "\\uninst\\uninstall.exe"),
              readFileBytes(EngineProcess::enginePath()));
    std::string log = readFileBytes(target + "\\uninst\\install.log");
    EXPECT_EQ(log.find(target + "\\uninst\\install.xml\r\n" + target +
                       "\\uninst\\backup.bin\r\nNUMVARS\t"),
              0u)
        << log;
    EXPECT_NE(log.find("FILE\tCREATE\t" + target + "\\samples\\advanced.txt\r\n"),
              std::string::npos);
    EXPECT_EQ(log.find("docs"), std::string::npos);
    EXPECT_EQ(readFileBytes(target + "\\uninst\\backup.bin"),
              std::string("Varnex Software installer backup file.\n\0\1\0\0", 43));
    EXPECT_EQ(ui.questions.size(), 0u);
    EXPECT_EQ(ui.lines.size(), 8u) << ui.lines.back();
    installer.closePayload();
}
