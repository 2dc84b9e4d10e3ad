// Destinations the engine cannot honour, in small packages installed with -bin.
#include "EngineProcess.h"
#include "tests/support/TestPayload.h"

#include <gtest/gtest.h>

namespace {
class CraftedPackage : public ::testing::Test {
  protected:
    void SetUp() override { CreateDirectoryA(root_.c_str(), nullptr); }
    void TearDown() override {
        EngineProcess::run("cmd.exe /c rmdir /s /q " + inQuotes(root_));
        DeleteFileA(package_.c_str());
    }

    // One file set of `files`, undo files in ROOT\undo; the failed run is not undone ("no").
    ProcessResult install(const std::string& files, const testpayload::Entries& entries) {
        std::string description =
            "<VarnexGroupInstallation><ProductDesc><Fullname>Crafted</Fullname></ProductDesc>"
            "<Dialogs><CopyProgress></CopyProgress><Finish></Finish></Dialogs><Installation>"
            "<Uninstall><InstallLogFile>[ROOT]\\undo\\install.log</InstallLogFile>"
            "<InstallBackupFile>[ROOT]\\undo\\backup.bin</InstallBackupFile>"
            "<UninstallXmlFile>[ROOT]\\undo\\install.xml</UninstallXmlFile></Uninstall>"
            "<DefValues><Value Name=\"ROOT\" DataType=\"value\">" +
            root_ + "</Value></DefValues><FileSet Name=\"All\">" + files +
            "</FileSet></Installation></VarnexGroupInstallation>";
        testpayload::Entries all = entries;
        all.insert(all.begin(), {"install.xml", description});
        EXPECT_TRUE(writeAll(package_, testpayload::build(all)));
        return EngineProcess::run(
            "\"" + EngineProcess::enginePath() + "\" -gui=0 -bin=\"" + package_ + "\"", "no\n");
    }
    std::string actionLog() const { return readAll(root_ + "\\undo\\install.log"); }

    // On Z: (the host): the undo files move there across volumes from C:.
    std::string root_ = "Z:\\tmp\\kestrel-crafted-" + std::to_string(GetCurrentProcessId());
    std::string package_ = EngineProcess::tempFolder() + "kestrel-crafted.bin";
};
} // namespace

// The DIR record names exactly the levels that were missing, before they are made: one naming an
// existing folder would have the uninstall remove it.
TEST_F(CraftedPackage, DirRecordsNameExactlyTheMissingFoldersBeforeTheyAreMade) {
    ProcessResult result =
        install("<FN Dest=\"[ROOT]\\prod\\..\\shared\" Alias=\"a\">a.txt</FN>"
                "<FN Dest=\"[ROOT]\\new\\sub\\bad|name\\deep\" Alias=\"b\">b.txt</FN>",
                {{"a", "A"}, {"b", "B"}});
    EXPECT_NE(result.output.find("FAILED to create " + root_ + "\\new\\sub\\bad|name\\deep\\b.txt"),
              std::string::npos)
        << result.output;
    std::string log = actionLog();
    EXPECT_NE(log.find("DIR\t1\t" + root_ + "\\shared\\\r\nFILE\tCREATE\t" + root_ +
                       "\\shared\\a.txt\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("DIR\t4\t" + root_ + "\\new\\sub\\bad|name\\deep\\\r\n"), std::string::npos)
        << log;
    EXPECT_TRUE(fileExists(root_ + "\\new\\sub"));
    EXPECT_EQ(log.find("prod"), std::string::npos) << log;
    EXPECT_EQ(log.find("b.txt"), std::string::npos) << log;
    EXPECT_FALSE(fileExists(root_ + "\\prod"));
    for (const char* name : {"qzi1.tmp", "qzi2.tmp"})
        EXPECT_FALSE(fileExists(EngineProcess::tempFolder() + name)) << name;
}

// "NUL" would take the content silently, "AUX" hang the installer: device names stop the run before
// any change; a folder in the file's place fails before anything is recorded.
TEST_F(CraftedPackage, DeviceNamesAndFoldersInTheFilesPlaceFailBeforeAnythingIsWritten) {
    CreateDirectoryA((root_ + "\\app").c_str(), nullptr);
    CreateDirectoryA((root_ + "\\app\\taken").c_str(), nullptr);
    ProcessResult result = install("<FN Dest=\"[ROOT]\\app\" Alias=\"n\">NUL</FN>"
                                   "<FN Dest=\"[ROOT]\\app\" Alias=\"x\">aux.txt</FN>"
                                   "<FN Dest=\"[ROOT]\\app\\Com1\" Alias=\"c\">c.txt</FN>",
                                   {{"n", "N"}, {"x", "X"}, {"c", "C"}});
    for (const char* path : {"\\app\\Com1\\c.txt", "\\app\\aux.txt", "\\app\\NUL"})
        EXPECT_NE(result.output.find("FAILED to create " + root_ + path +
                                     ": its destination cannot be formed whole\r\n"),
                  std::string::npos)
            << path << "\n"
            << result.output;
    EXPECT_EQ(result.exitCode, kMinusOne);
    EXPECT_FALSE(fileExists(root_ + "\\undo"));
    result = install("<FN Dest=\"[ROOT]\\app\" Alias=\"t\">taken</FN>", {{"t", "T"}});
    EXPECT_NE(result.output.find("FAILED to create " + root_ + "\\app\\taken\r\n"),
              std::string::npos)
        << result.output;
    std::string log = actionLog();
    EXPECT_EQ(log.find("FILE\t"), std::string::npos) << log;
    EXPECT_EQ(log.find("DIR\t"), std::string::npos) << log;
}
