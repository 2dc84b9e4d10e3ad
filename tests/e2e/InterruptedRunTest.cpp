// Runs stopped from outside at any point, undo files cut at any point and values at every buffer
// limit, under Wine. A run that was killed must be undone by the next start of its installer or
// finished by the next uninstall; a damaged undo must never take what the user had; a value too
// long for the engine must be refused before any change or kept whole. Each ends with the
// machine compared against a snapshot taken before.
#include "EngineProcess.h"
#include "MachineSnapshot.h"
#include "UndoChecks.h"
#include "system/RegistryKey.h"
#include "system/WinHandle.h"
#include "tests/support/TestPayload.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
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
    unsigned long exitCode = 0;
    unsigned long elapsedMs = 0;
    std::string output;
};

// Output goes to a file, so that a full pipe never slows the run down; the stop comes
// `stopAfterMs` after the start (INFINITE: never).
StoppedRun runStoppedAfter(const std::string& commandLine, unsigned long stopAfterMs,
                           const std::string& outputFile) {
    StoppedRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    // A file of its own each time: a program the engine starts (Wine's menu builder, for the
    // shortcuts) inherits the handle and may outlive the run.
    static int runs = 0;
    const std::string file = outputFile + "." + std::to_string(++runs);
    WinHandle output(CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 &inherit, CREATE_ALWAYS, 0, nullptr));
    WinHandle input(CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                OPEN_EXISTING, 0, nullptr));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    auto start = std::chrono::steady_clock::now();
    if (!output.valid() || !input.valid() ||
        !CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return run;
    WinHandle processHandle(process.hProcess), threadHandle(process.hThread);
    run.ended = WaitForSingleObject(process.hProcess, stopAfterMs) == WAIT_OBJECT_0;
    if (!run.ended) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 10000);
    }
    run.elapsedMs =
        static_cast<unsigned long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now() - start)
                                       .count());
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    output.reset();
    run.output = readAll(file);
    DeleteFileA(file.c_str());
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

// Where a run stopped: before the record that begins with `beforeRecord` (its change made, the
// record and the closing one not written; empty: after the closing record), and how far the
// steps after the closing record had got.
// The log ends at the first record beginning with `record` (before it, or with it kept).
struct StopPoint {
    std::string record;
    bool logMoved = false, backupMoved = false, registered = false;
    bool recordKept = false;
};

