// Installations and uninstalls under faults, under Wine: files held open, read-only or on a full
// disk, undo files damaged or cut, values the user changed after installing, undo data of
// another installation and a previous version that will not go. Each ends with the machine
// compared against a snapshot taken before: nothing the user had may be lost.
#include "EngineProcess.h"
#include "MachineSnapshot.h"
#include "UndoChecks.h"
#include "system/RegistryKey.h"
#include "system/RegistryValue.h"
#include "system/WinHandle.h"
#include "tests/support/TestPayload.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <map>

namespace {
using namespace undochecks;
const char kProduct[] = "Kestrel Faults";
const std::string kRegistration = std::string(kUninstallKey) + "\\" + kProduct;
// The machine-wide variables these tests make; PATH stays untouched for the Wine session.
const char* const kVariables[] = {"KESTRELFAULT_MADE", "KESTRELFAULT_OLD", "KESTRELFAULT_BACK",
                                  "KESTRELFAULT_UNTOUCHED", "KESTRELLIST"};

class UndoUnderFaults : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(resetMachine()); }
    void TearDown() override { cleanUp(); }
    // Each row of a table starts from here too: the product folder holding target_.
    void resetMachine() {
        cleanUp();
        for (const std::string& folder : {root_, app_, links_})
            CreateDirectoryA(folder.c_str(), nullptr);
        ASSERT_TRUE(writeAll(target_, earlier_));
    }
    void cleanUp() {
        held_.reset();
        uninstallerCopyGone();
        SetFileAttributesA(target_.c_str(), FILE_ATTRIBUTE_NORMAL);
        removeTree(root_);
        if (!smallFolder_.empty())
            removeTree(smallFolder_);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRegistration.c_str());
        for (const char* name : kVariables)
            RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kEnvironmentKey, name);
        for (const std::string& file : {logCopy_, package_})
            DeleteFileA(file.c_str());
    }

    std::string description(const std::string& files, const std::string& items = "",
                            const std::string& values = "") const {
        return undochecks::description(kProduct, app_, files, items, values);
    }
    // Quiet, or in the console answering `input`. Packaged: "new" (installed_), "a", "big".
    ProcessResult install(const std::string& description, const std::string& options = "",
                          const std::string& input = "") {
        const testpayload::Entries entries = {{"install.xml", description},
                                              {"engine", readAll(EngineProcess::enginePath())},
                                              {"placeholder", "placeholder"},
                                              {"new", installed_},
                                              {"a", "a new file"},
                                              {"big", std::string(2 << 20, 'k')}};
        EXPECT_TRUE(writeAll(package_, testpayload::build(entries)));
        std::string command = installCommand(package_) + options;
        if (!input.empty())
            command.replace(command.find(" -quiet=1"), 9, "");
        return EngineProcess::run(command, input, 120000);
    }
    void installCompleted(const std::string& description) {
        ProcessResult result = install(description);
        ASSERT_EQ(result.exitCode, 0u) << result.output;
    }
    ProcessResult uninstall() {
        EXPECT_TRUE(CopyFileA(actionLog_.c_str(), logCopy_.c_str(), FALSE));
        return EngineProcess::run(uninstallCommand(logCopy_, kProduct), "", 120000);
    }
    MachineSnapshot snapshot() const {
        Lines folders = {root_, "C:\\Program Files"}; // the administrator check's probe goes there
        if (!smallFolder_.empty())
            folders.push_back(smallFolder_);
        return MachineSnapshot(folders);
    }
    // An installation whose file `path` (holding earlier_) cannot be written is undone whole.
    void expectRolledBack(const std::string& files, const std::string& path) {
        MachineSnapshot before = snapshot();
        expectRun(install(description(files)), kMinusOne, {}, {{"", "could not be undone"}});
        std::string now = readAll(path); // may be megabytes
        EXPECT_TRUE(now == earlier_) << now.size() << " bytes: " << now.substr(0, 40);
        EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
        EXPECT_FALSE(undoFilesLeftInTemp());
    }
    // What an uninstall that could not finish keeps: the registration and the uninstall folder.
    Lines undoDataKept() const {
        Lines kept = {"+ folder:" + uninst_, "+ key:uninstall\\" + std::string(kProduct)};
        for (const char* name : {"install.xml", "uninstall.exe", "install.log", "backup.bin"})
            kept.push_back("+ file:" + uninst_ + "\\" + name);
        return kept;
    }

    const std::string root_ = "C:\\kestrel-faults", app_ = root_ + "\\app";
    const std::string links_ = root_ + "\\links", uninst_ = app_ + "\\uninst";
    const std::string actionLog_ = uninst_ + "\\install.log", backup_ = uninst_ + "\\backup.bin";
    const std::string target_ = app_ + "\\old.txt";
    const std::string package_ = EngineProcess::tempFolder() + "kestrel-faults.bin";
    const std::string logCopy_ = EngineProcess::tempFolder() + "kestrel-faults-uninstall.log";
    const std::string earlier_ = "the user's earlier text\r\n", installed_ = "AAAABBBBCCCCDD";
    const std::string replaceTarget_ = fileItem("[APP]", "new", "old.txt");
    const std::string newFile_ = fileItem("[APP]\\data", "a", "a.txt");
    std::string smallFolder_;
    WinHandle held_;
};
} // namespace

