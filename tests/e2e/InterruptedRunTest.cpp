// Runs stopped from outside at any point, undo files damaged at any point and values at every
// buffer limit, under Wine: a killed installation is undone by the next start of its installer, a
// killed uninstall finished by the next; a damaged undo never takes what the user had; a value
// too long for the engine is refused before any change or kept whole.
#include "UndoChecks.h"
#include "system/RegistryValue.h"

#include <chrono>
#include <functional>

namespace {
using namespace undochecks;
const char kRunLog[] = "KestrelRunActionLog";
const char kNotComplete[] = "The uninstall is not complete";

// An engine run stopped from outside, as the task manager or a power cut stops it.
struct StoppedRun {
    bool ended = false; // it ended by itself before the stop
    unsigned long exitCode = 0, elapsedMs = 0;
    std::string output;
};

// Output goes to a file of its own, not a pipe: the shell that saves a shortcut under Wine starts
// a desktop process that inherits the handle and holds it after the run. The stop comes
// `stopAfterMs` after the start (INFINITE: never).
StoppedRun runStoppedAfter(const std::string& commandLine, unsigned long stopAfterMs) {
    static int runs = 0;
    const std::string outputFile =
        EngineProcess::tempFolder() + "kestrel-kills-" + std::to_string(++runs) + ".txt";
    StoppedRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    WinHandle output(CreateFileA(outputFile.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_DELETE, &inherit, CREATE_ALWAYS, 0,
                                 nullptr));
    WinHandle input(CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                OPEN_EXISTING, 0, nullptr));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = startup.hStdError = output.get();
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    auto start = std::chrono::steady_clock::now();
    if (!output.valid() || !input.valid() ||
        !CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return run;
    WinHandle processHandle(process.hProcess), threadHandle(process.hThread);
    run.ended = WaitForSingleObject(process.hProcess, stopAfterMs) == WAIT_OBJECT_0;
    if (!run.ended && TerminateProcess(process.hProcess, 99))
        WaitForSingleObject(process.hProcess, 10000);
    run.elapsedMs =
        static_cast<unsigned long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now() - start)
                                       .count());
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    output.reset();
    run.output = readAll(outputFile);
    DeleteFileA(outputFile.c_str());
    return run;
}

// The duration of a run, as the median of three: the system's load makes single runs vary.
unsigned long medianDuration(const std::function<unsigned long()>& run) {
    unsigned long durations[] = {run(), run(), run()};
    std::sort(std::begin(durations), std::end(durations));
    return durations[1];
}

// How far a run got before it stopped: just behind a record (the action log ends with the first
// record of a kind), or past the closing record and the steps after it.
enum class Stage { BehindRecord, Closed, LogMoved, BothMoved, Registered };

