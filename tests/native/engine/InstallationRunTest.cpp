// The installation run on the host file layer: what lands on disk, in the action log and the
// backup, what the user is shown and asked, and how the run ends.
#include "engine/InstallationRun.h"

#include "config/Description.h"
#include "config/FileList.h"
#include "config/VariableStore.h"
#include "package/Payload.h"
#include "tests/native/TempFolder.h"
#include "tests/native/engine/BackupBytes.h"
#include "tests/support/RecordingSystem.h"
#include "tests/support/RecordingUI.h"
#include "tests/support/TestPayload.h"

#include <gtest/gtest.h>

#include <functional>

#include <unistd.h>

namespace {
// An FN element installed into [APPDIR], and a file set.
std::string fn(const std::string& alias, const std::string& name, const std::string& extra = "") {
    return "<FN Dest=\"[APPDIR]\" Alias=\"" + alias + "\"" + extra + ">" + name + "</FN>";
}
std::string fileSet(const std::string& files, const std::string& nameAndCondition = "Main\"") {
    return "<FileSet Name=\"" + nameAndCondition + ">" + files + "</FileSet>";
}

// Keeps the progress steps and the last status text as well.
class RunUI : public RecordingUI {
  public:
    void setOverallProgress(int percent) override { progress.push_back(percent); }
    void setStatusText(const char* text) override { status = text; }
    // Runs before a question is answered: what happens on the machine while the user reads it.
    bool ask(const char* text, Question kind) override {
        if (beforeAnswer)
            beforeAnswer();
        return RecordingUI::ask(text, kind);
    }
    std::vector<int> progress;
    std::string status;
    std::function<void()> beforeAnswer;
};

const char* kUndoQuestion = "2:An error occurred during the installation.\nDo you want to undo "
                            "changes made to your system?\n";

class InstallationRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        system.tempFolder = folder.path();
        ASSERT_EQ(mkdir(undo.c_str(), 0700), 0);
        variables.set("APPDIR", app.c_str());
        variables.set("DOCS", "1");
        variables.set("UNDODIR", undo.c_str());
        writeAll(undo + "/u.exe", "the uninstaller program");
    }
    // A description whose Installation element holds `fileSets`, over a package of `entries`.
    void load(const std::string& fileSets, const testpayload::Entries& entries) {
        std::string text =
            "<VarnexGroupInstallation><ProductDesc><Fullname>Run Test</Fullname>" + productDetails +
            "</ProductDesc><Installation><Uninstall><InstallLogFile>[UNDODIR]\\"
            "install.log</InstallLogFile><InstallBackupFile>" +
            backupDestination + "</InstallBackupFile><UninstallXmlFile>" + descriptionCopy +
            "</UninstallXmlFile><UninstallCmd>[UNDODIR]\\u.exe</UninstallCmd>"
            "</Uninstall>" +
            fileSets + "</Installation></VarnexGroupInstallation>";
        description.parse(text.c_str(), text.size());
        std::string package = testpayload::build(entries);
        if (damage)
            damage(package);
        ASSERT_TRUE(writeAll(folder / "package.bin", package));
        ASSERT_EQ(payload.open((folder / "package.bin").c_str(), 0), 0);
        ASSERT_TRUE(files.read(description.document(), payload, nullptr));
    }
    void loadOneFile() { load(fileSet(fn("1", "a")), {{"1", "x"}}); }
    InstallationRun run() {
        return InstallationRun(description, files, variables, payload, system, ui, nullptr);
    }
    bool perform() { return run().perform(); }
    void existingFile(const std::string& name, const std::string& content) {
        ASSERT_EQ(mkdir(app.c_str(), 0700), 0);
        writeAll(app + "/" + name, content);
    }
    // The action log's records behind its paths and variables, without its closing record.
    std::string records() {
        std::string log = readAll(undo + "/install.log"), last = "VAR\tUNDODIR\t" + undo + "\r\n";
        size_t at = log.find(last);
        size_t end = log.rfind("END\t");
        return at == std::string::npos || end == std::string::npos
                   ? "no header or end: " + log
                   : log.substr(at + last.size(), end - at - last.size());
    }

    TempFolder folder;
    std::string app = folder / "app", undo = folder / "undo";
    std::string backupDestination = "[UNDODIR]\\backup.bin";
    std::string descriptionCopy = "[UNDODIR]\\x.xml";
    std::string productDetails; // more elements of ProductDesc
    std::function<void(std::string&)> damage;
    VariableStore variables;
    Description description{variables};
    FileList files;
    Payload payload;
    RecordingSystem system;
    RunUI ui;
};
} // namespace

