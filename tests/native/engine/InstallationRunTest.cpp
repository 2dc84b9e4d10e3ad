// The installation run on the host file layer: what lands on disk, in the action log and in
// the backup file, what the user is shown and asked, and how the run ends.
#include "engine/BackupFile.h"
#include "engine/CheckSum.h"
#include "tests/native/TempFolder.h"
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
    return std::ifstream(path).good();
}

// Temporary names in the test's folder; one of them may be made unusable.
class RunInstaller : public TestInstaller {
  public:
    int makeTempFileName(char* out, int size) override {
        ++issued;
        std::string name = folder + "/qzinstall" + std::to_string(issued) + ".tmp";
        if (issued == unusableName)
            name = folder + "/missing/qzinstall.tmp";
        if (issued > namesAvailable || copyText(out, size, name.c_str()) != 0)
            return -1;
        if (issued != unusableName)
            writeAll(name, "");
        tempNames.push_back(name);
        return 0;
    }
    int isPreviousVersionInstalled() override { return previousVersion; }
    int uninstallPreviousVersion() override {
        ++uninstallCalls;
        previousVersion = previousVersionStays;
        return 1;
    }
    int registerUninstall() override {
        ++registrations;
        return 1;
    }
    int cancelled() { return isCancelled(); }

    std::string folder;
    int issued = 0;
    int unusableName = 0;
    int namesAvailable = 100;
    std::vector<std::string> tempNames;
    int previousVersion = 0;
    int previousVersionStays = 0;
    int uninstallCalls = 0;
    int registrations = 0;
};

class RunUI : public RecordingUI {
  public:
    int setOverallProgress(int percent) override {
        progress.push_back(percent);
        return 0;
    }
    int setStatusText(const char* text) override {
        statuses.push_back(text);
        return 0;
    }
    int reportLine(int, int, const char* text, int, int) override {
        lines.push_back(text);
        return 0;
    }
    int ask(const char* text, int kind) override {
        RecordingUI::ask(text, kind);
        return answer;
    }
    int answer = 1;
    std::vector<int> progress;
    std::vector<std::string> statuses;
    std::vector<std::string> lines;
};

const char* kUndoQuestion = "2:An error occurred during the installation.\nDo you want to undo "
                            "changes made to your system?\n";

class InstallationRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        installer.folder = folder.path();
        app = folder / "app";
        undo = folder / "undo";
        ASSERT_EQ(system(("mkdir '" + undo + "'").c_str()), 0);
    }

    // Loads a description whose Installation element holds `fileSets`, with APPDIR set to the
    // test's app folder, from a package holding `entries`.
    void load(const std::string& fileSets, testpayload::Entries entries) {
        std::string description =
            "<VarnexGroupInstallation><ProductDesc><Fullname>Run Test</Fullname></ProductDesc>"
            "<Dialogs><CopyProgress></CopyProgress></Dialogs><Installation><Uninstall>"
            "<InstallLogFile>[UNDODIR]\\install.log</InstallLogFile>"
            "<InstallBackupFile>[UNDODIR]\\backup.bin</InstallBackupFile>"
            "<UninstallXmlFile>[UNDODIR]\\install.xml</UninstallXmlFile></Uninstall>"
            "<DefValues><Value Name=\"APPDIR\" DataType=\"value\">" +
            app +
            "</Value><Value Name=\"DOCS\" DataType=\"value\">1</Value><Value Name=\"UNDODIR\" "
            "DataType=\"value\">" +
            undo + "</Value></DefValues>" + fileSets + "</Installation></VarnexGroupInstallation>";
        entries.insert(entries.begin(), {"install.xml", description});
        std::string package = folder / "package.bin";
        ASSERT_TRUE(testpayload::writeFile(package, testpayload::build(entries)));
        ASSERT_EQ(installer.openPayload(package.c_str(), 0, 0), 0);
        ASSERT_EQ(installer.loadDescription(&ui, nullptr), 0);
    }

    std::string logOfRun() { return readAll(undo + "/install.log"); }
    std::string header() {
        return undo + "\\install.xml\r\n" + undo + "\\backup.bin\r\nNUMVARS\t3\r\nVAR\tAPPDIR\t" +
               app + "\r\nVAR\tDOCS\t1\r\nVAR\tUNDODIR\t" + undo + "\r\n";
    }
    std::string backupEntry(const std::string& name, const std::string& data, uint32_t sum) {
        std::string bytes;
        uint16_t length = static_cast<uint16_t>(name.size() + 1);
        bytes += static_cast<char>(length & 0xff);
        bytes += static_cast<char>(length >> 8);
        bytes += name + '\0';
        for (int i = 0; i < 8; ++i)
            bytes += static_cast<char>(static_cast<uint64_t>(data.size()) >> (8 * i));
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>(sum >> (8 * i));
        return bytes + data;
    }
    std::string emptyBackup() {
        return std::string(BackupFile::kHeader) + '\0' + std::string("\1\0\0", 3);
    }

    TempFolder folder;
    std::string app;
    std::string undo;
    RunInstaller installer;
    RunUI ui;
};
} // namespace

