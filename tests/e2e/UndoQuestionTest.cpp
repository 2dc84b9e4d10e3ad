// An installation with an error asks on the console whether to undo it: the answer typed on
// standard input decides between keeping the installation (exit 0) and undoing it (exit -1).
#include "EngineProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <windows.h>

namespace {
const std::string kFolder = "C:\\Kestrel Faulty\\";
const std::string kQuestion = "An error occurred during the installation.\r\nDo you want to undo "
                              "changes made to your system?\r\n\r\nType 'yes' or 'no' :";

ProcessResult install(const std::string& answer) {
    std::string installer = EngineProcess::testFolder() + "testdata\\faulty-setup.exe";
    return EngineProcess::run("\"" + installer + "\" -gui=0", answer);
}

class UndoQuestion : public ::testing::Test {
  protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        for (const char* name : {"good.txt", "install.log", "backup.bin", "install.xml"})
            DeleteFileA((kFolder + name).c_str());
        RemoveDirectoryA(kFolder.c_str());
    }
};
} // namespace

// Up to the question, the file with the undefined folder fails and the others are created (the
// file-set order is reversed in the file list); only a whole "yes" is yes.
TEST_F(UndoQuestion, NoOrAnAbbreviatedAnswerKeepsTheInstallationAndItsUndoFiles) {
    for (const char* answer : {"no\n", "y\n"}) {
        SCOPED_TRACE(answer);
        TearDown();
        ProcessResult run = install(answer);
        const std::string create = "Create " + kFolder;
        EXPECT_EQ(run.output, "Starting installation.\r\n" + create + "backup.bin\r\n" + create +
                                  "install.log\r\nFAILED to create [NOSUCHFOLDER]\\lost.txt\r\n" +
                                  create + "good.txt\r\n" + kQuestion +
                                  "Installation completed.\r\n");
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(readAll(kFolder + "good.txt"), "good file\r\n");
        // The placeholders were replaced by the real action log and backup file.
        std::string log = readAll(kFolder + "install.log");
        EXPECT_EQ(
            log.rfind(kFolder + "install.xml\r\n" + kFolder + "backup.bin\r\nNUMVARS\t1\r\n", 0),
            0u)
            << log;
        EXPECT_NE(log.find("FILE\tCREATE\t" + kFolder + "good.txt\r\n"), std::string::npos) << log;
        EXPECT_EQ(readAll(kFolder + "backup.bin").substr(0, 39),
                  "Varnex Software installer backup file.\n");
    }
}

// Yes undoes the run: the overwritten file has the user's content back byte for byte, what the
// run created is gone, and so are its undo files.
TEST_F(UndoQuestion, YesUndoesTheRunAndTheOverwrittenContentComesBack) {
    CreateDirectoryA(kFolder.c_str(), nullptr);
    ASSERT_TRUE(writeAll(kFolder + "good.txt", "the user's own content"));
    ProcessResult run = install("YES\n");
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFul);
    EXPECT_NE(run.output.find("Restore " + kFolder + "good.txt\r\n"), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.substr(run.output.size() - 22), "Installation failed.\r\n");
    EXPECT_EQ(readAll(kFolder + "good.txt"), "the user's own content");
    EXPECT_FALSE(fileExists(kFolder + "install.log") || fileExists(kFolder + "backup.bin"));
}