TEST_F(InstallationRunTest, ActionLogAndBackupRecordEveryChangeAndTheCheckSumOfTheBytesWritten) {
    // Within a set files are installed last to first; the undo files replace their placeholder.
    variables.set("LONG", std::string(1000, 'L').c_str());
    productDetails = "<MajorVersion>2</MajorVersion><MinorVersion>5</MinorVersion><MinestVersion>"
                     "1</MinestVersion><Website>https://example.test/help</Website>";
    load(fileSet("<FN Dest=\"[APPDIR]\\x\\y\" Alias=\"a\">a.txt</FN>" +
                 fn("cfg", "app.cfg", " ExpandVarsInFile=\"1\"")) +
             fileSet("<FN Dest=\"[UNDODIR]\" Alias=\"log\">install.log</FN>", "Uninstall\""),
         {{"a", "alpha"}, {"cfg", "[General]\r\nHome=[APPDIR]\r\n[LONG][LONG]"}, {"log", ""}});
    existingFile("app.cfg", "previous content");
    EXPECT_TRUE(perform());
    // Brackets that name no variable stay; the expansion may be far longer than the file.
    std::string cfg = app + "\\app.cfg",
                written = "[General]\r\nHome=" + app + "\r\n" + std::string(2000, 'L');
    EXPECT_EQ(readAll(undo + "/install.log"),
              "ENCODING\tUTF-8\r\n" + undo + "\\x.xml\r\n" + undo +
                  "\\backup.bin\r\nNUMVARS\t4\r\nVAR\tAPPDIR\t" + app +
                  "\r\nVAR\tDOCS\t1\r\nVAR\tUNDODIR\t" + undo + "\r\nVAR\tLONG\t" +
                  std::string(1000, 'L') + "\r\nFILE\tOVER\t" + cfg + "\r\nFILE\tDONE\t" + cfg +
                  "\r\nDIR\t2\t" + app + "\\x\\y\\\r\nFILE\tCREATE\t" + app +
                  "\\x\\y\\a.txt\r\nFILE\tCREATE\t" + undo + "\\install.log\r\nEND\t5\r\n");
    EXPECT_EQ(readAll(app + "/x/y/a.txt"), "alpha");
    EXPECT_EQ(readAll(app + "/app.cfg"), written);
    EXPECT_EQ(readAll(undo + "/backup.bin"),
              backupbytes::file(backupbytes::entry(cfg, "previous content", written)));
    EXPECT_EQ(ui.lines,
              (Lines{"Back up " + cfg, "Overwrite " + cfg, "Create " + app + "\\x\\y\\a.txt",
                     "Create " + undo + "\\install.log"}));
    EXPECT_TRUE(ui.questions.empty());
    // The registration names the final action log; an earlier uninstall's program left for the
    // next start of Windows goes before the run changes anything.
    EXPECT_EQ(system.calls, (Lines{"isPreviousVersionInstalled:Run Test",
                                   "settleRemovalAtRestart:" + undo + "\\u.exe",
                                   "registerUninstall:\"" + undo + "\\u.exe\" -uninstall=\"" +
                                       undo + "\\install.log\" -uninstallApp=\"Run Test\""}));
    // The values the run computes: the version from its parts, the size in KiB rounded up, the
    // default publisher where the description names none.
    const UninstallRegistration& registered = system.registration;
    EXPECT_EQ(registered.versionText, "2.5.1");
    EXPECT_EQ(registered.website, "https://example.test/help");
    EXPECT_EQ(registered.publisher, "Varnex Group Ltd");
    EXPECT_EQ(registered.estimatedSizeKiB, (5 + written.size() + 1023) / 1024);
}

// The registered location is the product's own folder, which a tool may empty after the
// uninstall: never one that stood before the run, nor a shared file's folder.
struct LocationRow {
    const char* files; // FN elements
    bool appExists;
    const char* location; // below APPDIR's parent; "" when left out
};
class InstallLocationTest : public InstallationRunTest,
                            public ::testing::WithParamInterface<LocationRow> {};