TEST_F(InstallationRunTest, ActionLogListsPathsVariablesFoldersAndFilesInOrder) {
    // Within a set the files are installed last to first.
    load("<FileSet Name=\"Main\"><FN Dest=\"[APPDIR]\\x\\y\" Alias=\"a\">a.txt</FN>"
         "<FN Dest=\"[APPDIR]\" Alias=\"b\">b.txt</FN></FileSet>"
         "<FileSet Name=\"Uninstall\"><FN Dest=\"[UNDODIR]\" Alias=\"log\">install.log</FN>"
         "<FN Dest=\"[UNDODIR]\" Alias=\"bak\">backup.bin</FN></FileSet>",
         {{"a", "alpha"}, {"b", "beta"}, {"log", ""}, {"bak", ""}});
    EXPECT_EQ(installer.runInstallation(&ui), 0);
    EXPECT_EQ(logOfRun(), header() + "DIR\t1\t" + app + "\\\r\nFILE\tCREATE\t" + app +
                              "\\b.txt\r\nDIR\t2\t" + app + "\\x\\y\\\r\nFILE\tCREATE\t" + app +
                              "\\x\\y\\a.txt\r\nFILE\tCREATE\t" + undo +
                              "\\backup.bin\r\nFILE\tCREATE\t" + undo + "\\install.log\r\n");
    EXPECT_EQ(readAll(app + "/x/y/a.txt"), "alpha");
    EXPECT_EQ(readAll(app + "/b.txt"), "beta");
    // The placeholders were replaced by the real files; no temporary file is left.
    EXPECT_EQ(readAll(undo + "/backup.bin"), emptyBackup());
    for (const std::string& name : installer.tempNames)
        EXPECT_FALSE(exists(name)) << name;
    EXPECT_EQ(ui.lines, (std::vector<std::string>{"Create " + app + "\\b.txt",
                                                  "Create " + app + "\\x\\y\\a.txt",
                                                  "Create " + undo + "\\backup.bin",
                                                  "Create " + undo + "\\install.log"}));
    EXPECT_EQ(ui.questions.size(), 0u);
    EXPECT_EQ(installer.registrations, 1);
}

TEST_F(InstallationRunTest, ExistingFileIsBackedUpWithTheCheckSumOfTheBytesWritten) {
    load("<FileSet Name=\"Main\"><FN Dest=\"[APPDIR]\" Alias=\"cfg\" ExpandVarsInFile=\"1\">"
         "app.cfg</FN></FileSet>",
         {{"cfg", "Home=[APPDIR]\r\n"}});
    ASSERT_EQ(system(("mkdir -p '" + app + "'").c_str()), 0);
    writeAll(app + "/app.cfg", "previous content");
    EXPECT_EQ(installer.runInstallation(&ui), 0);
    std::string written = "Home=" + app + "\r\n";
    EXPECT_EQ(readAll(app + "/app.cfg"), written);
    std::string path = app + "\\app.cfg";
    uint32_t sum = checkSum(static_cast<uint32_t>(written.size()), written.data(), written.size());
    EXPECT_FALSE(exists(installer.tempNames[1]));
    EXPECT_EQ(readAll(undo + "/backup.bin"), std::string(BackupFile::kHeader) + '\0' +
                                                 backupEntry(path, "previous content", sum) +
                                                 std::string("\1\0\0", 3));
    EXPECT_EQ(logOfRun(), header() + "FILE\tOVER\t" + path + "\r\n");
    EXPECT_EQ(ui.lines, (std::vector<std::string>{"Back up " + path, "Overwrite " + path}));
}