// What one description installs besides the uninstaller's own files.
struct Shape {
    std::string product = kProduct;
    int smallFiles = 3;   // new files in ten folders below [APP]\data
    bool replaces = true; // the three files the user had in [APP]
    std::string values;   // more DefValues
    std::string files;    // more FN elements of the product's set
    std::string items;    // Environment, IniFiles, Shortcuts
};

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
        waitForUninstallerCopy();
        removeTree(root_);
        for (const std::string& product : products_)
            removeProductKey(product);
        for (const char* name : {kList, kValue})
            RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kEnvironmentKey, name);
        for (const std::string& file : {logCopy_, output_})
            DeleteFileA(file.c_str());
        removeUndoFilesInTemp();
    }
    // A failed row must not leave undo files that the next row's check would find.
    static void removeUndoFilesInTemp() {
        WIN32_FIND_DATAA found;
        std::string temp = EngineProcess::tempFolder();
        HANDLE search = FindFirstFileA((temp + "qzi*.tmp").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return;
        do
            DeleteFileA((temp + found.cFileName).c_str());
        while (FindNextFileA(search, &found));
        FindClose(search);
    }

    static std::string previous(int i) { return content("previous" + std::to_string(i), 5000); }
    static std::string installed(int i) { return content("installed" + std::to_string(i), 6000); }
    std::string replaced(int i) const { return app_ + "\\old" + std::to_string(i) + ".txt"; }

    // The list entry, the INI key and two links, one in a folder the installation makes.
    std::string standardItems() const {
        return std::string("<Environment><Append VarName=\"") + kList +
               "\">[APP]\\bin</Append></Environment><IniFiles><Add FileName=\"" + ini_ +
               "\" Section=\"Plugins\" Key=\"Kills\">[APP]</Add></IniFiles><Shortcuts>"
               "<Add Type=\"File\" Dest=\"" +
               links_ + "\" Target=\"" + replaced(0) +
               "\">One.lnk</Add><Add Type=\"File\" Dest=\"" + links_ + "\\sub\" Target=\"" +
               replaced(1) + "\">Two.lnk</Add></Shortcuts>";
    }
    // The uninstaller's file set follows the product's, as a vendor writes it.
    std::string description(const Shape& shape) const {
        std::string files;
        if (shape.replaces) {
            for (int i = 0; i < kReplaced; ++i)
                files += "<FN Dest=\"[APP]\" Alias=\"new" + std::to_string(i) + "\">old" +
                         std::to_string(i) + ".txt</FN>";
        }
        for (int i = 0; i < shape.smallFiles; ++i)
            files += "<FN Dest=\"[APP]\\data\\d" + std::to_string(i % 10) + "\" Alias=\"small\">f" +
                     std::to_string(i) + ".txt</FN>";
        return "<VarnexGroupInstallation><ProductDesc><Fullname>" + shape.product +
               "</Fullname></ProductDesc><Dialogs><CopyProgress></CopyProgress><Finish></Finish>"
               "</Dialogs><UninstallDialogs><CopyProgress></CopyProgress><Finish></Finish>"
               "</UninstallDialogs><Installation><Uninstall>"
               "<InstallLogFile>[APP]\\uninst\\install.log</InstallLogFile>"
               "<InstallBackupFile>[APP]\\uninst\\backup.bin</InstallBackupFile>"
               "<UninstallXmlFile>[APP]\\uninst\\install.xml</UninstallXmlFile>"
               "<UninstallCmd>[APP]\\uninst\\uninstall.exe</UninstallCmd></Uninstall><DefValues>"
               "<Value Name=\"APP\" DataType=\"value\">" +
               app_ + "</Value>" + shape.values + "</DefValues><FileSet Name=\"Product\">" + files +
               shape.files +
               "</FileSet><FileSet Name=\"Uninstaller\">"
               "<FN Dest=\"[APP]\\uninst\">install.xml</FN>"
               "<FN Dest=\"[APP]\\uninst\" Alias=\"engine\">uninstall.exe</FN>"
               "<FN Dest=\"[APP]\\uninst\" Alias=\"placeholder\">install.log</FN>"
               "<FN Dest=\"[APP]\\uninst\" Alias=\"placeholder\">backup.bin</FN></FileSet>" +
               shape.items + "</Installation></VarnexGroupInstallation>";
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
    std::string installCommand() const {
        return inQuotes(EngineProcess::enginePath()) +
               " -gui=0 -quiet=1 -bin=" + inQuotes(package_);
    }
    ProcessResult install() { return EngineProcess::run(installCommand(), "", 120000); }
    // An installation that must complete for the test to go on.
    void installCompleted() {
        ProcessResult result = install();
        ASSERT_EQ(result.exitCode, 0u) << result.output;
    }
    // What the registered command runs after its relaunch.
    std::string uninstallCommand() const {
        return inQuotes(EngineProcess::enginePath()) + " -uninstallFile=" + inQuotes(logCopy_) +
               " -uninstallApp=" + inQuotes(kProduct) + " -gui=0 -quiet=1";
    }
    // The relaunch runs the uninstall on a copy of the installed log.
    void copyInstalledLog() const {
        ASSERT_TRUE(CopyFileA(actionLog_.c_str(), logCopy_.c_str(), FALSE))
            << "error " << GetLastError() << " copying " << actionLog_;
    }
    ProcessResult uninstall() {
        copyInstalledLog();
        return EngineProcess::run(uninstallCommand(), "", 120000);
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
        if (!stop.registered) {
            for (const auto& value : registrationValues(kProduct))
                RegDeleteValueA(key.get(), value.first.c_str());
        }
        const std::pair<const char*, std::string> record[] = {
            {kRunLog, temporaryLog},
            {"KestrelRunBackupFile", temporaryBackup},
            {"KestrelRunFinalActionLog", actionLog_},
            {"KestrelRunFinalBackupFile", backup_}};
        for (const auto& value : record)
            RegSetValueExA(key.get(), value.first, 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(value.second.c_str()),
                           static_cast<DWORD>(value.second.size() + 1));
    }
    MachineSnapshot snapshot() const {
        // The administrator check's probe goes to the program-files folder.
        return MachineSnapshot({root_, "C:\\Program Files"});
    }
    // The machine as before the installation, and no temporary undo file left behind.
    void expectMachineAsBefore(const MachineSnapshot& before) {
        EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
        EXPECT_FALSE(undoFilesLeftInTemp());
    }

    // Nothing the user had is gone, and whatever differs from before is as the installation left
    // it: a damaged undo may leave the installation's changes, never make others.
    void expectNothingOfTheUsersTaken(const MachineSnapshot& before,
                                      const MachineSnapshot& installed) const {
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
    // An uninstall that could not undo everything says so and keeps what a retry needs.
    void expectPending(const ProcessResult& run, const std::vector<Said>& reasons) const {
        expectRun(run, kMinusOne, reasons);
        EXPECT_EQ(registrationValues(kProduct).count("UninstallString"), 1u);
    }

    static constexpr int kReplaced = 3;
    const std::string root_ = "C:\\kestrel-kills", app_ = root_ + "\\app";
    const std::string links_ = root_ + "\\links", ini_ = root_ + "\\host.ini";
    const std::string uninst_ = app_ + "\\uninst";
    const std::string actionLog_ = uninst_ + "\\install.log", backup_ = uninst_ + "\\backup.bin";
    const std::string package_ = EngineProcess::tempFolder() + "kestrel-kills.bin";
    const std::string logCopy_ = EngineProcess::tempFolder() + "kestrel-kills-uninstall.log";
    const std::string output_ = EngineProcess::tempFolder() + "kestrel-kills-output.txt";
    Lines products_ = {kProduct};
};

int fileRecordsIn(const std::string& log) {
    int files = 0;
    for (const std::string& line : linesOf(log))
        files += line.compare(0, 5, "FILE\t") == 0 ? 1 : 0;
    return files;
}

// Where a stopped installation had got to, from what it left: its run record, the last whole
// line of its temporary action log, the undo files in place, the registration.
class InstallationPhase {
  public:
    explicit InstallationPhase(int fileRecords) : fileRecords_(fileRecords) {}
    std::string of(const std::string& finalLog) const {
        std::map<std::string, std::string> values = registrationValues(kProduct);
        bool recorded = values.count(kRunLog) != 0;
        bool registered = values.count("UninstallString") != 0;
        if (!recorded)
            return registered ? "complete" : "before its run record";
        if (registered)
            return "registered, its record left";
        std::string log = readAll(values[kRunLog]);
        if (!fileExists(values[kRunLog]))
            return fileExists(finalLog) ? "undo files moved into place" : "its record alone";
        return "writing its log: " + lastRecord(log);
    }

  private:
    std::string lastRecord(const std::string& log) const {
        std::string whole = log.substr(0, log.rfind('\n') + 1);
        Lines lines = linesOf(whole);
        if (lines.empty())
            return "empty";
        std::string kind = lines.back().substr(0, lines.back().find('\t'));
        if (kind == "FILE" || kind == "DIR")
            return "files (" + std::to_string(fileRecordsIn(whole)) + " of " +
                   std::to_string(fileRecords_) + " FILE records)";
        if (kind == "ENV" || kind == "INI" || kind == "SHORTCUT" || kind == "END")
            return kind + " record last";
        return "header";
    }
    int fileRecords_;
};

// The duration of a run, as the median of three: the system's load makes single runs vary.
unsigned long medianDuration(const std::function<unsigned long()>& run) {
    unsigned long durations[] = {run(), run(), run()};
    std::sort(std::begin(durations), std::end(durations));
    return durations[1];
}

} // namespace

// Killed anywhere, from its first instruction to its last, an installation leaves what the next
// start of its installer undoes before it installs; the uninstall then leaves the machine as it
// was before the first run.
TEST_F(InterruptedRuns, AnInstallationKilledAnywhereIsUndoneByTheNextRunAndUninstallsToBefore) {
    Shape shape;
    shape.smallFiles = 500;
    shape.items = standardItems();
    ASSERT_NO_FATAL_FAILURE(writePackage(shape));
    MachineSnapshot before = snapshot();
    int fileRecords = 0;
    const unsigned long duration = medianDuration([&] {
        StoppedRun whole = runStoppedAfter(installCommand(), INFINITE, output_);
        EXPECT_TRUE(whole.ended && whole.exitCode == 0) << whole.output;
        fileRecords = fileRecordsIn(readAll(actionLog_));
        expectRun(uninstall(), 0, {});
        return whole.elapsedMs;
    });
    expectMachineAsBefore(before);
    InstallationPhase phase(fileRecords);
    Lines phases;
    for (int kill = 1; kill <= 20; ++kill) {
        unsigned long at = duration * kill / 21;
        SCOPED_TRACE("killed after " + std::to_string(at) + " ms");
        StoppedRun killed = runStoppedAfter(installCommand(), at, output_);
        phases.push_back(std::to_string(at) +
                         " ms: " + (killed.ended ? "ended by itself" : phase.of(actionLog_)));
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
        if (HasFailure()) {
            ASSERT_NO_FATAL_FAILURE(resetMachine());
        }
    }
    std::string summary;
    for (const std::string& line : phases)
        summary += "  " + line + "\n";
    std::printf("an uninterrupted installation: %lu ms; the kills landed:\n%s", duration,
                summary.c_str());
}

// Some steps take a few milliseconds, which evenly spaced kills rarely hit: the time between a
// change's record and the change (folders, a list, an INI key, a shortcut the shell saved before
// its check was recorded), and the last steps of the run. The state a kill there leaves is made
// here from a completed run. Undone or found complete, the next run installs, and the uninstall
// leaves the machine as before.
TEST_F(InterruptedRuns, AnInstallationStoppedInAShortStepIsUndoneByTheNextRun) {
    const std::string shortcut = "<Shortcuts><Add Type=\"File\" Dest=\"" + links_ + "\" Target=\"" +
                                 replaced(0) + "\">One.lnk</Add></Shortcuts>";
    const std::string list = std::string("<Environment><Append VarName=\"") + kList +
                             "\">[APP]\\bin</Append></Environment>";
    const std::string key = "<IniFiles><Add FileName=\"" + ini_ +
                            "\" Section=\"Plugins\" Key=\"Kills\">[APP]</Add></IniFiles>";
    auto withItems = [](const std::string& items) {
        Shape shape;
        shape.items = items;
        return shape;
    };
    Shape oneNewFile;
    oneNewFile.smallFiles = 1;
    oneNewFile.replaces = false;
    const struct {
        const char* step;
        Shape shape;
        StopPoint stop;
        Lines notYetMade; // what the run had not made yet at that point
    } rows[] = {
        {"after the first folders were made, behind their record",
         oneNewFile,
         {"DIR\t", false, false, false, true},
         {app_ + "\\data\\d0\\f0.txt", uninst_}},
        {"after a shortcut was saved, before its check was recorded",
         withItems(shortcut),
         {"SHORTCUT\t", false, false, false, true},
         {}},
        {"after the list was changed, behind its record",
         withItems(list),
         {"ENV\t", false, false, false, true},
         {}},
        {"after the INI key was set, behind its record",
         withItems(key),
         {"INI\t", false, false, false, true},
         {}},
        {"after the closing record", withItems(standardItems()), {}, {}},
        {"after the action log was moved", withItems(standardItems()), {"", true}, {}},
        {"after both undo files were moved", withItems(standardItems()), {"", true, true}, {}},
        {"after the registration", withItems(standardItems()), {"", true, true, true}, {}},
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
    Shape shape;
    shape.smallFiles = 300;
    shape.items = standardItems();
    ASSERT_NO_FATAL_FAILURE(writePackage(shape));
    MachineSnapshot before = snapshot();
    const unsigned long duration = medianDuration([this] {
        installCompleted();
        copyInstalledLog();
        StoppedRun whole = runStoppedAfter(uninstallCommand(), INFINITE, output_);
        EXPECT_TRUE(whole.ended && whole.exitCode == 0) << whole.output;
        return whole.elapsedMs;
    });
    expectMachineAsBefore(before);
    Lines outcomes;
    for (int kill = 1; kill <= 10; ++kill) {
        unsigned long at = duration * kill / 11;
        SCOPED_TRACE("killed after " + std::to_string(at) + " ms");
        ASSERT_NO_FATAL_FAILURE(installCompleted());
        ASSERT_NO_FATAL_FAILURE(copyInstalledLog());
        StoppedRun killed = runStoppedAfter(uninstallCommand(), at, output_);
        // Its output is no guide: the killed process never flushed what it had buffered.
        size_t left = snapshot().differencesFrom(before).size();
        bool registered = registrationValues(kProduct).count("QuietUninstallString") != 0;
        outcomes.push_back(std::to_string(at) + " ms: " +
                           (killed.ended ? "ended by itself, " : "") + std::to_string(left) +
                           " differences left, " + (registered ? "registered" : "no registration"));
        if (left != 0) {
            EXPECT_TRUE(registered) << "nothing is left to finish the uninstall with";
            EXPECT_TRUE(registered && uninstallAsRegistered(kProduct));
        }
        expectMachineAsBefore(before);
        if (HasFailure()) {
            ASSERT_NO_FATAL_FAILURE(resetMachine());
        }
    }
    std::string summary;
    for (const std::string& line : outcomes)
        summary += "  " + line + "\n";
    std::printf("an uninterrupted uninstall: %lu ms; the kills landed:\n%s", duration,
                summary.c_str());
}

// Whatever part of its action log is lost, the uninstall undoes only what the remaining records
// prove the installation's, says that it is not complete and stays registered.
TEST_F(InterruptedRuns, AnActionLogCutAtAnyLineEndNeverTakesWhatTheUserHad) {
    Shape shape;
    shape.items = standardItems();
    ASSERT_NO_FATAL_FAILURE(writePackage(shape));
    MachineSnapshot before = snapshot();
    ASSERT_NO_FATAL_FAILURE(installCompleted());
    const Lines lines = linesOf(readAll(actionLog_));
    ASSERT_GT(lines.size(), 20u);
    ASSERT_EQ(lines[2].compare(0, 8, "NUMVARS\t"), 0) << lines[2];
    // The two paths, the count and the variables.
    const size_t header = 3 + std::stoul(lines[2].substr(8));
    for (size_t kept = 0; kept + 1 < lines.size(); ++kept) {
        SCOPED_TRACE("the first " + std::to_string(kept) + " lines kept");
        if (kept > 0) {
            ASSERT_NO_FATAL_FAILURE(resetMachine());
            ASSERT_NO_FATAL_FAILURE(installCompleted());
        }
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
        expectPending(uninstall(), said);
        expectNothingOfTheUsersTaken(before, installed);
    }
}

// A backup file cut short has lost the previous content of the files behind the cut: those keep
// what the installation wrote, the uninstall says which, and the registration stays.
TEST_F(InterruptedRuns, ABackupCutAtAny4KiBBoundaryNeverTakesWhatTheUserHad) {
    Shape shape;
    shape.items = standardItems();
    ASSERT_NO_FATAL_FAILURE(writePackage(shape));
    MachineSnapshot before = snapshot();
    ASSERT_NO_FATAL_FAILURE(installCompleted());
    const size_t size = readAll(backup_).size();
    ASSERT_GT(size, 3 * 4096u);
    for (size_t cut = 0; cut < size; cut += 4096) {
        SCOPED_TRACE("cut at " + std::to_string(cut) + " of " + std::to_string(size) + " bytes");
        if (cut > 0) {
            ASSERT_NO_FATAL_FAILURE(resetMachine());
            ASSERT_NO_FATAL_FAILURE(installCompleted());
        }
        MachineSnapshot installed = snapshot();
        ASSERT_TRUE(writeAll(backup_, readAll(backup_).substr(0, cut)));
        expectPending(uninstall(), {{"FAILED to ", ""}, {"", kNotComplete}});
        expectNothingOfTheUsersTaken(before, installed);
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
    auto inLongFolder = [](const std::string& name) {
        return "<FN Dest=\"[LONG]\" Alias=\"limit\">" + name + "</FN>";
    };
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
    const std::string setValue = std::string("<Environment><Replace VarName=\"") + kValue + "\">";
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
        {"a variable of 1,023 bytes", kProduct, bigVariable(1023), "",
         setValue + "[BIG]</Replace></Environment>", Expect::kKept, std::string(1023, 'v'),
         [&] { return variable(kValue); }},
        {"a variable of 1,024 bytes", kProduct, bigVariable(1024), "",
         setValue + "[BIG]</Replace></Environment>", Expect::kRefused, "", nullptr},
        {"an INI value of 32,767 characters", kProduct, "", "",
         "<IniFiles><Add FileName=\"" + ini_ + "\" Section=\"Plugins\" Key=\"Kills\">" +
             std::string(32767, 'i') + "</Add></IniFiles>",
         Expect::kKept, std::string(32767, 'i'), iniValue},
        {"an environment value of 32,767 characters", kProduct, "", "",
         setValue + std::string(32767, 'e') + "</Replace></Environment>", Expect::kKept,
         std::string(32767, 'e'), [&] { return variable(kValue); }},
        {"a product name of 255 characters", name255, "", "", "", Expect::kKept, name255,
         [&] { return registrationValues(name255)["DisplayName"]; }},
        {"a product name of 256 characters", name255 + "n", "", "", "", Expect::kRefused, "",
         nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NO_FATAL_FAILURE(resetMachine());
        Shape shape;
        shape.product = row.product;
        shape.values = row.values;
        shape.files = row.files;
        shape.items = row.items;
        ASSERT_NO_FATAL_FAILURE(writePackage(shape));
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
