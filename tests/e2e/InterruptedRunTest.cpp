// Runs stopped from outside at any point, undo files cut at any point and values at every buffer
// limit, under Wine. A run that was killed must be undone by the next start of its installer or
// finished by the next uninstall; a damaged undo must never take what the user had; a value too
// long for the engine must be refused before any change or kept whole. Each ends with the
// machine compared against a snapshot taken before.
#include "EngineProcess.h"
#include "MachineSnapshot.h"
#include "UndoChecks.h"
#include "system/RegistryKey.h"
#include "system/RegistryValue.h"
#include "system/WinHandle.h"
#include "tests/support/TestPayload.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace {
using namespace undochecks;
const char kProduct[] = "Kestrel Kills";
const char kList[] = "KESTRELKILL_LIST";
const char kValue[] = "KESTRELKILL_VALUE";
const char kRunLog[] = "KestrelRunActionLog";
const char kNotComplete[] = "The uninstall is not complete";

// An engine run stopped from outside, as the task manager or a power cut stops it.
struct StoppedRun {
    bool ended = false; // it ended by itself before the stop
    unsigned long exitCode = 0, elapsedMs = 0;
    std::string output;
};

// Output goes to a file, so that a full pipe never slows the run down; the stop comes
// `stopAfterMs` after the start (INFINITE: never). Each run has a file of its own: a program
// the engine started through the shell may inherit the handle and hold the file after the run.
StoppedRun runStoppedAfter(const std::string& commandLine, unsigned long stopAfterMs,
                           const std::string& outputName) {
    static int runs = 0;
    const std::string outputFile = outputName + std::to_string(++runs) + ".txt";
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

Lines linesOf(const std::string& text) {
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Bytes that differ from file to file and from version to version.
std::string content(const std::string& seed, size_t size) {
    std::string bytes;
    unsigned value = 2166136261u;
    for (char c : seed)
        value = (value ^ static_cast<unsigned char>(c)) * 16777619u;
    while (bytes.size() < size) {
        value = value * 1103515245u + 12345u;
        bytes.push_back(static_cast<char>('a' + (value >> 16) % 26));
    }
    return bytes;
}

// Where a run stopped: the action log ends at the first record beginning with `record` (before
// it, or with it kept; empty: after the closing record), and how far the steps after the closing
// record had got.
struct StopPoint {
    std::string record;
    bool logMoved = false, backupMoved = false, registered = false, recordKept = false;
};

// What one description installs besides the uninstaller's own files.
struct Shape {
    std::string items;    // Environment, IniFiles, Shortcuts
    int smallFiles = 3;   // new files in ten folders below [APP]\data
    bool replaces = true; // the three files the user had in [APP]
    std::string product = kProduct;
    std::string values{}, files{}; // more DefValues, more FN elements of the product's set
};

// The duration of a run, as the median of three: the system's load makes single runs vary.
unsigned long medianDuration(const std::function<unsigned long()>& run) {
    unsigned long durations[] = {run(), run(), run()};
    std::sort(std::begin(durations), std::end(durations));
    return durations[1];
}

class InterruptedRuns : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(resetMachine()); }
    void TearDown() override {
        cleanUp();
        DeleteFileA(package_.c_str());
    }

    // What the user had: three files the product replaces, one it does not know, an INI file, a
    // list variable and a folder for links.
    void resetMachine() {
        cleanUp();
        for (const std::string& folder : {root_, app_, links_})
            CreateDirectoryA(folder.c_str(), nullptr);
        for (int i = 0; i < kReplaced; ++i)
            ASSERT_TRUE(writeAll(replaced(i), previous(i)));
        ASSERT_TRUE(writeAll(app_ + "\\user.txt", "the user's own file\r\n"));
        ASSERT_TRUE(writeAll(ini_, "[Plugins]\r\nFirst=a\r\n"));
        setVariable(kList, "C:\\before;C:\\other");
    }
    void cleanUp() {
        uninstallerCopyGone();
        removeTree(root_);
        for (const std::string& product : products_)
            removeProductKey(product);
        for (const char* name : {kList, kValue})
            RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kEnvironmentKey, name);
        DeleteFileA(logCopy_.c_str());
        undoFilesLeftInTemp(true);
    }

    static std::string previous(int i) { return content("previous" + std::to_string(i), 5000); }
    static std::string installed(int i) { return content("installed" + std::to_string(i), 6000); }
    std::string replaced(int i) const { return app_ + "\\old" + std::to_string(i) + ".txt"; }

    std::string listItem() const {
        return tag("Environment", variableItem("Append", kList, "[APP]\\bin"));
    }
    std::string iniKeyItem() const { return tag("IniFiles", iniItem(ini_, "Kills", "[APP]")); }
    std::string shortcutItem() const { return linkItem(links_, replaced(0), "One.lnk"); }
    // The list entry, the INI key and two links, one in a folder the installation makes.
    std::string standardItems() const {
        return listItem() + iniKeyItem() +
               tag("Shortcuts",
                   shortcutItem() + linkItem(links_ + "\\sub", replaced(1), "Two.lnk"));
    }
    std::string description(const Shape& shape) const {
        std::string files;
        for (int i = 0; shape.replaces && i < kReplaced; ++i)
            files +=
                fileItem("[APP]", "new" + std::to_string(i), "old" + std::to_string(i) + ".txt");
        for (int i = 0; i < shape.smallFiles; ++i)
            files += fileItem("[APP]\\data\\d" + std::to_string(i % 10), "small",
                              "f" + std::to_string(i) + ".txt");
        return undochecks::description(shape.product, app_, files + shape.files, shape.items,
                                       shape.values);
    }
    void writePackage(const Shape& shape) {
        products_.push_back(shape.product);
        testpayload::Entries entries = {{"install.xml", description(shape)},
                                        {"engine", readAll(EngineProcess::enginePath())},
                                        {"placeholder", "placeholder"},
                                        {"small", "a small file\r\n"},
                                        {"limit", "at the limit\r\n"}};
        for (int i = 0; i < kReplaced; ++i)
            entries.push_back({"new" + std::to_string(i), installed(i)});
        ASSERT_TRUE(writeAll(package_, testpayload::build(entries)));
    }
    ProcessResult install() { return EngineProcess::run(installCommand(package_), "", 120000); }
    void installCompleted() {
        ProcessResult result = install();
        ASSERT_EQ(result.exitCode, 0u) << result.output;
    }
    void copyInstalledLog() const {
        ASSERT_TRUE(CopyFileA(actionLog_.c_str(), logCopy_.c_str(), FALSE))
            << "error " << GetLastError() << " copying " << actionLog_;
    }
    ProcessResult uninstall() {
        copyInstalledLog();
        return EngineProcess::run(uninstallCommand(logCopy_, kProduct), "", 120000);
    }
    // Turns a completed installation of the product into what a run stopped at `stop` leaves:
    // the run record, the undo files where they were then, the registration if it was made.
    void leaveAsStopped(const StopPoint& stop) {
        const std::string temporaryLog = EngineProcess::tempFolder() + "qzi-stopped-log.tmp";
        const std::string temporaryBackup = EngineProcess::tempFolder() + "qzi-stopped-backup.tmp";
        std::string log = readAll(actionLog_);
        if (!stop.record.empty()) {
            size_t record = log.find("\n" + stop.record);
            ASSERT_NE(record, std::string::npos) << log;
            size_t end = stop.recordKept ? log.find('\n', record + 1) : record;
            ASSERT_TRUE(writeAll(actionLog_, log.substr(0, end + 1)));
        }
        // Before the move the final paths hold the placeholders the file set put there.
        auto unmove = [](const std::string& placed, const std::string& temporary) {
            return MoveFileA(placed.c_str(), temporary.c_str()) && writeAll(placed, "placeholder");
        };
        ASSERT_TRUE(stop.logMoved || unmove(actionLog_, temporaryLog));
        ASSERT_TRUE(stop.backupMoved || unmove(backup_, temporaryBackup));
        RegistryKey key;
        ASSERT_TRUE(openProductKey(key, kProduct, KEY_READ | KEY_WRITE));
        for (const auto& value : registrationValues(kProduct)) {
            if (!stop.registered)
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
    // The administrator check's probe goes to the program-files folder.
    MachineSnapshot snapshot() const { return MachineSnapshot({root_, "C:\\Program Files"}); }
    // The machine as before the installation, and no temporary undo file left behind.
    void expectMachineAsBefore(const MachineSnapshot& before) {
        EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
        EXPECT_FALSE(undoFilesLeftInTemp());
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

    static constexpr int kReplaced = 3;
    const std::string root_ = "C:\\kestrel-kills", app_ = root_ + "\\app";
    const std::string links_ = root_ + "\\links", ini_ = root_ + "\\host.ini";
    const std::string uninst_ = app_ + "\\uninst";
    const std::string actionLog_ = uninst_ + "\\install.log", backup_ = uninst_ + "\\backup.bin";
    const std::string package_ = EngineProcess::tempFolder() + "kestrel-kills.bin";
    const std::string logCopy_ = EngineProcess::tempFolder() + "kestrel-kills-uninstall.log";
    const std::string output_ = EngineProcess::tempFolder() + "kestrel-kills-output";
    Lines products_ = {kProduct};
};
} // namespace

// Killed anywhere, from its first instruction to its last, an installation leaves what the next
// start of its installer undoes before it installs; the uninstall then leaves the machine as it
// was before the first run.
TEST_F(InterruptedRuns, AnInstallationKilledAnywhereIsUndoneByTheNextRunAndUninstallsToBefore) {
    ASSERT_NO_FATAL_FAILURE(writePackage(Shape{standardItems(), 500}));
    MachineSnapshot before = snapshot();
    const unsigned long duration = medianDuration([&] {
        StoppedRun whole = runStoppedAfter(installCommand(package_), INFINITE, output_);
        EXPECT_TRUE(whole.ended && whole.exitCode == 0) << whole.output;
        expectRun(uninstall(), 0, {});
        return whole.elapsedMs;
    });
    expectMachineAsBefore(before);
    for (int kill = 1; kill <= 20; ++kill) {
        unsigned long at = duration * kill / 21;
        SCOPED_TRACE("killed after " + std::to_string(at) + " ms");
        runStoppedAfter(installCommand(package_), at, output_);
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

// Some steps take a few milliseconds, which evenly spaced kills rarely hit: the time between a
// change's record and the change (folders, a list, an INI key, a shortcut the shell saved before
// its check was recorded), and the last steps of the run. The state a kill there leaves is made
// here from a completed run. Undone or found complete, the next run installs, and the uninstall
// leaves the machine as before.
TEST_F(InterruptedRuns, AnInstallationStoppedInAShortStepIsUndoneByTheNextRun) {
    const struct {
        const char* step;
        Shape shape;
        StopPoint stop;
        Lines notYetMade; // what the run had not made yet at that point
    } rows[] = {
        {"after the first folders were made, behind their record",
         {"", 1, false},
         {"DIR\t", false, false, false, true},
         {app_ + "\\data\\d0\\f0.txt", uninst_}},
        {"after a shortcut was saved, before its check was recorded",
         {tag("Shortcuts", shortcutItem())},
         {"SHORTCUT\t", false, false, false, true},
         {}},
        {"after the list was changed, behind its record",
         {listItem()},
         {"ENV\t", false, false, false, true},
         {}},
        {"after the INI key was set, behind its record",
         {iniKeyItem()},
         {"INI\t", false, false, false, true},
         {}},
        {"after the closing record", {standardItems()}, {}, {}},
        {"after the action log was moved", {standardItems()}, {"", true}, {}},
        {"after both undo files were moved", {standardItems()}, {"", true, true}, {}},
        {"after the registration", {standardItems()}, {"", true, true, true}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.step);
        ASSERT_NO_FATAL_FAILURE(resetMachine());
        ASSERT_NO_FATAL_FAILURE(writePackage(row.shape));
        MachineSnapshot before = snapshot();
        ASSERT_NO_FATAL_FAILURE(installCompleted());
        ASSERT_NO_FATAL_FAILURE(leaveAsStopped(row.stop));
        for (const std::string& path : row.notYetMade) {
            if (!DeleteFileA(path.c_str()))
                removeTree(path);
        }
        ProcessResult rerun = install();
        expectRun(rerun, 0, {});
        EXPECT_EQ(contains(rerun.output, "did not complete"), !row.stop.registered) << rerun.output;
        EXPECT_EQ(registrationValues(kProduct).count(kRunLog), 0u);
        if (rerun.exitCode == 0)
            expectRun(uninstall(), 0, {});
        expectMachineAsBefore(before);
    }
}

// Killed anywhere, an uninstall leaves its registration for as long as anything of the
// installation remains, and the registered command run again finishes the job.
TEST_F(InterruptedRuns, AnUninstallKilledAnywhereIsFinishedByTheRegisteredUninstall) {
    ASSERT_NO_FATAL_FAILURE(writePackage(Shape{standardItems(), 300}));
    MachineSnapshot before = snapshot();
    const unsigned long duration = medianDuration([this] {
        installCompleted();
        copyInstalledLog();
        StoppedRun whole = runStoppedAfter(uninstallCommand(logCopy_, kProduct), INFINITE, output_);
        EXPECT_TRUE(whole.ended && whole.exitCode == 0) << whole.output;
        return whole.elapsedMs;
    });
    expectMachineAsBefore(before);
    for (int kill = 1; kill <= 10; ++kill) {
        unsigned long at = duration * kill / 11;
        SCOPED_TRACE("killed after " + std::to_string(at) + " ms");
        ASSERT_NO_FATAL_FAILURE(installCompleted());
        ASSERT_NO_FATAL_FAILURE(copyInstalledLog());
        runStoppedAfter(uninstallCommand(logCopy_, kProduct), at, output_);
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
    ASSERT_NO_FATAL_FAILURE(writePackage(Shape{standardItems()}));
    MachineSnapshot before = snapshot();
    ASSERT_NO_FATAL_FAILURE(installCompleted());
    const Lines lines = linesOf(readAll(actionLog_));
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

// A backup file cut short has lost the previous content of the files behind the cut: those keep
// what the installation wrote, the uninstall says which, and the registration stays.
TEST_F(InterruptedRuns, ABackupCutAtAny4KiBBoundaryNeverTakesWhatTheUserHad) {
    ASSERT_NO_FATAL_FAILURE(writePackage(Shape{standardItems()}));
    MachineSnapshot before = snapshot();
    ASSERT_NO_FATAL_FAILURE(installCompleted());
    const size_t size = readAll(backup_).size();
    ASSERT_GT(size, 3 * 4096u);
    for (size_t cut = 0; cut < size; cut += 4096) {
        SCOPED_TRACE("cut at " + std::to_string(cut) + " of " + std::to_string(size) + " bytes");
        ASSERT_NO_FATAL_FAILURE(reinstall());
        MachineSnapshot installed = snapshot();
        ASSERT_TRUE(writeAll(backup_, readAll(backup_).substr(0, cut)));
        expectPending({{"FAILED to ", ""}, {"", kNotComplete}}, before, installed);
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
    auto inLongFolder = [](const std::string& name) { return fileItem("[LONG]", "limit", name); };
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
        return tag("Environment", variableItem("Replace", kValue, value));
    };
    const std::string name255 = kProduct + std::string(255 - sizeof kProduct + 1, 'n');
    enum class Expect { kKept, kRefused, kKeptOrRefused };
    const struct {
        std::string what, product, values, files, items;
        Expect expect;
        std::string whole;                  // what a kept value is found as
        std::function<std::string()> found; // where it is found
    } rows[] = {
        {"a folder of 254 characters", kProduct, longFolder(254), inLongFolder("f"), "",
         Expect::kKept, "at the limit\r\n", [&] { return readAll(folder(254) + "\\f"); }},
        {"a folder of 255 characters", kProduct, longFolder(255), inLongFolder("f"), "",
         Expect::kRefused, "", nullptr},
        // 260 characters: more than the system's ANSI file calls take.
        {"a folder of 254 characters with a file name of 5", kProduct, longFolder(254),
         inLongFolder("f.txt"), "", Expect::kKeptOrRefused, "at the limit\r\n",
         [&] { return readAll(folder(254) + "\\f.txt"); }},
        {"a variable of 1,023 bytes", kProduct, bigVariable(1023), "", setValue("[BIG]"),
         Expect::kKept, std::string(1023, 'v'), [&] { return variable(kValue); }},
        {"a variable of 1,024 bytes", kProduct, bigVariable(1024), "", setValue("[BIG]"),
         Expect::kRefused, "", nullptr},
        {"an INI value of 32,767 characters", kProduct, "", "",
         tag("IniFiles", iniItem(ini_, "Kills", std::string(32767, 'i'))), Expect::kKept,
         std::string(32767, 'i'), iniValue},
        {"an environment value of 32,767 characters", kProduct, "", "",
         setValue(std::string(32767, 'e')), Expect::kKept, std::string(32767, 'e'),
         [&] { return variable(kValue); }},
        {"a product name of 255 characters", name255, "", "", "", Expect::kKept, name255,
         [&] { return registrationValues(name255)["DisplayName"]; }},
        {"a product name of 256 characters", name255 + "n", "", "", "", Expect::kRefused, "",
         nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NO_FATAL_FAILURE(resetMachine());
        ASSERT_NO_FATAL_FAILURE(
            writePackage(Shape{row.items, 3, true, row.product, row.values, row.files}));
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