TEST_F(InstallationRunTest, WithoutABackupFileExistingFilesStayAndNewOnesAreStillCreated) {
    installer.unusableName = 2;
    load("<FileSet Name=\"Main\"><FN Dest=\"[APPDIR]\" Alias=\"n\">new.txt</FN>"
         "<FN Dest=\"[APPDIR]\" Alias=\"o\">old.txt</FN></FileSet>",
         {{"n", "new"}, {"o", "replacement"}});
    ASSERT_EQ(system(("mkdir -p '" + app + "'").c_str()), 0);
    writeAll(app + "/old.txt", "keep me");
    ui.answer = 0;
    EXPECT_EQ(installer.runInstallation(&ui), 0);
    EXPECT_EQ(readAll(app + "/old.txt"), "keep me");
    EXPECT_EQ(readAll(app + "/new.txt"), "new");
    std::string old = app + "\\old.txt";
    EXPECT_EQ(ui.lines,
              (std::vector<std::string>{
                  "FAILED to back up " + old + ": [BackupFile::addFile] There is a previous error",
                  "FAILED to overwrite " + old, "Create " + app + "\\new.txt",
                  "FAILED to move " + installer.tempNames[1] + " to " + undo + "\\backup.bin"}));
    EXPECT_EQ(logOfRun(), header() + "FILE\tCREATE\t" + app + "\\new.txt\r\n");
    EXPECT_EQ(ui.questions, std::vector<std::string>{kUndoQuestion});
    EXPECT_EQ(ui.statuses.back(), "There were errors during the installation.");
    EXPECT_EQ(installer.registrations, 1);
}

TEST_F(InstallationRunTest, ConditionsPickFilesAndProgressCountsEveryListedFile) {
    load("<FileSet Name=\"Main\"><FN Dest=\"[APPDIR]\" Alias=\"1\">one</FN>"
         "<FN Dest=\"[APPDIR]\" Alias=\"2\" Condition=\"[DOCS]==0\">two</FN>"
         "<FN Alias=\"3\">three</FN><FN Dest=\"[APPDIR]\" Alias=\"4\">four</FN></FileSet>"
         "<FileSet Name=\"Off\" Condition=\"[DOCS]!=1\"><FN Dest=\"[APPDIR]\" Alias=\"5\">five</FN>"
         "</FileSet><FileSet Name=\"On\" Condition=\"[DOCS]==1\">"
         "<FN Dest=\"[APPDIR]\" Alias=\"6\">six</FN></FileSet>",
         {{"1", "1"}, {"2", "2"}, {"3", "3"}, {"4", "4"}, {"5", "5"}, {"6", "6"}});
    EXPECT_EQ(installer.runInstallation(&ui), 0);
    EXPECT_EQ(ui.lines,
              (std::vector<std::string>{"Create " + app + "\\four", "Create " + app + "\\one",
                                        "Create " + app + "\\six"}));
    EXPECT_FALSE(exists(app + "/two"));
    EXPECT_FALSE(exists(app + "/five"));
    // Records 0 (four), 3 (one) and 5 (six) of 6.
    EXPECT_EQ(ui.progress, (std::vector<int>{0, 50, 83, 100}));
    EXPECT_EQ(ui.statuses,
              (std::vector<std::string>{app + "\\four", app + "\\one", app + "\\six",
                                        "Updating environment variables", "Updating .ini files",
                                        "Creating shortcuts", "The installation was successful."}));
}

TEST_F(InstallationRunTest, FourFilesShowZeroToSeventyFiveThenHundred) {
    load("<FileSet Name=\"Main\"><FN Dest=\"[APPDIR]\" Alias=\"1\">a</FN><FN Dest=\"[APPDIR]\" "
         "Alias=\"1\">b</FN><FN Dest=\"[APPDIR]\" Alias=\"1\">c</FN><FN Dest=\"[APPDIR]\" "
         "Alias=\"1\">d</FN></FileSet>",
         {{"1", "x"}});
    EXPECT_EQ(installer.runInstallation(&ui), 0);
    EXPECT_EQ(ui.progress, (std::vector<int>{0, 25, 50, 75, 100}));
}

TEST_F(InstallationRunTest, OnlyFilesUnder512BytesAreExpanded) {
    std::string body(511 - 12, 'x');
    load("<FileSet Name=\"Main\"><FN Dest=\"[APPDIR]\" Alias=\"small\" ExpandVarsInFile=\"1\">small"
         "</FN><FN Dest=\"[APPDIR]\" Alias=\"large\" ExpandVarsInFile=\"1\">large</FN></FileSet>",
         {{"small", "[DOCS]" + body + "[DOCS]"}, {"large", "[DOCS]" + body + "x[DOCS]"}});
    EXPECT_EQ(installer.runInstallation(&ui), 0);
    EXPECT_EQ(readAll(app + "/small"), "1" + body + "1");
    EXPECT_EQ(readAll(app + "/large"), "[DOCS]" + body + "x[DOCS]");
}

