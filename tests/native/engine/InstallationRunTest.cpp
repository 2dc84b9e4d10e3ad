// The installation run on the host file layer: what lands on disk, in the action log and in
// the backup file, what the user is shown and asked, and how the run ends.
#include "engine/BackupFile.h"
#include "engine/CheckSum.h"
#include "tests/native/TempFolder.h"
#include "tests/support/TestInstaller.h"
#include "tests/support/TestPayload.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {
using Lines = std::vector<std::string>;

bool exists(const std::string& path) {
    return std::ifstream(path).good();
}

std::string littleEndian(uint64_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
    return out;
}

std::string backupFile(const std::string& entries = "") {
    return std::string(BackupFile::kHeader) + '\0' + entries + std::string("\1\0\0", 3);
}

// An FN element installed into [APPDIR].
std::string fn(const std::string& alias, const std::string& name, const std::string& extra = "") {
    return "<FN Dest=\"[APPDIR]\" Alias=\"" + alias + "\"" + extra + ">" + name + "</FN>";
}

std::string fileSet(const std::string& files, const std::string& nameAndCondition = "Main\"") {
    return "<FileSet Name=\"" + nameAndCondition + ">" + files + "</FileSet>";
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
    int registerUninstall() override { return ++registrations; }
    int cancelled() { return isCancelled(); }

    std::string folder;
    int issued = 0, unusableName = 0, namesAvailable = 100;
    Lines tempNames;
    int previousVersion = 0, previousVersionStays = 0, uninstallCalls = 0, registrations = 0;
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
    Lines statuses, lines;
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
    void loadOneFile() { load(fileSet(fn("1", "a")), {{"1", "x"}}); }
    void existingFile(const std::string& name, const std::string& content) {
        ASSERT_EQ(system(("mkdir -p '" + app + "'").c_str()), 0);
        writeAll(app + "/" + name, content);
    }

    std::string logOfRun() { return readAll(undo + "/install.log"); }
    std::string header() {
        return undo + "\\install.xml\r\n" + undo + "\\backup.bin\r\nNUMVARS\t3\r\nVAR\tAPPDIR\t" +
               app + "\r\nVAR\tDOCS\t1\r\nVAR\tUNDODIR\t" + undo + "\r\n";
    }

    TempFolder folder;
    std::string app, undo;
    RunInstaller installer;
    RunUI ui;
};
} // namespace

TEST_F(InstallationRunTest, ActionLogListsPathsVariablesFoldersAndFilesInOrder) {
    // Within a set the files are installed last to first.
    load(fileSet("<FN Dest=\"[APPDIR]\\x\\y\" Alias=\"a\">a.txt</FN>" + fn("b", "b.txt")) +
             fileSet("<FN Dest=\"[UNDODIR]\" Alias=\"log\">install.log</FN>"
                     "<FN Dest=\"[UNDODIR]\" Alias=\"bak\">backup.bin</FN>",
                     "Uninstall\""),
         {{"a", "alpha"}, {"b", "beta"}, {"log", ""}, {"bak", ""}});
    EXPECT_EQ(installer.runInstallation(&ui), 0);
    EXPECT_EQ(logOfRun(), header() + "DIR\t1\t" + app + "\\\r\nFILE\tCREATE\t" + app +
                              "\\b.txt\r\nDIR\t2\t" + app + "\\x\\y\\\r\nFILE\tCREATE\t" + app +
                              "\\x\\y\\a.txt\r\nFILE\tCREATE\t" + undo +
                              "\\backup.bin\r\nFILE\tCREATE\t" + undo + "\\install.log\r\n");
    EXPECT_EQ(readAll(app + "/x/y/a.txt"), "alpha");
    EXPECT_EQ(readAll(app + "/b.txt"), "beta");
    // The placeholders were replaced by the real files; no temporary file is left.
    EXPECT_EQ(readAll(undo + "/backup.bin"), backupFile());
    for (const std::string& name : installer.tempNames)
        EXPECT_FALSE(exists(name)) << name;
    EXPECT_EQ(ui.lines,
              (Lines{"Create " + app + "\\b.txt", "Create " + app + "\\x\\y\\a.txt",
                     "Create " + undo + "\\backup.bin", "Create " + undo + "\\install.log"}));
    EXPECT_EQ(ui.questions.size(), 0u);
    EXPECT_EQ(installer.registrations, 1);
}

