// Installations and uninstalls under faults, under Wine: files held open, read-only or on a full
// disk, values the user changed after installing, undo data of another installation. Nothing the
// user had may be lost.
#include "UndoChecks.h"

#include <cstdlib>
#include <functional>

namespace {
using namespace undochecks;
class UndoUnderFaults : public UndoMachine {
  protected:
    const std::string newFile_ = fileItem("[APP]\\data", "small", "a.txt");
    const std::string replaceFirst_ = fileItem("[APP]", "new0", "old0.txt");
};
} // namespace

// A file that cannot be read back is not one the user changed: its previous content stays in the
// backup, and everything needed for another attempt stays with it until that attempt succeeds.
TEST_F(UndoUnderFaults, AFileHeldOpenAtUninstallIsKeptForARetryThatFinishes) {
    const std::string target = replaced(0);
    ASSERT_NO_FATAL_FAILURE(writePackage(replaceFirst_ + newFile_));
    MachineSnapshot before = snapshot();
    ASSERT_NO_FATAL_FAILURE(installCompleted());
    held_.reset(CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held_.valid());
    // The registered command, waited for as deployment tools wait, ends with the outcome.
    expectRun(EngineProcess::run(registrationValues(kProduct)["QuietUninstallString"]), kMinusOne,
              {{"FAILED to restore " + target + ": ", ""}, {"", "The uninstall is not complete"}},
              {{"Left " + target, ""}});
    EXPECT_TRUE(uninstallerCopyGone());
    EXPECT_FALSE(registrationValues(kProduct).empty());
    for (const std::string& kept :
         {actionLog_, backup_, uninst_ + "\\install.xml", uninst_ + "\\uninstall.exe"})
        EXPECT_TRUE(fileExists(kept)) << kept;
    held_.reset();
    EXPECT_EQ(readAll(target), installed(0));
    EXPECT_TRUE(uninstallAsRegistered(kProduct));
    EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
}