TEST_F(InstallationRunTest, DestinationsThatCannotBeFormedWholeWriteNothing) {
    std::string deep(240, 'd');
    load("<FileSet Name=\"Main\"><FN Dest=\"[NOWHERE]\\sub\" Alias=\"1\">undefined</FN>"
         "<FN Dest=\"relative\\sub\" Alias=\"1\">relative</FN>"
         "<FN Dest=\"[APPDIR]\\" +
             deep +
             "\" Alias=\"1\">deep</FN>"
             "<FN Dest=\"[APPDIR]\" Alias=\"gone\">unpackable</FN>"
             "<FN Dest=\"[APPDIR]\" Alias=\"1\">fine</FN></FileSet>",
         {{"1", "content"}});
    ui.answer = 0;
    EXPECT_EQ(installer.runInstallation(&ui), 0);
    EXPECT_EQ(ui.lines, (std::vector<std::string>{"Create " + app + "\\fine",
                                                  "FAILED to create " + app + "\\unpackable",
                                                  "FAILED to create [APPDIR]\\" + deep + "\\deep",
                                                  "FAILED to create relative\\sub\\relative",
                                                  "FAILED to create [NOWHERE]\\sub\\undefined"}));
    EXPECT_EQ(logOfRun().substr(header().size()),
              "DIR\t1\t" + app + "\\\r\nFILE\tCREATE\t" + app + "\\fine\r\n");
    EXPECT_FALSE(exists(app + "/unpackable"));
    EXPECT_FALSE(exists("relative"));
    EXPECT_EQ(ui.questions, std::vector<std::string>{kUndoQuestion});
}

TEST_F(InstallationRunTest, UndoAfterErrorsLeavesNoUndoFilesAndReturnsMinusOne) {
    load("<FileSet Name=\"Main\"><FN Dest=\"[APPDIR]\" Alias=\"gone\">missing</FN></FileSet>", {});
    ui.answer = 1;
    EXPECT_EQ(installer.runInstallation(&ui), -1);
    EXPECT_EQ(ui.questions, std::vector<std::string>{kUndoQuestion});
    ASSERT_EQ(installer.tempNames.size(), 2u);
    EXPECT_FALSE(exists(installer.tempNames[0]));
    EXPECT_FALSE(exists(installer.tempNames[1]));
    EXPECT_FALSE(exists(undo + "/install.log"));
    EXPECT_EQ(installer.registrations, 0);
    EXPECT_FALSE(installer.isUninstalling());
}

TEST_F(InstallationRunTest, PreviousVersionIsUninstalledOrTheRunCancelled) {
    load("<FileSet Name=\"Main\"><FN Dest=\"[APPDIR]\" Alias=\"1\">a</FN></FileSet>", {{"1", "x"}});
    installer.previousVersion = 1;
    ui.answer = 0;
    EXPECT_EQ(installer.runInstallation(&ui), -1);
    EXPECT_EQ(installer.cancelled(), 1);
    EXPECT_EQ(installer.issued, 0);
    EXPECT_EQ(ui.questions,
              std::vector<std::string>{
                  "0:A previous version of Run Test is already installed. This version must be\n"
                  "uninstalled before the installation can continue.\n\nPress Ok to uninstall the "
                  "previous version or Cancel to abort the installation."});

    RunUI accepting;
    installer.previousVersionStays = 1;
    EXPECT_EQ(installer.runInstallation(&accepting), 0);
    EXPECT_EQ(installer.uninstallCalls, 1);
    ASSERT_EQ(accepting.questions.size(), 2u);
    EXPECT_EQ(accepting.questions[1], "0:The previous version was not uninstalled properly.\n"
                                      "Press Ok to continue this installation or Cancel to abort.");
    EXPECT_EQ(readAll(app + "/a"), "x");
}

TEST_F(InstallationRunTest, NoTemporaryNameEndsTheRunBeforeAnyChange) {
    load("<FileSet Name=\"Main\"><FN Dest=\"[APPDIR]\" Alias=\"1\">a</FN></FileSet>", {{"1", "x"}});
    installer.namesAvailable = 1;
    EXPECT_EQ(installer.runInstallation(&ui), -1);
    EXPECT_FALSE(exists(app));
    EXPECT_TRUE(ui.lines.empty());
}

TEST_F(InstallationRunTest, AnActionLogThatCannotBeCreatedEndsTheRunBeforeAnyChange) {
    load("<FileSet Name=\"Main\"><FN Dest=\"[APPDIR]\" Alias=\"1\">a</FN></FileSet>", {{"1", "x"}});
    installer.unusableName = 1;
    EXPECT_EQ(installer.runInstallation(&ui), -1);
    EXPECT_FALSE(exists(app));
    EXPECT_EQ(ui.lines, std::vector<std::string>{"FAILED to create " + folder.path() +
                                                 "/missing/qzinstall.tmp"});
    EXPECT_EQ(installer.registrations, 0);
}