TEST_F(InstallationRunTest, ExistingFileIsBackedUpWithTheCheckSumOfTheBytesWritten) {
    load(fileSet(fn("cfg", "app.cfg", " ExpandVarsInFile=\"1\"")), {{"cfg", "Home=[APPDIR]\r\n"}});
    existingFile("app.cfg", "previous content");
    EXPECT_EQ(installer.runInstallation(&ui), 0);
    std::string written = "Home=" + app + "\r\n";
    EXPECT_EQ(readAll(app + "/app.cfg"), written);
    std::string path = app + "\\app.cfg";
    uint32_t sum = checkSum(static_cast<uint32_t>(written.size()), written.data(), written.size());
    EXPECT_EQ(readAll(undo + "/backup.bin"),
              backupFile(littleEndian(path.size() + 1, 2) + path + '\0' + littleEndian(16, 8) +
                         littleEndian(sum, 4) + "previous content"));
    EXPECT_EQ(logOfRun(), header() + "FILE\tOVER\t" + path + "\r\n");
    EXPECT_EQ(ui.lines, (Lines{"Back up " + path, "Overwrite " + path}));
}

TEST_F(InstallationRunTest, WithoutABackupFileExistingFilesStayAndNewOnesAreStillCreated) {
    installer.unusableName = 2;
    load(fileSet(fn("n", "new.txt") + fn("o", "old.txt")), {{"n", "new"}, {"o", "replacement"}});
    existingFile("old.txt", "keep me");
    ui.answer = 0;
    EXPECT_EQ(installer.runInstallation(&ui), 0);
    EXPECT_EQ(readAll(app + "/old.txt"), "keep me");
    EXPECT_EQ(readAll(app + "/new.txt"), "new");
    std::string old = app + "\\old.txt";
    EXPECT_EQ(
        ui.lines,
        (Lines{"FAILED to back up " + old + ": [BackupFile::addFile] There is a previous error",
               "FAILED to overwrite " + old, "Create " + app + "\\new.txt",
               "FAILED to move " + installer.tempNames[1] + " to " + undo + "\\backup.bin"}));
    EXPECT_EQ(logOfRun(), header() + "FILE\tCREATE\t" + app + "\\new.txt\r\n");
    EXPECT_EQ(ui.questions, Lines{kUndoQuestion});
    EXPECT_EQ(ui.statuses.back(), "There were errors during the installation.");
    EXPECT_EQ(installer.registrations, 1);
}

TEST_F(InstallationRunTest, ConditionsPickFilesAndProgressCountsEveryListedFile) {
    load(fileSet(fn("1", "one") + fn("2", "two", " Condition=\"[DOCS]==0\"") +
                 "<FN Alias=\"3\">three</FN>" + fn("4", "four")) +
             fileSet(fn("5", "five"), "Off\" Condition=\"[DOCS]!=1\"") +
             fileSet(fn("6", "six"), "On\" Condition=\"[DOCS]==1\""),
         {{"1", "1"}, {"2", "2"}, {"3", "3"}, {"4", "4"}, {"5", "5"}, {"6", "6"}});
    EXPECT_EQ(installer.runInstallation(&ui), 0);
    EXPECT_EQ(ui.lines, (Lines{"Create " + app + "\\four", "Create " + app + "\\one",
                               "Create " + app + "\\six"}));
    EXPECT_FALSE(exists(app + "/two"));
    EXPECT_FALSE(exists(app + "/five"));
    // Records 0 (four), 3 (one) and 5 (six) of 6.
    EXPECT_EQ(ui.progress, (std::vector<int>{0, 50, 83, 100}));
    EXPECT_EQ(ui.statuses, (Lines{app + "\\four", app + "\\one", app + "\\six",
                                  "Updating environment variables", "Updating .ini files",
                                  "Creating shortcuts", "The installation was successful."}));
}

TEST_F(InstallationRunTest, OnlyFilesUnder512BytesAreExpandedAndFourFilesStepByQuarters) {
    std::string body(511 - 12, 'x');
    const std::string expand = " ExpandVarsInFile=\"1\"";
    load(fileSet(fn("small", "small", expand) + fn("large", "large", expand) + fn("small", "c") +
                 fn("small", "d")),
         {{"small", "[DOCS]" + body + "[DOCS]"}, {"large", "[DOCS]" + body + "x[DOCS]"}});
    EXPECT_EQ(installer.runInstallation(&ui), 0);
    EXPECT_EQ(readAll(app + "/small"), "1" + body + "1");
    EXPECT_EQ(readAll(app + "/large"), "[DOCS]" + body + "x[DOCS]");
    EXPECT_EQ(ui.progress, (std::vector<int>{0, 25, 50, 75, 100}));
}

