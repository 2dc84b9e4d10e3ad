// Runs killed at any point and values at their limits, under Wine.
#include "UndoChecks.h"
#include "system/ProcessStart.h"
#include "system/RegistryValue.h"

#include <functional>

namespace {
using namespace undochecks;
const char kRunLog[] = "KestrelRunActionLog";

// A run killed `stopAfterMs` after its start (INFINITE: never). Output goes to NUL: the desktop
// process a saved shortcut starts under Wine would hold a pipe.
struct StoppedRun {
    bool ended = false; // it ended by itself before the stop
    unsigned long exitCode = 0, elapsedMs = 0;
};

StoppedRun runStoppedAfter(const std::string& commandLine, unsigned long stopAfterMs) {
    StoppedRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    WinHandle nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                              nullptr));
    ProcessStart::Options options;
    options.inheritHandles = true;
    options.input = options.output = nul.get();
    DWORD start = GetTickCount();
    WinHandle process = nul.valid() ? ProcessStart::start(commandLine, options) : WinHandle();
    if (!process.valid())
        return run;
    run.ended = WaitForSingleObject(process.get(), stopAfterMs) == WAIT_OBJECT_0;
    if (!run.ended && TerminateProcess(process.get(), 99))
        WaitForSingleObject(process.get(), 10000);
    run.elapsedMs = GetTickCount() - start;
    GetExitCodeProcess(process.get(), &run.exitCode);
    return run;
}

unsigned long medianDuration(const std::function<unsigned long()>& run) {
    unsigned long durations[] = {run(), run(), run()};
    std::sort(std::begin(durations), std::end(durations));
    return durations[1];
}

// How far a run got: just behind the first record of a kind, or past the closing record.
enum class Stage { BehindRecord, Closed, LogMoved, BothMoved, Registered };

class InterruptedRuns : public UndoMachine {
  protected:
    void leaveAsStopped(Stage stage, const std::string& record) {
        const std::string temporaryLog = EngineProcess::tempFolder() + "qzi-stopped-log.tmp";
        const std::string temporaryBackup = EngineProcess::tempFolder() + "qzi-stopped-backup.tmp";
        std::string log = readAll(actionLog_);
        if (stage == Stage::BehindRecord) {
            size_t at = log.find("\n" + record);
            ASSERT_NE(at, std::string::npos) << log;
            ASSERT_TRUE(writeAll(actionLog_, log.substr(0, log.find('\n', at + 1) + 1)));
        }
        auto unmove = [](const std::string& placed, const std::string& temporary) {
            return MoveFileA(placed.c_str(), temporary.c_str()) && writeAll(placed, "placeholder");
        };
        ASSERT_TRUE(stage >= Stage::LogMoved || unmove(actionLog_, temporaryLog));
        ASSERT_TRUE(stage >= Stage::BothMoved || unmove(backup_, temporaryBackup));
        RegistryKey key;
        ASSERT_TRUE(openProductKey(key, kProduct, KEY_READ | KEY_WRITE));
        for (const auto& value : registrationValues(kProduct))
            if (stage != Stage::Registered)
                RegDeleteValueA(key.get(), value.first.c_str());
        const std::pair<const char*, std::string> record[] = {
            {kRunLog, temporaryLog},
            {"KestrelRunBackupFile", temporaryBackup},
            {"KestrelRunFinalActionLog", actionLog_},
            {"KestrelRunFinalBackupFile", backup_}};
        for (const auto& value : record)
            ASSERT_TRUE(RegistryValue::writeText(key.get(), value.first, REG_SZ, value.second));
    }
    void resetAfterFailure() {
        if (HasFailure())
            resetMachine();
    }
};
} // namespace