class InterruptedRuns : public UndoMachine {
  protected:
    // Turns a completed installation into what a run stopped at `stage` leaves: the run record,
    // the undo files where they were then, the registration if it was made.
    void leaveAsStopped(Stage stage, const std::string& record) {
        const std::string temporaryLog = EngineProcess::tempFolder() + "qzi-stopped-log.tmp";
        const std::string temporaryBackup = EngineProcess::tempFolder() + "qzi-stopped-backup.tmp";
        std::string log = readAll(actionLog_);
        if (stage == Stage::BehindRecord) {
            size_t at = log.find("\n" + record);
            ASSERT_NE(at, std::string::npos) << log;
            ASSERT_TRUE(writeAll(actionLog_, log.substr(0, log.find('\n', at + 1) + 1)));
        }
        // Before the move the final paths hold the placeholders the file set put there.
        auto unmove = [](const std::string& placed, const std::string& temporary) {
            return MoveFileA(placed.c_str(), temporary.c_str()) && writeAll(placed, "placeholder");
        };
        ASSERT_TRUE(stage >= Stage::LogMoved || unmove(actionLog_, temporaryLog));
        ASSERT_TRUE(stage >= Stage::BothMoved || unmove(backup_, temporaryBackup));
        RegistryKey key;
        ASSERT_TRUE(openProductKey(key, kProduct, KEY_READ | KEY_WRITE));
        for (const auto& value : registrationValues(kProduct)) {
            if (stage != Stage::Registered)
                RegDeleteValueA(key.get(), value.first.c_str());
        }
        const std::pair<const char*, std::string> record[] = {
            {kRunLog, temporaryLog},
            {"KestrelRunBackupFile", temporaryBackup},
            {"KestrelRunFinalActionLog", actionLog_},
            {"KestrelRunFinalBackupFile", backup_}};
        for (const auto& value : record)
            ASSERT_TRUE(RegistryValue::writeText(key.get(), value.first, REG_SZ, value.second));
    }
    // A row that failed starts the next one from a machine as the user had it.
    void resetAfterFailure() {
        if (HasFailure())
            resetMachine();
    }
    void reinstall() {
        ASSERT_NO_FATAL_FAILURE(resetMachine());
        ASSERT_NO_FATAL_FAILURE(installCompleted());
    }
    // An uninstall that could not undo everything says so and keeps what a retry needs; nothing
    // the user had is gone, and whatever differs from before is as the installation left it: a
    // damaged undo may leave the installation's changes, never make others.
    void expectPending(const std::vector<Said>& reasons, const MachineSnapshot& before,
                       const MachineSnapshot& installed) {
        expectRun(uninstall(), kMinusOne, reasons);
        EXPECT_EQ(registrationValues(kProduct).count("UninstallString"), 1u);
        MachineSnapshot now = snapshot();
        Lines sinceInstalled = now.differencesFrom(installed), wrong;
        for (const std::string& line : now.differencesFrom(before)) {
            bool asInstalled = std::none_of(
                sinceInstalled.begin(), sinceInstalled.end(),
                [&](const std::string& since) { return since.substr(2) == line.substr(2); });
            if (line[0] == '-' || (line[0] == '~' && !asInstalled))
                wrong.push_back(line);
        }
        EXPECT_EQ(wrong, Lines{});
    }
};
} // namespace

// Killed anywhere, from its first instruction to its last, an installation leaves what the next
// start of its installer undoes before it installs; the uninstall then leaves the machine as it
// was before the first run.
TEST_F(InterruptedRuns, AnInstallationKilledAnywhereIsUndoneByTheNextRunAndUninstallsToBefore) {
    ASSERT_NO_FATAL_FAILURE(writePackage(replacedFiles() + smallFiles(500), standardItems()));
    MachineSnapshot before = snapshot();
    const unsigned long duration = medianDuration([&] {
        StoppedRun whole = runStoppedAfter(installCommand(package_), INFINITE);
        EXPECT_TRUE(whole.ended && whole.exitCode == 0) << whole.output;
        expectRun(uninstall(), 0, {});
        return whole.elapsedMs;
    });
    expectMachineAsBefore(before);
    for (int kill = 1; kill <= 20; ++kill) {
        unsigned long at = duration * kill / 21;
        SCOPED_TRACE("killed after " + std::to_string(at) + " ms");
        runStoppedAfter(installCommand(package_), at);
        std::map<std::string, std::string> values = registrationValues(kProduct);
        // A run that had registered itself was complete: only its record is left to remove.
        bool interrupted = values.count(kRunLog) != 0 && values.count("UninstallString") == 0;
        ProcessResult rerun = install();
        expectRun(rerun, 0, {});
        EXPECT_EQ(contains(rerun.output, "did not complete"), interrupted) << rerun.output;
        values = registrationValues(kProduct);
        EXPECT_EQ(values.count(kRunLog), 0u);
        EXPECT_EQ(values.count("UninstallString"), 1u);
        if (rerun.exitCode == 0)
            expectRun(uninstall(), 0, {});
        expectMachineAsBefore(before);
        ASSERT_NO_FATAL_FAILURE(resetAfterFailure());
    }
}