TEST_P(InstallLocationTest, NamesOnlyAFolderTheRunMadeForItsOwnFiles) {
    const LocationRow& row = GetParam();
    if (row.appExists)
        existingFile("old.txt", "the user's");
    writeAll(undo + "/shared.dll", "shared, replaced");
    load(fileSet(row.files), {{"1", "x"}, {"2", "y"}});
    EXPECT_TRUE(perform());
    EXPECT_EQ(system.registration.installLocation,
              row.location[0] == '\0' ? "" : folder / row.location);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, InstallLocationTest,
    ::testing::Values(LocationRow{"<FN Dest=\"[APPDIR]\" Alias=\"1\">a</FN>"
                                  "<FN Dest=\"[APPDIR]\\sub\" Alias=\"2\">b</FN>",
                                  false, "app"},
                      LocationRow{"<FN Dest=\"[APPDIR]\\sub\" Alias=\"1\">a</FN>"
                                  "<FN Dest=\"[UNDODIR]\" Alias=\"2\">shared.dll</FN>",
                                  false, "app\\sub"},
                      LocationRow{"<FN Dest=\"[APPDIR]\" Alias=\"1\">a</FN>", true, ""},
                      LocationRow{"<FN Dest=\"[APPDIR]\\sub\" Alias=\"1\">a</FN>", true,
                                  "app\\sub"},
                      LocationRow{"<FN Dest=\"[UNDODIR]\\one\" Alias=\"1\">a</FN>"
                                  "<FN Dest=\"[UNDODIR]\\two\" Alias=\"2\">b</FN>",
                                  false, ""}));

// A folder the run made holds what it wrote there: a file written there twice is overwritten.
TEST_F(InstallationRunTest, AFileWrittenTwiceIntoAFolderTheRunMadeIsOverwrittenTheSecondTime) {
    const std::string dest = "<FN Dest=\"[APPDIR]\\new\" Alias=";
    load(fileSet(dest + "\"1\">dup.txt</FN>", "First\"") +
             fileSet(dest + "\"2\">dup.txt</FN>" + dest + "\"1\">other.txt</FN>", "Second\""),
         {{"1", "first"}, {"2", "second"}});
    EXPECT_TRUE(perform());
    std::string folder = app + "\\new\\", dup = folder + "dup.txt";
    EXPECT_EQ(records(), "DIR\t2\t" + folder + "\r\nFILE\tCREATE\t" + dup + "\r\nFILE\tCREATE\t" +
                             folder + "other.txt\r\nFILE\tOVER\t" + dup + "\r\nFILE\tDONE\t" + dup +
                             "\r\n");
    EXPECT_EQ(readAll(app + "/new/dup.txt"), "second");
    EXPECT_EQ(readAll(undo + "/backup.bin"),
              backupbytes::file(backupbytes::entry(dup, "first", "second")));
}

// Both levels of [APPDIR]\new are the run's: the folder "new" is a name standing in [APPDIR].
TEST_F(InstallationRunTest, TheParentOfAFolderTheRunMadeHoldsThatFolderAndTheFilesWrittenThere) {
    const std::string app_ = "<FN Dest=\"[APPDIR]\" Alias=\"1\">";
    // Installed last to first.
    load(fileSet(app_ + "b.txt</FN>" + app_ + "new</FN>" + app_ + "b.txt</FN>" +
                 "<FN Dest=\"[APPDIR]\\new\" Alias=\"1\">a.txt</FN>"),
         {{"1", "x"}});
    ui.answer = false; // keep the installation
    EXPECT_TRUE(perform());
    std::string made = app + "\\new\\", b = app + "\\b.txt";
    EXPECT_EQ(records(), "DIR\t2\t" + made + "\r\nFILE\tCREATE\t" + made +
                             "a.txt\r\nFILE\tCREATE\t" + b + "\r\nFILE\tOVER\t" + b +
                             "\r\nFILE\tDONE\t" + b + "\r\n");
    EXPECT_EQ(ui.lines[2], "FAILED to create " + app + "\\new");
}