TEST_F(InterruptedRuns, AnInstallationKilledAnywhereIsUndoneByTheNextRunAndUninstallsToBefore) {
    ASSERT_NO_FATAL_FAILURE(writePackage(replacedFiles() + smallFiles(500), standardItems()));
    MachineSnapshot before = snapshot();
    const unsigned long duration = medianDuration([&] {
        StoppedRun whole = runStoppedAfter(installCommand(package_), INFINITE);
        EXPECT_TRUE(whole.ended && whole.exitCode == 0);
        expectRun(uninstall(), 0, {});
        return whole.elapsedMs;
    });
    expectMachineAsBefore(before);
    for (int kill = 1; kill <= 20; ++kill) {
        unsigned long at = duration * kill / 21;
        SCOPED_TRACE("killed after " + std::to_string(at) + " ms");
        runStoppedAfter(installCommand(package_), at);
        std::map<std::string, std::string> values = registrationValues(kProduct);
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

// Steps of a few milliseconds that spaced kills rarely hit, made from a completed run.
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

TEST_F(InterruptedRuns, AnUninstallKilledAnywhereIsFinishedByTheRegisteredUninstall) {
    ASSERT_NO_FATAL_FAILURE(writePackage(replacedFiles() + smallFiles(300), standardItems()));
    MachineSnapshot before = snapshot();
    const unsigned long duration = medianDuration([this] {
        installCompleted();
        copyInstalledLog();
        StoppedRun whole = runStoppedAfter(uninstallCommand(logCopy_, kProduct), INFINITE);
        EXPECT_TRUE(whole.ended && whole.exitCode == 0);
        return whole.elapsedMs;
    });
    expectMachineAsBefore(before);
    for (int kill = 1; kill <= 10; ++kill) {
        unsigned long at = duration * kill / 11;
        SCOPED_TRACE("killed after " + std::to_string(at) + " ms");
        ASSERT_NO_FATAL_FAILURE(installCompleted());
        ASSERT_NO_FATAL_FAILURE(copyInstalledLog());
        runStoppedAfter(uninstallCommand(logCopy_, kProduct), at);
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

TEST_F(InterruptedRuns, AValueAtItsLimitIsKeptWholeAndOneMoreIsRefusedBeforeAnyChange) {
    auto folder = [this](size_t length) {
        return root_ + "\\" + std::string(length - root_.size() - 1, 'd');
    };
    auto longFolder = [&](size_t length) {
        return "<Value Name=\"LONG\" DataType=\"value\">" + folder(length) + "</Value>";
    };
    const std::string inLongFolder = fileItem("[LONG]", "small", "f");
    auto iniValue = [this] {
        std::string ini = readAll(ini_);
        size_t start = ini.find("Kills=");
        return start == std::string::npos
                   ? std::string("(none)")
                   : ini.substr(start + 6, ini.find('\r', start) - start - 6);
    };
    const std::string name255 = kProduct + std::string(255 - std::strlen(kProduct), 'n');
    const std::string small = "a small file\r\n";
    const struct {
        std::string what, product, values, files, items;
        bool kept;
        std::string whole;                  // what a kept value is found as
        std::function<std::string()> found; // where it is found
    } rows[] = {
        // The file "f" in it: a path of 259 characters is the longest Windows takes.
        {"a folder of 257 characters", kProduct, longFolder(257), inLongFolder, "", true, small,
         [&] { return readAll(folder(257) + "\\f"); }},
        {"a folder of 258 characters", kProduct, longFolder(258), inLongFolder, "", false, "",
         nullptr},
        {"an INI value of 32,767 characters", kProduct, "", "",
         tag("IniFiles", iniItem(ini_, "Kills", std::string(32767, 'i'))), true,
         std::string(32767, 'i'), iniValue},
        {"an environment value of 32,767 characters", kProduct, "", "",
         tag("Environment", variableItem("Replace", "KESTRELUNDO_VALUE", std::string(32767, 'e'))),
         true, std::string(32767, 'e'), [] { return variable("KESTRELUNDO_VALUE"); }},
        {"a product name of 255 characters", name255, "", "", "", true, name255,
         [&] { return registrationValues(name255)["DisplayName"]; }},
        {"a product name of 256 characters", name255 + "n", "", "", "", false, "", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NO_FATAL_FAILURE(resetMachine());
        ASSERT_NO_FATAL_FAILURE(writePackage(replacedFiles() + smallFiles(3) + row.files, row.items,
                                             row.values, row.product));
        MachineSnapshot before = snapshot();
        ProcessResult run = install();
        if (row.kept) {
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