// Steps of a few milliseconds, which evenly spaced kills rarely hit: between a change's record
// and the change (folders, a list, an INI key, a shortcut the shell saved before its check was
// recorded), and the last steps of the run. The state a kill there leaves is made here from a
// completed run.
TEST_F(InterruptedRuns, AnInstallationStoppedInAShortStepIsUndoneByTheNextRun) {
    const std::string files = replacedFiles() + smallFiles(3);
    const struct {
        const char* step;
        std::string files, items, record;
        Stage stage;
    } rows[] = {
        {"after the first folders were made, behind their record", smallFiles(1), "", "DIR\t",
         Stage::BehindRecord},
        {"after a shortcut was saved, before its check was recorded", files,
         tag("Shortcuts", shortcutItem()), "SHORTCUT\t", Stage::BehindRecord},
        {"after the list was changed, behind its record", files, listItem(), "ENV\t",
         Stage::BehindRecord},
        {"after the INI key was set, behind its record", files, iniKeyItem(), "INI\t",
         Stage::BehindRecord},
        {"after the closing record", files, standardItems(), "", Stage::Closed},
        {"after the action log was moved", files, standardItems(), "", Stage::LogMoved},
        {"after both undo files were moved", files, standardItems(), "", Stage::BothMoved},
        {"after the registration", files, standardItems(), "", Stage::Registered},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.step);
        ASSERT_NO_FATAL_FAILURE(resetMachine());
        ASSERT_NO_FATAL_FAILURE(writePackage(row.files, row.items));
        MachineSnapshot before = snapshot();
        ASSERT_NO_FATAL_FAILURE(installCompleted());
        ASSERT_NO_FATAL_FAILURE(leaveAsStopped(row.stage, row.record));
        if (row.record == "DIR\t") { // it had made neither the file nor the uninstaller's folder
            DeleteFileA((app_ + "\\data\\d0\\f0.txt").c_str());
            removeTree(uninst_);
        }
        ProcessResult rerun = install();
        expectRun(rerun, 0, {});
        EXPECT_EQ(contains(rerun.output, "did not complete"), row.stage != Stage::Registered)
            << rerun.output;
        EXPECT_EQ(registrationValues(kProduct).count(kRunLog), 0u);
        if (rerun.exitCode == 0)
            expectRun(uninstall(), 0, {});
        expectMachineAsBefore(before);
    }
}

// Killed anywhere, an uninstall leaves its registration for as long as anything of the
// installation remains, and the registered command run again finishes the job.
TEST_F(InterruptedRuns, AnUninstallKilledAnywhereIsFinishedByTheRegisteredUninstall) {
    ASSERT_NO_FATAL_FAILURE(writePackage(replacedFiles() + smallFiles(300), standardItems()));
    MachineSnapshot before = snapshot();
    const unsigned long duration = medianDuration([this] {
        installCompleted();
        copyInstalledLog();
        StoppedRun whole = runStoppedAfter(uninstallCommand(logCopy_, kProduct), INFINITE);
        EXPECT_TRUE(whole.ended && whole.exitCode == 0) << whole.output;
        return whole.elapsedMs;
    });
    expectMachineAsBefore(before);
    for (int kill = 1; kill <= 10; ++kill) {
        unsigned long at = duration * kill / 11;
        SCOPED_TRACE("killed after " + std::to_string(at) + " ms");
        ASSERT_NO_FATAL_FAILURE(installCompleted());
        ASSERT_NO_FATAL_FAILURE(copyInstalledLog());
        runStoppedAfter(uninstallCommand(logCopy_, kProduct), at);
        // Its output is no guide: the killed process never flushed what it had buffered.
        size_t left = snapshot().differencesFrom(before).size();
        bool registered = registrationValues(kProduct).count("QuietUninstallString") != 0;
        if (left != 0) {
            EXPECT_TRUE(registered) << "nothing is left to finish the uninstall with";
            EXPECT_TRUE(registered && uninstallAsRegistered(kProduct));
        }
        expectMachineAsBefore(before);
        ASSERT_NO_FATAL_FAILURE(resetAfterFailure());
    }
}