TEST_F(InstallationRunTest, ConditionsPickTheFilesAndOnlyFilesUnder512BytesAreExpanded) {
    std::string body(511 - 12, 'x');
    const std::string expand = " ExpandVarsInFile=\"1\"";
    load(fileSet(fn("small", "one", expand) + fn("2", "two", " Condition=\"[DOCS]==0\"") +
                 "<FN Alias=\"3\">three</FN>" + fn("large", "four", expand)) +
             fileSet(fn("5", "five"), "Off\" Condition=\"[DOCS]!=1\"") +
             fileSet(fn("6", "six"), "On\" Condition=\"[DOCS]==1\""),
         {{"small", "[DOCS]" + body + "[DOCS]"},
          {"large", "[DOCS]" + body + "x[DOCS]"},
          {"2", "2"},
          {"3", "3"},
          {"5", "5"},
          {"6", "6"}});
    EXPECT_TRUE(perform());
    EXPECT_EQ(readAll(app + "/one"), "1" + body + "1");
    EXPECT_EQ(readAll(app + "/four"), "[DOCS]" + body + "x[DOCS]");
    // Progress counts every listed file: records 0 (four), 3 (one) and 5 (six) of 6.
    EXPECT_EQ(ui.progress, (std::vector<int>{0, 50, 83, 100}));
    EXPECT_EQ(ui.status, "The installation was successful.");
}

// Windows' path limit counts characters: two levels of 80 three-byte characters (480 bytes, far
// more than 260, in under 200 characters) take their file.
TEST_F(InstallationRunTest, DestinationsAreLimitedInCharactersNotInBytes) {
    std::string level;
    for (int i = 0; i < 80; ++i)
        level += "\xE6\x97\xA5";
    variables.set("DEEP", (app + "\\" + level + "\\" + level).c_str());
    load(fileSet("<FN Dest=\"[DEEP]\" Alias=\"1\">file</FN>"), {{"1", "content"}});
    EXPECT_TRUE(perform());
    EXPECT_EQ(readAll(app + "/" + level + "/" + level + "/file"), "content");
}

// A path that cannot be formed whole, or a missing entry, would fail only after other changes:
// every such problem is named and the run stops before its first change or temporary file.
TEST_F(InstallationRunTest, WhatCanBeCheckedBeforeTheFirstChangeStopsTheRunWithNothingWritten) {
    std::string deep(240, 'd');
    descriptionCopy = "[INSTALDIR]\\install.xml";
    load(fileSet("<FN Dest=\"[NOWHERE]\\sub\" Alias=\"1\">undefined</FN>"
                 "<FN Dest=\"relative\\sub\" Alias=\"1\">relative</FN><FN Dest=\"[APPDIR]\\" +
                 deep + "\" Alias=\"1\">deep</FN>" + fn("gone", "unpackable") + fn("1", "fine")) +
             "<Environment><Append VarName=\"V\">[NOWHERE]</Append></Environment>",
         {{"1", "content"}});
    // An earlier uninstall's program, left for the next start of Windows, still in use.
    system.failing = {undo + "\\u.exe"};
    EXPECT_FALSE(perform());
    const std::string noFull = ": the description names no full path there";
    const std::string unformed = ": its destination cannot be formed whole";
    EXPECT_EQ(ui.lines, (Lines{"FAILED to expand UninstallXmlFile" + noFull,
                               "FAILED to create " + app +
                                   "\\unpackable: the installer package "
                                   "holds no entry gone",
                               // Formed, but beyond the system's 259 characters.
                               "FAILED to create " + app + "\\" + deep + "\\deep" + unformed,
                               "FAILED to create relative\\sub\\relative" + unformed,
                               "FAILED to create [NOWHERE]\\sub\\undefined" + unformed,
                               "FAILED to replace " + undo +
                                   "\\u.exe: an earlier uninstall left it to be removed when "
                                   "Windows next starts, and it is still in use",
                               "FAILED to expand [NOWHERE]"}));
    EXPECT_EQ(ui.questions, Lines{"1:The installation stopped before changing anything: it could "
                                  "not be completed as described."});
    EXPECT_FALSE(exists(app) || exists(folder / "qzinstall1.tmp") || system.runRecord);
}

