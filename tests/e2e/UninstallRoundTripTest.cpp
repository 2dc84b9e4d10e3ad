#include "UndoChecks.h"

using namespace undochecks;

namespace {
const std::string kPrograms = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";

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
    MachineSnapshot snapshot() const {
        return MachineSnapshot({root_, host_, kPrograms, "C:\\Program Files"});
    }

    std::string root_ = "C:\\kestrel-roundtrip", host_ = "C:\\Kestrel Host";
    std::string app_ = root_ + "\\Kestrel Demo\\bin";
};
} // namespace

// Through the registered command run by cmd, all goes but what the user changed or added; both
// runs keep their record in the -log file.
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
    EXPECT_TRUE(uninstallAsRegistered("Kestrel Demo", " -log=" + inQuotes(logFile), true));
    EXPECT_EQ(snapshot().differencesFrom(before),
              (Lines{"+ file:" + samples + "\\mine.txt", "+ folder:" + samples,
                     "~ file:" + app_ + "\\settings.cfg"})); // what the user changed or added
    // The installation's lines, then the copy's and the command's, each with its outcome.
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