// Whatever part of its action log is lost, the uninstall undoes only what the remaining records
// prove the installation's, says that it is not complete and stays registered.
TEST_F(InterruptedRuns, AnActionLogCutAtAnyLineEndNeverTakesWhatTheUserHad) {
    ASSERT_NO_FATAL_FAILURE(writePackage(replacedFiles() + smallFiles(3), standardItems()));
    MachineSnapshot before = snapshot();
    ASSERT_NO_FATAL_FAILURE(installCompleted());
    std::istringstream in(readAll(actionLog_));
    Lines lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_GT(lines.size(), 20u);
    ASSERT_EQ(lines[2].compare(0, 8, "NUMVARS\t"), 0) << lines[2];
    // The two paths, the count and the variables.
    const size_t header = 3 + std::stoul(lines[2].substr(8));
    for (size_t kept = 0; kept + 1 < lines.size(); ++kept) {
        SCOPED_TRACE("the first " + std::to_string(kept) + " lines kept");
        ASSERT_NO_FATAL_FAILURE(reinstall());
        MachineSnapshot installed = snapshot();
        std::string log = readAll(actionLog_);
        size_t end = 0;
        for (size_t line = 0; line < kept; ++line)
            end = log.find('\n', end) + 1;
        ASSERT_TRUE(writeAll(actionLog_, log.substr(0, end)));
        // Without its first line the log names no description: the uninstall cannot begin.
        std::vector<Said> said = {{"", "does not name the saved description"}};
        if (kept > 0)
            said = {{"", kept < header ? "FAILED to read the action log"
                                       : "The action log is incomplete"},
                    {"", kNotComplete}};
        expectPending(said, before, installed);
    }
}

// A backup cut short, or with one saved byte flipped, has lost the previous content of the files
// it damaged: those keep what the installation wrote (damaged data written back would be neither
// version), the uninstall says which, and the backup stays with the registration for a retry.
TEST_F(InterruptedRuns, ADamagedBackupNeverTakesWhatTheUserHad) {
    ASSERT_NO_FATAL_FAILURE(writePackage(replacedFiles() + smallFiles(3), standardItems()));
    MachineSnapshot before = snapshot();
    ASSERT_NO_FATAL_FAILURE(installCompleted());
    const size_t size = readAll(backup_).size();
    ASSERT_GT(size, 3 * 4096u);
    for (size_t cut = 0; cut <= size; cut += 4096) {
        const bool flip = cut >= size; // the last row: the last entry's last saved byte
        SCOPED_TRACE(flip ? "one byte flipped" : "cut at " + std::to_string(cut));
        ASSERT_NO_FATAL_FAILURE(reinstall());
        MachineSnapshot installed = snapshot();
        std::string damaged = readAll(backup_);
        // The backup ends with the end entry 01 00 00; before it lies the entry's saved data.
        if (flip)
            damaged[damaged.size() - 4] ^= 0x01;
        else
            damaged.resize(cut);
        ASSERT_TRUE(writeAll(backup_, damaged));
        expectPending({{flip ? "FAILED to restore " : "FAILED to ", ""}, {"", kNotComplete}},
                      before, installed);
        EXPECT_EQ(readAll(backup_), damaged);
    }
}