// A file backed up but not written is still the user's: the rollback must not take it for one
// the user changed and keep its backup as the only copy, nor register the half installation.
TEST_F(UndoUnderFaults, AFileThatCannotBeWrittenIsRolledBackToItsPreviousContent) {
    const std::string target = replaced(0);
    const char* drive = std::getenv("KESTREL_SMALL_DRIVE");
    // Each prepares the fault and gives the file it hits, or "" when this system cannot have it.
    const struct {
        const char* fault;
        std::function<std::string()> prepare;
    } rows[] = {
        {"held open with read sharing",
         [&] {
             held_.reset(CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
             return held_.valid() ? target : "";
         }},
        // Wine run as root lets a read-only file be opened for writing.
        {"read-only",
         [&] {
             SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
             WinHandle writer(CreateFileA(target.c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
             return writer.valid() ? "" : target;
         }},
        // KESTREL_SMALL_DRIVE names a folder on a RAM disk of about 1 MiB (scripts/test.sh mounts
        // it); the packaged "big" is 2 MiB.
        {"on a full disk",
         [&] {
             if (drive == nullptr || drive[0] == '\0')
                 return std::string();
             smallFolder_ = std::string(drive) + "\\kestrel-undo";
             CreateDirectoryA(smallFolder_.c_str(), nullptr);
             return writeAll(smallFolder_ + "\\small.txt", previous(0))
                        ? smallFolder_ + "\\small.txt"
                        : "";
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        ASSERT_NO_FATAL_FAILURE(resetMachine());
        const std::string path = row.prepare();
        if (path.empty()) {
            std::printf("[ SKIPPED  ] a file %s: this system cannot have it\n", row.fault);
            continue;
        }
        const std::string folder = path.substr(0, path.rfind('\\'));
        ASSERT_NO_FATAL_FAILURE(
            writePackage(newFile_ + fileItem(folder, path == target ? "new0" : "big",
                                             path.substr(folder.size() + 1))));
        MachineSnapshot before = snapshot();
        expectRun(install(), kMinusOne, {}, {{"", "could not be undone"}});
        std::string now = readAll(path); // may be megabytes
        EXPECT_TRUE(now == previous(0)) << now.size() << " bytes: " << now.substr(0, 40);
        EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
        EXPECT_FALSE(undoFilesLeftInTemp());
        EXPECT_EQ((GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) != 0,
                  std::string(row.fault) == "read-only");
    }
}

// What the user made of an item after installing is theirs; what is still as the installation
// left it is undone. A file the user deleted had nothing of theirs: its previous content comes
// back. Swapping two aligned 4-byte words keeps the length and the XOR of the words: a check that
// cannot see such an edit would put the old content over the user's work.
TEST_F(UndoUnderFaults, OnlyChangesStillAsTheInstallationLeftThemAreUndone) {
    const std::string mine = links_ + "\\Mine.lnk";
    setVariable("KESTRELUNDO_OLD", "before");
    setVariable("KESTRELUNDO_BACK", "before");
    std::string variables, keys, links;
    for (const char* name :
         {"KESTRELUNDO_MADE", "KESTRELUNDO_OLD", "KESTRELUNDO_BACK", "KESTRELUNDO_UNTOUCHED"})
        variables += variableItem("Replace", name, "installed");
    for (const char* key : {"Made", "Untouched"})
        keys += iniItem(ini_, key, "installed");
    for (const char* name : {"Mine.lnk", "Untouched.lnk"})
        links += linkItem(links_, replaced(2), name);
    ASSERT_NO_FATAL_FAILURE(writePackage(replacedFiles(), tag("Environment", variables) +
                                                              tag("IniFiles", keys) +
                                                              tag("Shortcuts", links)));
    MachineSnapshot before = snapshot();
    ASSERT_NO_FATAL_FAILURE(installCompleted());
    setVariable("KESTRELUNDO_MADE", "the user's");
    setVariable("KESTRELUNDO_OLD", "the user's");
    std::string edited = readAll(ini_);
    const std::string made = "Made=installed";
    ASSERT_TRUE(contains(edited, made)) << edited;
    edited.replace(edited.find(made), made.size(), "Made=mine");
    ASSERT_TRUE(writeAll(ini_, edited));
    ASSERT_TRUE(fileExists(mine));
    ASSERT_TRUE(writeAll(mine, "the user's own link"));
    std::string swapped = installed(0);
    std::swap_ranges(swapped.begin(), swapped.begin() + 4, swapped.begin() + 4);
    ASSERT_NE(swapped, installed(0));
    ASSERT_TRUE(writeAll(replaced(0), swapped));
    ASSERT_TRUE(DeleteFileA(replaced(1).c_str()));
    expectRun(uninstall(), 0,
              {{"Left ", "KESTRELUNDO_MADE"},
               {"Left ", "KESTRELUNDO_OLD"},
               {"Left ", "Made"},
               {"Left ", mine},
               {"Left " + replaced(0), ""},
               {"Restore " + replaced(1), ""}});
    size_t untouched = edited.find("Untouched=installed");
    ASSERT_NE(untouched, std::string::npos) << edited;
    edited.erase(untouched, edited.find('\n', untouched) + 1 - untouched);
    EXPECT_EQ(readAll(ini_), edited);
    EXPECT_EQ(variable("KESTRELUNDO_MADE"), "the user's");
    EXPECT_EQ(variable("KESTRELUNDO_OLD"), "the user's");
    EXPECT_EQ(readAll(mine), "the user's own link");
    EXPECT_EQ(readAll(replaced(0)), swapped);
    EXPECT_EQ(snapshot().differencesFrom(before),
              sorted({"+ file:" + mine, "+ value:environment\\KESTRELUNDO_MADE", "~ file:" + ini_,
                      "~ file:" + replaced(0), "~ value:environment\\KESTRELUNDO_OLD"}));
}

// Undo data of another installation at the final paths: replacing it would take the only way to
// undo that installation.
TEST_F(UndoUnderFaults, AnotherInstallationsActionLogStopsTheInstallationBeforeAnyChange) {
    CreateDirectoryA(uninst_.c_str(), nullptr);
    ASSERT_TRUE(writeAll(actionLog_, "C:\\Other\\install.xml\r\nC:\\Other\\backup.bin\r\n"
                                     "NUMVARS\t0\r\nFILE\tCREATE\tC:\\Other\\other.txt\r\n"));
    ASSERT_NO_FATAL_FAILURE(writePackage(replaceFirst_ + newFile_));
    MachineSnapshot before = snapshot();
    expectRun(install(), kMinusOne, {{"", "undo data of another installation"}, {"", actionLog_}});
    EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
}