TEST_F(InstallationRunTest, DestinationsThatCannotBeFormedWholeWriteNothing) {
    std::string deep(240, 'd');
    load(fileSet("<FN Dest=\"[NOWHERE]\\sub\" Alias=\"1\">undefined</FN>"
                 "<FN Dest=\"relative\\sub\" Alias=\"1\">relative</FN>"
                 "<FN Dest=\"[APPDIR]\\" +
                 deep + "\" Alias=\"1\">deep</FN>" + fn("gone", "unpackable") + fn("1", "fine")),
         {{"1", "content"}});
    ui.answer = 0;
    EXPECT_EQ(installer.runInstallation(&ui), 0);
    EXPECT_EQ(ui.lines,
              (Lines{"Create " + app + "\\fine", "FAILED to create " + app + "\\unpackable",
                     "FAILED to create [APPDIR]\\" + deep + "\\deep",
                     "FAILED to create relative\\sub\\relative",
                     "FAILED to create [NOWHERE]\\sub\\undefined"}));
    EXPECT_EQ(logOfRun().substr(header().size()),
              "DIR\t1\t" + app + "\\\r\nFILE\tCREATE\t" + app + "\\fine\r\n");
    EXPECT_FALSE(exists(app + "/unpackable"));
    EXPECT_FALSE(exists("relative"));
    EXPECT_EQ(ui.questions, Lines{kUndoQuestion});
}

TEST_F(InstallationRunTest, UndoAfterErrorsLeavesNoUndoFilesAndReturnsMinusOne) {
    load(fileSet(fn("gone", "missing")), {});
    EXPECT_EQ(installer.runInstallation(&ui), -1);
    EXPECT_EQ(ui.questions, Lines{kUndoQuestion});
    ASSERT_EQ(installer.tempNames.size(), 2u);
    for (const std::string& name : installer.tempNames)
        EXPECT_FALSE(exists(name)) << name;
    EXPECT_FALSE(exists(undo + "/install.log"));
    EXPECT_EQ(installer.registrations, 0);
    EXPECT_FALSE(installer.isUninstalling());
}

TEST_F(InstallationRunTest, PreviousVersionIsUninstalledOrTheRunCancelled) {
    loadOneFile();
    installer.previousVersion = 1;
    ui.answer = 0;
    EXPECT_EQ(installer.runInstallation(&ui), -1);
    EXPECT_EQ(installer.cancelled(), 1);
    EXPECT_EQ(installer.issued, 0);
    EXPECT_EQ(ui.questions,
              Lines{"0:A previous version of Run Test is already installed. This version must be\n"
                    "uninstalled before the installation can continue.\n\nPress Ok to uninstall "
                    "the previous version or Cancel to abort the installation."});

    RunUI accepting;
    installer.previousVersionStays = 1;
    EXPECT_EQ(installer.runInstallation(&accepting), 0);
    EXPECT_EQ(installer.uninstallCalls, 1);
    ASSERT_EQ(accepting.questions.size(), 2u);
    EXPECT_EQ(accepting.questions[1], "0:The previous version was not uninstalled properly.\n"
                                      "Press Ok to continue this installation or Cancel to abort.");
    EXPECT_EQ(readAll(app + "/a"), "x");
}

TEST_F(InstallationRunTest, NoTemporaryNameOrNoActionLogEndsTheRunBeforeAnyChange) {
    loadOneFile();
    installer.namesAvailable = 1;
    EXPECT_EQ(installer.runInstallation(&ui), -1);
    EXPECT_TRUE(ui.lines.empty());

    installer.namesAvailable = 100;
    installer.unusableName = installer.issued + 1;
    EXPECT_EQ(installer.runInstallation(&ui), -1);
    EXPECT_EQ(ui.lines, Lines{"FAILED to create " + folder.path() + "/missing/qzinstall.tmp"});
    EXPECT_FALSE(exists(app));
    EXPECT_EQ(installer.registrations, 0);
}