TEST_F(InstallationRunTest, AnExistingFileIsNotOverwrittenAfterItsBackupFailed) {
    ASSERT_EQ(mkdir((folder / "qzinstall2.tmp").c_str(), 0700), 0); // no backup file there
    backupDestination = "[UNDODIR]\\missing\\backup.bin";
    load(fileSet(fn("n", "new.txt") + fn("o", "old.txt")), {{"n", "new"}, {"o", "replacement"}});
    existingFile("old.txt", "keep me");
    ui.answer = false;
    EXPECT_TRUE(perform());
    EXPECT_EQ(readAll(app + "/old.txt"), "keep me");
    EXPECT_EQ(readAll(app + "/new.txt"), "new");
    std::string old = app + "\\old.txt";
    EXPECT_EQ(ui.lines, (Lines{"FAILED to back up " + old +
                                   ": [BackupFile::addFile] There is a previous error",
                               "FAILED to overwrite " + old, "Create " + app + "\\new.txt"}));
    EXPECT_EQ(records(), "FILE\tCREATE\t" + app + "\\new.txt\r\n");
    EXPECT_EQ(ui.questions, Lines{kUndoQuestion});
    EXPECT_EQ(ui.status, "The installation ended with errors; its changes were kept.");
}

// An undo file that cannot be moved into place fails the run: the temporary files stay, named,
// and no registration points at a log that is not there.
TEST_F(InstallationRunTest, UndoFilesThatCannotBeMovedIntoPlaceFailTheRunAndStayWhereTheyAre) {
    writeAll(undo + "/blocker", "a file where a folder should be");
    backupDestination = "[UNDODIR]\\blocker\\backup.bin";
    loadOneFile();
    EXPECT_FALSE(perform());
    std::string kept = folder / "qzinstall2.tmp";
    EXPECT_EQ(ui.lines, (Lines{"Create " + app + "\\a",
                               "FAILED to move " + kept + " to " + undo + "\\blocker\\backup.bin",
                               "The action log and the backup file are kept at " + undo +
                                   "\\install.log and " + kept + "."}));
    EXPECT_TRUE(exists(kept));
    EXPECT_EQ(system.calls, (Lines{"isPreviousVersionInstalled:Run Test",
                                   "settleRemovalAtRestart:" + undo + "\\u.exe"}));
}

TEST_F(InstallationRunTest, AFileWhoseRecordCannotBeWrittenIsNotWritten) {
    if (!exists("/dev/full"))
        GTEST_SKIP() << "needs /dev/full";
    ASSERT_EQ(symlink("/dev/full", (folder / "qzinstall1.tmp").c_str()), 0); // a full disk
    loadOneFile();
    ui.answer = false;
    EXPECT_TRUE(perform());
    EXPECT_FALSE(exists(app + "/a"));
    EXPECT_EQ(ui.lines, Lines{"FAILED to create " + app + "\\a"});
}

TEST_F(InstallationRunTest, WithoutItsActionLogTheRunEndsBeforeAnyChange) {
    loadOneFile();
    system.tempFolder.clear(); // no temporary name at all
    EXPECT_FALSE(perform());
    EXPECT_TRUE(ui.lines.empty());
    system.tempFolder = folder.path();
    ASSERT_EQ(mkdir((folder / "qzinstall1.tmp").c_str(), 0700), 0); // no log file there
    EXPECT_FALSE(perform());
    EXPECT_EQ(ui.lines, Lines{"FAILED to create " + folder / "qzinstall1.tmp"});
    EXPECT_FALSE(exists(app));
    const Lines checks = {"isPreviousVersionInstalled:Run Test",
                          "settleRemovalAtRestart:" + undo + "\\u.exe"};
    EXPECT_EQ(system.calls, (Lines{checks[0], checks[1], checks[0], checks[1]}));
}

// An undo that cannot put everything back keeps both undo files where an uninstall finds them.
TEST_F(InstallationRunTest, AnIncompleteUndoKeepsTheUndoFilesInPlace) {
    load(fileSet(fn("o", "old.txt")) +
             "<Environment><Append VarName=\"BROKEN\">x</Append></Environment>",
         {{"o", "new"}});
    system.failing.insert("BROKEN");
    existingFile("old.txt", "previous");
    ui.beforeAnswer = [this] { writeAll(app + "/old.txt", "changed meanwhile"); };
    EXPECT_FALSE(perform());
    EXPECT_EQ(ui.lines.back(), "The changes could not be undone; the action log is kept at " +
                                   undo + "\\install.log.");
    EXPECT_NE(readAll(undo + "/backup.bin").find("previous"), std::string::npos);
    EXPECT_NE(readAll(undo + "/install.log").find("FILE\tOVER\t"), std::string::npos);
}

