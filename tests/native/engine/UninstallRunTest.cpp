// The uninstall over an action log and a backup file written here.
#include "engine/UninstallRun.h"

#include "config/Description.h"
#include "config/VariableStore.h"
#include "tests/native/TempFolder.h"
#include "tests/native/engine/BackupBytes.h"
#include "tests/support/RecordingSystem.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

namespace {
using backupbytes::entry;

std::string joined(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "|";
    return text;
}

class UninstallRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string text =
            "<VarnexGroupInstallation><Installation><Uninstall><InstallLogFile>"
            "[APP]/u/install.log</InstallLogFile><UninstallCmd>[APP]/u/"
            "uninstall.exe</UninstallCmd></Uninstall></Installation>"
            "</VarnexGroupInstallation>";
        description.parse(text.c_str(), text.size());
        ASSERT_EQ(std::system(("mkdir -p '" + app + "/u'").c_str()), 0);
    }
    // Runs the uninstall over `records` (CR LF lines), closed with their count unless not `closed`.
    bool uninstall(const std::string& records, bool closed = true) {
        auto count = std::count(records.begin(), records.end(), '\n');
        writeAll(folder / "install.log",
                 app + "/u/install.xml\r\n" + backup + "\r\nNUMVARS\t1\r\nVAR\tAPP\t" + app +
                     "\r\n" + records + (closed ? "END\t" + std::to_string(count) + "\r\n" : ""));
        std::FILE* log = std::fopen((folder / "install.log").c_str(), "rb");
        UninstallRun::Target target;
        target.registrationName = "Product";
        bool undone =
            UninstallRun(description, variables, system, ui, nullptr).perform(log, target);
        std::fclose(log);
        return undone;
    }

    TempFolder folder;
    std::string app = folder / "app", backup = app + "/u/backup.bin";
    VariableStore variables;
    Description description{variables};
    RecordingSystem system;
    RecordingUI ui;
};
} // namespace

// What is already gone is done; a folder holding the user's file is left; a record naming no full
// path, or a log without its closing record, keeps the uninstall pending.
TEST_F(UninstallRunTest, UndoesTheRecordsInLogOrderAndRemovesFoldersDeepestFirst) {
    std::string deep = app + "/x/y/";
    ASSERT_EQ(std::system(("mkdir -p '" + deep + "' '" + app + "/kept'").c_str()), 0);
    writeAll(deep + "a.txt", "a");
    writeAll(app + "/kept/mine.txt", "the user's own file");
    writeAll(backup, backupbytes::file(""));
    // A record longer than 255 characters is read whole, never split into two.
    std::string longName = deep + std::string(240, 'l');
    writeAll(longName, "long");
    const std::string records =
        "DIR\t2\t" + app + "/x/y/\r\nFILE\tCREATE\t" + deep + "a.txt\r\n" + "DIR\t1\t" + app +
        "/kept/\r\nFILE\tCREATE\t" + app + "/kept/gone.txt\r\nFILE\tCREATE\t" + longName +
        "\r\nENV\tADD\tPATH\t;C:\\app\r\nINI\tCREATE\tC:\\h.ini\tS\tK\tV\r\n"
        "SHORTCUT\tCREATE\tC:\\s.lnk\t-\r\nSHORTCUT\tCREATE\tC:\\t.lnk\t-\r\n"
        "SHORTCUT\tCREATE\tC:\\s.lnk\t00000000\r\n";
    EXPECT_TRUE(uninstall(records));
    EXPECT_EQ(ui.lines,
              (Lines{"Delete " + deep + "a.txt", "Delete " + app + "/kept/gone.txt",
                     "Delete " + longName, "Remove " + app + "/x/y", "Remove " + app + "/x",
                     "Delete " + backup, "Left " + app + "/kept"}));
    EXPECT_EQ(
        system.calls,
        (Lines{"undoEnvironmentChange:ADD\tPATH\t;C:\\app",
               "undoIniChange:CREATE\tC:\\h.ini\tS\tK\tV",
               // Recorded before it was saved, then with its check: undone once.
               "undoShortcut:CREATE\tC:\\t.lnk\t-", "undoShortcut:CREATE\tC:\\s.lnk\t00000000",
               "broadcastEnvironmentChange:", "removeUninstallRegistration:Product"}));
    EXPECT_TRUE(exists(app + "/kept/mine.txt"));
    char value[64];
    ASSERT_GE(variables.get("APP", value, sizeof value), 0); // the recorded variables are back
    for (const auto& pending : {std::make_pair("FILE\tCREATE\trelative.txt\r\n", true),
                                std::make_pair("FILE\tCREATE\tC:\\cut-short.txt\r\n", false)}) {
        ui.lines.clear();
        system.calls.clear();
        EXPECT_FALSE(uninstall(pending.first, pending.second));
        EXPECT_EQ(system.calls, Lines{});
        EXPECT_NE(ui.lines.back().find("The uninstall is not complete"), std::string::npos);
    }
    // The backup file is gone, but a complete log that replaced no file needs none.
    EXPECT_TRUE(uninstall("DIR\t1\t" + app + "/x/\r\n"));
}