// A file that cannot be read back is not one the user changed: its previous content stays in the
// backup, and everything needed for another attempt stays with it until that attempt succeeds.
TEST_F(UndoUnderFaults, AFileHeldOpenAtUninstallIsKeptForARetryThatFinishes) {
    MachineSnapshot before = snapshot();
    ASSERT_NO_FATAL_FAILURE(installCompleted(description(replaceTarget_ + newFile_)));
    held_.reset(CreateFileA(target_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held_.valid());
    // The registered command, waited for as deployment tools wait, ends with the outcome.
    expectRun(EngineProcess::run(registrationValues(kProduct)["QuietUninstallString"]), kMinusOne,
              {{"FAILED to restore " + target_ + ": ", ""}, {"", "The uninstall is not complete"}},
              {{"Left " + target_, ""}});
    EXPECT_TRUE(uninstallerCopyGone());
    EXPECT_TRUE(isRegistered(kProduct));
    for (const std::string& kept :
         {actionLog_, backup_, uninst_ + "\\install.xml", uninst_ + "\\uninstall.exe"})
        EXPECT_TRUE(fileExists(kept)) << kept;
    held_.reset();
    EXPECT_EQ(readAll(target_), installed_);
    EXPECT_TRUE(uninstallAsRegistered(kProduct));
    EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
}

// A deleted file has nothing of the user's in it: the previous content comes back.
TEST_F(UndoUnderFaults, AnOverwrittenFileTheUserDeletedIsRestored) {
    MachineSnapshot before = snapshot();
    ASSERT_NO_FATAL_FAILURE(installCompleted(description(replaceTarget_)));
    ASSERT_TRUE(DeleteFileA(target_.c_str()));
    expectRun(uninstall(), 0, {{"Restore " + target_, ""}});
    EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
}

// A file backed up but not written is still the user's: the rollback must not take it for one
// the user changed and keep its backup as the only copy, nor register the half installation.
TEST_F(UndoUnderFaults, AFileHeldOpenWithReadSharingIsRolledBackToItsPreviousContent) {
    held_.reset(CreateFileA(target_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr));
    ASSERT_TRUE(held_.valid());
    expectRolledBack(newFile_ + replaceTarget_, target_);
}

// The same for a file whose read-only attribute refuses the write.
TEST_F(UndoUnderFaults, AReadOnlyFileIsRolledBackToItsPreviousContent) {
    ASSERT_TRUE(SetFileAttributesA(target_.c_str(), FILE_ATTRIBUTE_READONLY));
    if (WinHandle(CreateFileA(target_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr))
            .valid())
        GTEST_SKIP() << "this system lets a read-only file be opened for writing (Wine run as "
                        "root does): the installation could write it";
    expectRolledBack(newFile_ + replaceTarget_, target_);
    EXPECT_NE(GetFileAttributesA(target_.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

// KESTREL_SMALL_DRIVE names a folder on a RAM disk of about 1 MiB (scripts/test.sh mounts it);
// the packaged file is 2 MiB.
TEST_F(UndoUnderFaults, AWriteCutByAFullDiskIsRolledBackToThePreviousContent) {
    const char* drive = std::getenv("KESTREL_SMALL_DRIVE");
    if (drive == nullptr || drive[0] == '\0')
        GTEST_SKIP() << "KESTREL_SMALL_DRIVE names no small drive (scripts/test.sh mounts one)";
    smallFolder_ = std::string(drive) + "\\kestrel-faults";
    ASSERT_TRUE(CreateDirectoryA(smallFolder_.c_str(), nullptr));
    std::string small = smallFolder_ + "\\small.txt";
    ASSERT_TRUE(writeAll(small, earlier_));
    expectRolledBack(newFile_ + fileItem(smallFolder_, "big", "small.txt"), small);
}

// Swapping two aligned 4-byte words keeps the length and the XOR of the words: a check that
// cannot see such an edit would put the old content over the user's work.
TEST_F(UndoUnderFaults, AUserEditThatKeepsLengthAndWordXorIsLeft) {
    MachineSnapshot before = snapshot();
    ASSERT_NO_FATAL_FAILURE(installCompleted(description(replaceTarget_)));
    const std::string edited = "BBBBAAAACCCCDD";
    ASSERT_TRUE(writeAll(target_, edited));
    expectRun(uninstall(), 0, {{"Left " + target_, ""}});
    EXPECT_EQ(readAll(target_), edited);
    EXPECT_EQ(snapshot().differencesFrom(before), Lines{"~ file:" + target_});
}

// Damaged saved data written back would replace the installed file with neither version; the
// backup, the only trace of the previous content, stays with everything the uninstall needs.
TEST_F(UndoUnderFaults, ADamagedBackupEntryIsNotWrittenBackAndTheBackupIsKept) {
    const struct {
        const char* damage;
        bool cut; // else the entry's last saved byte flipped
    } rows[] = {{"one saved byte flipped", false}, {"cut inside the entry", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.damage);
        ASSERT_NO_FATAL_FAILURE(resetMachine());
        MachineSnapshot before = snapshot();
        ASSERT_NO_FATAL_FAILURE(installCompleted(description(replaceTarget_)));
        std::string damaged = readAll(backup_);
        ASSERT_GT(damaged.size(), earlier_.size() + 3);
        // The backup ends with the end entry 01 00 00; before it lies the entry's saved data.
        if (row.cut)
            damaged.resize(damaged.size() - 3 - earlier_.size() / 2);
        else
            damaged[damaged.size() - 4] ^= 0x01;
        ASSERT_TRUE(writeAll(backup_, damaged));
        expectRun(
            uninstall(), kMinusOne,
            {{"FAILED to restore " + target_ + ": ", ""}, {"", "The uninstall is not complete"}});
        EXPECT_EQ(readAll(target_), installed_);
        EXPECT_EQ(readAll(backup_), damaged);
        Lines expected = undoDataKept();
        expected.push_back("~ file:" + target_);
        EXPECT_EQ(snapshot().differencesFrom(before), sorted(expected));
    }
}

// A TAB in a variable's name would split its VAR record: the count of variables and the records
// behind them would no longer agree. Asked whether to undo a run with errors, the answer is no.
TEST_F(UndoUnderFaults, AVariableNameHoldingATabNeverBreaksTheUndo) {
    const std::string tabValue = "<Value Name=\"KESTREL\tTAB\" DataType=\"value\">x</Value>";
    const std::string configFile = root_ + "\\config.xml";
    const struct {
        const char* source;
        bool fromConfigFile; // else from the description's DefValues
    } rows[] = {{"-configFile", true}, {"DefValues", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.source);
        ASSERT_NO_FATAL_FAILURE(resetMachine());
        ASSERT_TRUE(
            writeAll(configFile, "<Settings><DefValues>" + tabValue + "</DefValues></Settings>"));
        MachineSnapshot before = snapshot();
        ProcessResult result =
            install(description(newFile_, "", row.fromConfigFile ? "" : tabValue),
                    row.fromConfigFile ? " -configFile=" + inQuotes(configFile) : "", "no\n");
        // Whether it stopped, went on without the variable or kept a run with errors: once
        // registered, the uninstall undoes it all.
        if (isRegistered(kProduct))
            expectRun(uninstall(), 0, {});
        EXPECT_EQ(snapshot().differencesFrom(before), Lines{}) << result.output;
    }
}

// What the user made of an item after installing is theirs; what is still as the installation
// left it is undone.
TEST_F(UndoUnderFaults, OnlyChangesStillAsTheInstallationLeftThemAreUndone) {
    const std::string ini = root_ + "\\host.ini", mine = links_ + "\\Mine.lnk";
    ASSERT_TRUE(writeAll(ini, "[Plugins]\r\nFirst=a\r\n"));
    setVariable("KESTRELFAULT_OLD", "before");
    setVariable("KESTRELFAULT_BACK", "before");
    std::string variables, keys, links;
    for (const char* name :
         {"KESTRELFAULT_MADE", "KESTRELFAULT_OLD", "KESTRELFAULT_BACK", "KESTRELFAULT_UNTOUCHED"})
        variables += variableItem("Replace", name, "installed");
    for (const char* key : {"Made", "Untouched"})
        keys += iniItem(ini, key, "installed");
    for (const char* name : {"Mine.lnk", "Untouched.lnk"})
        links += linkItem(links_, target_, name);
    const std::string items =
        tag("Environment", variables) + tag("IniFiles", keys) + tag("Shortcuts", links);
    MachineSnapshot before = snapshot();
    ASSERT_NO_FATAL_FAILURE(installCompleted(description(replaceTarget_, items)));
    setVariable("KESTRELFAULT_MADE", "the user's");
    setVariable("KESTRELFAULT_OLD", "the user's");
    std::string edited = readAll(ini);
    const std::string made = "Made=installed";
    ASSERT_TRUE(contains(edited, made)) << edited;
    edited.replace(edited.find(made), made.size(), "Made=mine");
    ASSERT_TRUE(writeAll(ini, edited));
    ASSERT_TRUE(fileExists(mine));
    ASSERT_TRUE(writeAll(mine, "the user's own link"));
    expectRun(uninstall(), 0,
              {{"Left ", "KESTRELFAULT_MADE"},
               {"Left ", "KESTRELFAULT_OLD"},
               {"Left ", "Made"},
               {"Left ", mine}});
    size_t untouched = edited.find("Untouched=installed");
    ASSERT_NE(untouched, std::string::npos) << edited;
    edited.erase(untouched, edited.find('\n', untouched) + 1 - untouched);
    EXPECT_EQ(readAll(ini), edited);
    EXPECT_EQ(variable("KESTRELFAULT_MADE"), "the user's");
    EXPECT_EQ(variable("KESTRELFAULT_OLD"), "the user's");
    EXPECT_EQ(readAll(mine), "the user's own link");
    EXPECT_EQ(snapshot().differencesFrom(before),
              sorted({"+ file:" + mine, "+ value:environment\\KESTRELFAULT_MADE", "~ file:" + ini,
                      "~ value:environment\\KESTRELFAULT_OLD"}));
}

// "Key=" is a line of the user's file: an undo that removes it changes a file it never owned.
TEST_F(UndoUnderFaults, AnIniKeyWithAnEmptyValueComesBackByteForByte) {
    const std::string ini = root_ + "\\host.ini";
    ASSERT_TRUE(writeAll(ini, "[Plugins]\r\nEmpty=\r\nLast=z\r\n"));
    MachineSnapshot before = snapshot();
    ASSERT_NO_FATAL_FAILURE(
        installCompleted(description("", tag("IniFiles", iniItem(ini, "Empty", "[APP]")))));
    expectRun(uninstall(), 0, {});
    EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
}

// The list named the folder before; the product adds it once more and another program appends
// after it: only the product's copy goes, and a longer entry that begins with it stays.
TEST_F(UndoUnderFaults, AListEntryAddedTwiceLosesOnlyTheInstallationsCopy) {
    const struct {
        const char *mode, *before, *installed, *after;
    } rows[] = {
        {"Append", "C:\\a;C:\\app", "C:\\a;C:\\app;C:\\app", "C:\\a;C:\\app;C:\\other"},
        {"Insert", "C:\\a;C:\\app", "C:\\app;C:\\a;C:\\app", "C:\\a;C:\\app;C:\\other"},
        {"Append", "C:\\app\\bin;C:\\a", "C:\\app\\bin;C:\\a;C:\\app",
         "C:\\app\\bin;C:\\a;C:\\other"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.mode) + " to " + row.before);
        ASSERT_NO_FATAL_FAILURE(resetMachine());
        setVariable("KESTRELLIST", row.before);
        MachineSnapshot before = snapshot();
        ASSERT_NO_FATAL_FAILURE(installCompleted(
            description("", tag("Environment", variableItem(row.mode, "KESTRELLIST", "C:\\app")))));
        EXPECT_EQ(variable("KESTRELLIST"), row.installed);
        setVariable("KESTRELLIST", std::string(row.installed) + ";C:\\other");
        expectRun(uninstall(), 0, {});
        EXPECT_EQ(variable("KESTRELLIST"), row.after);
        EXPECT_EQ(snapshot().differencesFrom(before), Lines{"~ value:environment\\KESTRELLIST"});
    }
}

// Replacing them would take the only way to undo that other installation.
TEST_F(UndoUnderFaults, UndoDataOfAnotherInstallationAtTheFinalPathsStopsTheInstallation) {
    const struct {
        std::string path, content;
    } rows[] = {
        {actionLog_, "C:\\Other\\install.xml\r\nC:\\Other\\backup.bin\r\nNUMVARS\t0\r\n"
                     "FILE\tCREATE\tC:\\Other\\other.txt\r\n"},
        {backup_, std::string("Varnex Software installer backup file.\n\0\1\0\0", 43)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        ASSERT_NO_FATAL_FAILURE(resetMachine());
        CreateDirectoryA(uninst_.c_str(), nullptr);
        ASSERT_TRUE(writeAll(row.path, row.content));
        MachineSnapshot before = snapshot();
        expectRun(install(description(replaceTarget_ + newFile_)), kMinusOne,
                  {{"", "undo data of another installation"}, {"", row.path}});
        EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
    }
}

// A registration whose uninstall removes nothing: installing over it would leave two
// installations behind one registration.
TEST_F(UndoUnderFaults, APreviousVersionStillRegisteredAfterItsUninstallStopsTheInstallation) {
    {
        RegistryKey key;
        ASSERT_TRUE(key.create(HKEY_LOCAL_MACHINE, kRegistration.c_str(), KEY_WRITE));
        // An uninstaller that says its start and end but removes nothing.
        const std::string command =
            inQuotes(EngineProcess::testFolder() + "kestrel_probe.exe") + " signal";
        for (const char* name : {"UninstallString", "QuietUninstallString"})
            ASSERT_TRUE(RegistryValue::writeText(key.get(), name, REG_SZ, command));
    }
    const std::map<std::string, std::string> fake = registrationValues(kProduct);
    MachineSnapshot before = snapshot();
    expectRun(install(description(replaceTarget_ + newFile_)), kMinusOne,
              {{"", "is still installed"}});
    EXPECT_EQ(registrationValues(kProduct), fake);
    EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
}