// Every text has a longest length the engine takes: up to it a value is kept whole, one
// character more is refused before anything changes, never cut to fit.
TEST_F(InterruptedRuns, AValueAtItsLimitIsKeptWholeAndOneMoreIsRefusedBeforeAnyChange) {
    auto folder = [this](size_t length) {
        return root_ + "\\" + std::string(length - root_.size() - 1, 'd');
    };
    auto longFolder = [&](size_t length) {
        return "<Value Name=\"LONG\" DataType=\"value\">" + folder(length) + "</Value>";
    };
    auto inLongFolder = [](const std::string& name) { return fileItem("[LONG]", "small", name); };
    auto iniValue = [this] {
        std::string ini = readAll(ini_);
        size_t start = ini.find("Kills=");
        return start == std::string::npos
                   ? std::string("(none)")
                   : ini.substr(start + 6, ini.find('\r', start) - start - 6);
    };
    auto bigVariable = [](size_t length) {
        return "<Value Name=\"BIG\" DataType=\"value\">" + std::string(length, 'v') + "</Value>";
    };
    auto setValue = [](const std::string& value) {
        return tag("Environment", variableItem("Replace", "KESTRELUNDO_VALUE", value));
    };
    auto value = [] { return variable("KESTRELUNDO_VALUE"); };
    const std::string name255 = kProduct + std::string(255 - std::strlen(kProduct), 'n');
    const std::string small = "a small file\r\n";
    enum class Expect { kKept, kRefused, kKeptOrRefused };
    const struct {
        std::string what, product, values, files, items;
        Expect expect;
        std::string whole;                  // what a kept value is found as
        std::function<std::string()> found; // where it is found
    } rows[] = {
        {"a folder of 254 characters", kProduct, longFolder(254), inLongFolder("f"), "",
         Expect::kKept, small, [&] { return readAll(folder(254) + "\\f"); }},
        {"a folder of 255 characters", kProduct, longFolder(255), inLongFolder("f"), "",
         Expect::kRefused, "", nullptr},
        // 260 characters: more than the system's ANSI file calls take.
        {"a folder of 254 characters with a file name of 5", kProduct, longFolder(254),
         inLongFolder("f.txt"), "", Expect::kKeptOrRefused, small,
         [&] { return readAll(folder(254) + "\\f.txt"); }},
        {"a variable of 1,023 bytes", kProduct, bigVariable(1023), "", setValue("[BIG]"),
         Expect::kKept, std::string(1023, 'v'), value},
        {"a variable of 1,024 bytes", kProduct, bigVariable(1024), "", setValue("[BIG]"),
         Expect::kRefused, "", nullptr},
        {"an INI value of 32,767 characters", kProduct, "", "",
         tag("IniFiles", iniItem(ini_, "Kills", std::string(32767, 'i'))), Expect::kKept,
         std::string(32767, 'i'), iniValue},
        {"an environment value of 32,767 characters", kProduct, "", "",
         setValue(std::string(32767, 'e')), Expect::kKept, std::string(32767, 'e'), value},
        {"a product name of 255 characters", name255, "", "", "", Expect::kKept, name255,
         [&] { return registrationValues(name255)["DisplayName"]; }},
        {"a product name of 256 characters", name255 + "n", "", "", "", Expect::kRefused, "",
         nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NO_FATAL_FAILURE(resetMachine());
        ASSERT_NO_FATAL_FAILURE(writePackage(replacedFiles() + smallFiles(3) + row.files, row.items,
                                             row.values, row.product));
        MachineSnapshot before = snapshot();
        ProcessResult run = install();
        bool kept = row.expect == Expect::kKept ||
                    (row.expect == Expect::kKeptOrRefused && run.exitCode == 0);
        if (kept) {
            expectRun(run, 0, {});
            std::string found = row.found();
            EXPECT_TRUE(found == row.whole) << found.size() << " of " << row.whole.size()
                                            << " characters: " << found.substr(0, 60);
            EXPECT_TRUE(run.exitCode != 0 || uninstallAsRegistered(row.product));
        } else {
            expectRun(run, kMinusOne, {{"FAILED to ", ""}},
                      {{"Create ", ""}, {"Overwrite ", ""}, {"Back up ", ""}});
        }
        expectMachineAsBefore(before);
    }
}