// A previous version still installed, or another installation's undo data, stops the run before
// its first change; only what a previous version's completed uninstall left may go.
TEST_F(InstallationRunTest, APreviousVersionOrOtherUndoDataStopsTheRunBeforeAnyChange) {
    loadOneFile();
    system.previousVersionInstalled = true;
    system.previousVersionRemoved = false;
    ui.answer = false;
    InstallationRun declined = run();
    EXPECT_FALSE(declined.perform());
    EXPECT_TRUE(declined.wasCancelled());
    EXPECT_EQ(ui.questions[0].substr(0, 48), "0:A previous version of Run Test is already inst");
    ui.answer = true;
    InstallationRun kept = run();
    EXPECT_FALSE(kept.perform());
    EXPECT_FALSE(kept.wasCancelled());
    EXPECT_EQ(system.calls[2], "uninstallPreviousVersion:Run Test");
    EXPECT_EQ(ui.questions.back().substr(0, 52),
              "1:The previous version of Run Test is still installe");
    writeAll(undo + "/backup.bin", "another installation's backup");
    system.previousVersionInstalled = false;
    EXPECT_FALSE(perform());
    EXPECT_NE(ui.lines.back().find(undo + "\\backup.bin already holds the undo data"),
              std::string::npos)
        << ui.lines.back();
    EXPECT_FALSE(exists(app));
    EXPECT_EQ(readAll(undo + "/backup.bin"), "another installation's backup");
    system.previousVersionInstalled = true;
    system.previousVersionRemoved = true;
    EXPECT_TRUE(perform());
    EXPECT_EQ(readAll(app + "/a"), "x");
}

// Entries of 1 MiB and more are streamed with the bytes, check sums, records and failures of the
// whole-buffer path: a damaged one fails before its backup, or as a failed write when new.
struct LargeEntryCase {
    bool existing, damaged;
};
class LargeEntryTest : public InstallationRunTest,
                       public ::testing::WithParamInterface<LargeEntryCase> {};

TEST_P(LargeEntryTest, StreamedIntoItsFileWithTheSameBytesCheckSumsRecordsAndFailures) {
    const LargeEntryCase test = GetParam();
    // Several pieces and a last word of one byte.
    std::string content;
    for (uint32_t i = 0; content.size() < (1u << 20) + 5; ++i)
        content += std::to_string(i * 2654435761u % 1000003) + ",";
    content.resize((1u << 20) + 5);
    if (test.damaged)
        damage = [](std::string& bytes) { bytes[payload::kHeaderSize + 4] += 4; }; // its size
    load(fileSet(fn("big", "big.bin")), {{"big", content}});
    if (test.existing)
        existingFile("big.bin", "previous content");
    ui.answer = false;
    EXPECT_TRUE(perform());
    std::string path = app + "\\big.bin", kind = test.existing ? "OVER\t" : "CREATE\t";
    std::string made = test.existing ? "" : "DIR\t1\t" + app + "\\\r\n";
    std::string done = test.existing && !test.damaged ? "FILE\tDONE\t" + path + "\r\n" : "";
    EXPECT_EQ(records(),
              test.damaged && test.existing ? "" : made + "FILE\t" + kind + path + "\r\n" + done);
    std::string failed =
        "FAILED to " + std::string(test.existing ? "overwrite " : "create ") + path;
    EXPECT_EQ(ui.lines, (test.damaged    ? Lines{failed}
                         : test.existing ? Lines{"Back up " + path, "Overwrite " + path}
                                         : Lines{"Create " + path}));
    if (test.damaged && !test.existing)
        return;
    EXPECT_EQ(readAll(app + "/big.bin"), test.damaged ? "previous content" : content);
    if (!test.damaged)
        EXPECT_EQ(readAll(undo + "/backup.bin"),
                  backupbytes::file(
                      test.existing ? backupbytes::entry(path, "previous content", content) : ""));
}

