// The uninstall over an action log and a backup file written here: the restore, the record walk
// in log order, the folders removed deepest first, and the honest result.
#include "engine/UninstallRun.h"

#include "config/Description.h"
#include "config/VariableStore.h"
#include "system/RecordingSystem.h"
#include "tests/native/TempFolder.h"
#include "tests/native/engine/BackupBytes.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

namespace {
using backupbytes::entry;

class UninstallRunTest : public ::testing::Test {
  protected:
    // Runs the uninstall as the uninstaller does: the stream stands behind line 1.
    int uninstall(const std::string& records) {
        writeAll(folder / "install.log", "C:\\saved.xml\r\n" + folder / "backup.bin" +
                                             "\r\nNUMVARS\t1\r\nVAR\tAPP\t" + app + "\r\n" +
                                             records);
        std::FILE* log = std::fopen((folder / "install.log").c_str(), "rb");
        char first[64];
        std::fgets(first, sizeof first, log);
        UninstallRun run(description, variables, system, ui, nullptr);
        int result = run.perform(log, nullptr);
        std::fclose(log);
        return result;
    }

    TempFolder folder;
    std::string app = folder / "app";
    VariableStore variables;
    Description description{variables};
    RecordingSystem system;
    RecordingUI ui;
};
} // namespace

TEST_F(UninstallRunTest, UndoesTheRecordsInLogOrderAndRemovesFoldersDeepestFirst) {
    std::string deep = app + "/x/y/";
    ASSERT_EQ(std::system(("mkdir -p '" + deep + "' '" + app + "/kept'").c_str()), 0);
    writeAll(deep + "a.txt", "a");
    writeAll(app + "/kept/mine.txt", "the user's own file");
    writeAll(app + "/kept/b.txt", "b");
    writeAll(folder / "backup.bin", backupbytes::file(""));
    // A record longer than 255 characters is read whole, never split into two.
    std::string longName = deep + std::string(240, 'l');
    writeAll(longName, "long");
    EXPECT_EQ(uninstall("DIR\t2\t" + app + "/x/y/\r\nFILE\tCREATE\t" + deep + "a.txt\r\n" +
                        "DIR\t1\t" + app + "/kept/\r\nFILE\tCREATE\t" + app + "/kept/b.txt\r\n" +
                        "FILE\tCREATE\t" + longName + "\r\nENV\tADD\tPATH\t;C:\\app\r\n" +
                        "INI\tCREATE\tC:\\h.ini\tS\tK\tV\r\nSHORTCUT\tCREATE\tC:\\s.lnk\r\n" +
                        "REG\tignored\r\nFILE\tCREATE\trelative.txt\r\n" + "FILE\tCREATE\t" + app +
                        "/cut-short.txt"),
              -1);
    EXPECT_EQ(ui.lines, (Lines{"Delete " + deep + "a.txt", "Delete " + app + "/kept/b.txt",
                               "Delete " + longName, "FAILED to remove " + app + "/kept",
                               "Remove " + app + "/x/y", "Remove " + app + "/x"}));
    EXPECT_EQ(system.calls,
              (Lines{"undoEnvironmentChange:ADD\tPATH\t;C:\\app",
                     "undoIniChange:CREATE\tC:\\h.ini\tS\tK\tV", "undoShortcut:CREATE\tC:\\s.lnk",
                     "broadcastEnvironmentChange:"}));
    EXPECT_TRUE(filebytes::readAll(app + "/kept/mine.txt").size() > 0);
    char value[64];
    ASSERT_GE(variables.get("APP", value, sizeof value), 0); // the recorded variables are back
}

// Each row: the backup entries, what the files hold at uninstall time, what they hold after. The
// log holds only its header: no other record is undone.
TEST_F(UninstallRunTest, RestoresWhereTheInstalledContentIsStillThereLastEntryFirst) {
    std::string cfg = folder / "app.ini", data = folder / "data.bin";
    const struct {
        std::string entries;
        bool ended;
        int result;
        std::string before, after, lines; // app.ini|data.bin; the lines reported, each ended by |
    } rows[] = {
        {"", true, 0, "untouched|", "untouched|", ""},
        // Two file sets installed app.ini over the user's: both steps come back, last first.
        {entry(cfg, "user's", "first") + entry(cfg, "first", "second"), true, 0, "second|",
         "user's|", "Restore " + cfg + "|Restore " + cfg + "|"},
        // A file the user changed is left; an empty previous file comes back empty.
        {entry(cfg, "old", "new") + entry(data, "", "installed"), true, 0, "changed|installed",
         "changed|", "Restore " + data + "|Left " + cfg + "|"},
        // A backup cut short: the entries before the cut come back, the result tells.
        {entry(cfg, "old", "new") + entry(data, "previous", "installed").substr(0, 20), false, -1,
         "new|installed", "old|installed", "Restore " + cfg + "|"},
    };
    for (const auto& row : rows) {
        writeAll(folder / "backup.bin", backupbytes::file(row.entries, row.ended));
        writeAll(cfg, row.before.substr(0, row.before.find('|')));
        writeAll(data, row.before.substr(row.before.find('|') + 1));
        ui.lines.clear();
        EXPECT_EQ(uninstall(""), row.result);
        EXPECT_EQ(readAll(cfg) + "|" + readAll(data), row.after);
        std::string lines;
        for (const std::string& line : ui.lines)
            lines += line + "|";
        EXPECT_EQ(lines, row.lines);
    }
    EXPECT_TRUE(system.calls.empty());
    // A missing backup file restores nothing and says so.
    std::remove((folder / "backup.bin").c_str());
    ui.lines.clear();
    EXPECT_EQ(uninstall(""), -1);
    EXPECT_EQ(ui.lines, Lines{"FAILED to open " + folder / "backup.bin"});
}