// Each row: backup entries, records (default: both files replaced whole), the result, the files
// before and after, the lines reported.
TEST_F(UninstallRunTest, RestoresFromWhatIsOnDiskLastEntryFirstAndNeverOverTheUsersEdit) {
    std::string cfg = app + "/app.ini", data = app + "/data.bin";
    const struct {
        std::string entries, records;
        bool ended;
        bool undone;
        std::string before, after, lines; // app.ini|data.bin ("-": missing); lines ended by |
    } rows[] = {
        {"", "", true, true, "untouched|", "untouched|", ""},
        // Two file sets installed app.ini over the user's: both steps come back, last first.
        {entry(cfg, "user's", "first") + entry(cfg, "first", "second"), "", true, true, "second|",
         "user's|", "Restore " + cfg + "|Restore " + cfg + "|"},
        // A file the user changed is left; an empty previous file comes back empty.
        {entry(cfg, "old", "new") + entry(data, "", "installed"), "", true, true,
         "changed|installed", "changed|", "Restore " + data + "|Left " + cfg + "|"},
        // Deleted by the user, or already put back by an earlier uninstall: the previous content.
        {entry(cfg, "old", "new") + entry(data, "previous", "installed"), "", true, true,
         "-|previous", "old|previous", "Restore " + data + "|Restore " + cfg + "|"},
        // The installation's write was cut: put back whatever the file holds now.
        {entry(cfg, "old", "new"), "FILE\tOVER\t" + cfg + "\r\n", true, true, "ne|", "old|",
         "Restore " + cfg + "|"},
        {entry(cfg, "old", "new"), "FILE\tOVER\t" + cfg + "\r\nFILE\tDONE\t" + cfg + "\r\n", true,
         true, "ne|", "ne|", "Left " + cfg + "|"},
        // A backup cut short: the entries before the cut come back, the backup stays.
        {entry(cfg, "old", "new") + entry(data, "previous", "installed").substr(0, 20), "", false,
         false, "new|installed", "old|installed",
         "Restore " + cfg + "|FAILED to read the backup file " + backup +
             " to its end: it is damaged|"},
    };
    for (const auto& row : rows) {
        writeAll(backup, backupbytes::file(row.entries, row.ended));
        std::string cfgBefore = row.before.substr(0, row.before.find('|'));
        std::remove(cfg.c_str());
        if (cfgBefore != "-")
            writeAll(cfg, cfgBefore);
        writeAll(data, row.before.substr(row.before.find('|') + 1));
        ui.lines.clear();
        const std::string whole = "FILE\tOVER\t" + cfg + "\r\nFILE\tDONE\t" + cfg +
                                  "\r\nFILE\tOVER\t" + data + "\r\nFILE\tDONE\t" + data + "\r\n";
        EXPECT_EQ(uninstall(row.records.empty() ? whole : row.records), row.undone) << row.lines;
        EXPECT_EQ(readAll(cfg) + "|" + readAll(data), row.after) << row.lines;
        std::string lines = joined(ui.lines);
        EXPECT_EQ(lines.substr(0, row.lines.size()), row.lines);
        // The backup goes only with everything it held.
        EXPECT_EQ(exists(backup), !row.undone) << row.lines;
    }
}