INSTANTIATE_TEST_SUITE_P(NewOrReplacingSoundOrDamaged, LargeEntryTest,
                         ::testing::Values(LargeEntryCase{false, false},
                                           LargeEntryCase{true, false}, LargeEntryCase{false, true},
                                           LargeEntryCase{true, true}));

// A killed run left its temporary undo files and its record: the next run undoes it first, also
// a cut write; one that cannot be undone stops the next run before any change.
TEST_F(InstallationRunTest, AnInterruptedRunIsUndoneBeforeTheNextOneChangesAnything) {
    loadOneFile();
    ASSERT_EQ(mkdir(app.c_str(), 0700), 0);
    std::string replaced = app + "/old.txt", created = app + "/made.txt";
    writeAll(replaced, "half-writ");
    writeAll(created, "made");
    std::string log = folder / "killed.log", backup = folder / "killed.bin";
    writeAll(log, undo + "\\x.xml\r\n" + undo + "\\backup.bin\r\nNUMVARS\t0\r\nFILE\tOVER\t" +
                      replaced + "\r\nFILE\tCREATE\t" + created + "\r\nFILE\tCREATE\t" + app +
                      "/cut-sho");
    // Killed while it backed up a file it had not touched yet: the backup ends in that entry.
    writeAll(backup, backupbytes::file(backupbytes::entry(replaced, "the user's", "new") +
                                           backupbytes::entry(created, "x", "y").substr(0, 9),
                                       false));
    system.runRecord = RunRecord{log, backup, undo + "\\install.log", undo + "\\backup.bin"};
    EXPECT_TRUE(perform());
    EXPECT_EQ(readAll(replaced), "the user's");
    EXPECT_FALSE(exists(created) || exists(log) || exists(backup) || system.runRecord);
    EXPECT_EQ(readAll(app + "/a"), "x");
    EXPECT_EQ(ui.questions.at(0).substr(0, 40), "1:An earlier installation of Run Test di");

    // Killed before its header was whole: it had changed nothing.
    for (const char* undoFile : {"/install.log", "/backup.bin"})
        std::remove((undo + undoFile).c_str());
    writeAll(log, undo + "\\x.xml\r\n" + undo + "\\back");
    system.runRecord = RunRecord{log, backup, undo + "\\install.log", undo + "\\backup.bin"};
    EXPECT_TRUE(perform());
    EXPECT_FALSE(system.runRecord);
    for (const char* undoFile : {"/install.log", "/backup.bin"})
        std::remove((undo + undoFile).c_str());

    writeAll(log, undo + "\\x.xml\r\n" + undo + "\\backup.bin\r\nNUMVARS\t0\r\nFILE\tCREATE\t" +
                      created + "\r\n");
    ASSERT_EQ(mkdir(created.c_str(), 0700), 0); // a file that cannot be deleted
    writeAll(created + "/inside", "x");
    system.runRecord = RunRecord{log, backup, undo + "\\install.log", undo + "\\backup.bin"};
    std::remove((app + "/a").c_str());
    EXPECT_FALSE(perform());
    EXPECT_FALSE(exists(app + "/a"));
    EXPECT_TRUE(exists(log) && system.runRecord);
}

// The record leads to the undo files while the run changes the machine; a run that cannot record
// itself changes nothing.
TEST_F(InstallationRunTest, TheRunRecordLastsUntilTheRunIsCompleteOrUndone) {
    load(fileSet(fn("1", "a")) + "<Environment><Append VarName=\"V\">x</Append></Environment>",
         {{"1", "x"}});
    std::optional<RunRecord> during;
    ui.beforeAnswer = [&] { during = system.runRecord; };
    system.failing.insert("V");
    EXPECT_FALSE(perform()); // undone
    ASSERT_TRUE(during.has_value());
    EXPECT_EQ(during->actionLog, folder / "qzinstall1.tmp");
    EXPECT_EQ(during->finalBackup, undo + "\\backup.bin");
    EXPECT_FALSE(system.runRecord || exists(app + "/a")) << ::testing::PrintToString(ui.lines);
    system.failing = {"Run Test"};
    EXPECT_FALSE(perform());
    EXPECT_FALSE(exists(app) || exists(folder / "qzinstall3.tmp") || system.runRecord);
    system.failing.clear();
    EXPECT_TRUE(perform());
    EXPECT_FALSE(system.runRecord);
}
