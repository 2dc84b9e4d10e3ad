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

void removeInstallation() {
    for (const char* name : {"good.txt", "install.log", "backup.bin", "install.xml"})
        DeleteFileA((kFolder + name).c_str());
    RemoveDirectoryA(kFolder.c_str());
}

// The lines printed up to the question: the file with the undefined folder fails, the others
// are created; the file-set order is reversed in the file list.
std::string reportLines() {
    return "Starting installation.\r\n"
           "Create " +
           kFolder +
           "backup.bin\r\n"
           "Create " +
           kFolder +
           "install.log\r\n"
           "FAILED to create [NOSUCHFOLDER]\\lost.txt\r\n"
           "Create " +
           kFolder + "good.txt\r\n";
}

class UndoQuestion : public ::testing::Test {
  protected:
    void SetUp() override { removeInstallation(); }
    void TearDown() override { removeInstallation(); }
};
} // namespace

TEST_F(UndoQuestion, NoKeepsTheInstallationAndItsUndoFiles) {
    ProcessResult run = install("no\n");
    EXPECT_EQ(run.output, reportLines() + kQuestion + "Installation completed.\r\n");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(readFileBytes(kFolder + "good.txt"), "good file\r\n");
    // The placeholders were replaced by the real action log and backup file.
    std::string log = readFileBytes(kFolder + "install.log");
    EXPECT_EQ(log.rfind(kFolder + "install.xml\r\n" + kFolder + "backup.bin\r\nNUMVARS\t1\r\n", 0),
              0u)
        << log;
    EXPECT_NE(log.find("FILE\tCREATE\t" + kFolder + "good.txt\r\n"), std::string::npos) << log;
    EXPECT_EQ(
        readFileBytes(kFolder + "backup.bin").rfind("Varnex Software installer backup file.\n", 0),
        0u);
}

// Yes undoes the run: the overwritten file has the user's content back byte for byte, what the
// run created is gone, and so are its undo files.
TEST_F(UndoQuestion, YesUndoesTheRunAndTheOverwrittenContentComesBack) {
    CreateDirectoryA(kFolder.c_str(), nullptr);
    ASSERT_TRUE(writeFileBytes(kFolder + "good.txt", "the user's own content"));
    ProcessResult run = install("YES\n");
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFul);
    EXPECT_NE(run.output.find("Restore " + kFolder + "good.txt\r\n"), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.substr(run.output.size() - 22), "Installation failed.\r\n");
    EXPECT_EQ(readFileBytes(kFolder + "good.txt"), "the user's own content");
    EXPECT_FALSE(fileExists(kFolder + "install.log") || fileExists(kFolder + "backup.bin"));
}

TEST_F(UndoQuestion, AnAbbreviatedAnswerIsNotYes) {
    ProcessResult run = install("y\n");
    EXPECT_EQ(run.output, reportLines() + kQuestion + "Installation completed.\r\n");
    EXPECT_EQ(run.exitCode, 0u);
}
