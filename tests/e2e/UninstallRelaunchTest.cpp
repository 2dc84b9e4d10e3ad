// The uninstaller's relaunch and the real uninstall's frame, watched by a Windows process that
// creates the two named events as a waiting installer does.
#include "EngineProcess.h"

#include "system/RegistryKey.h"
#include "system/WinHandle.h"

#include <gtest/gtest.h>

namespace {
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The two events as a waiting installer creates them.
struct NamedEvents {
    WinHandle start{CreateEventA(nullptr, TRUE, FALSE, "LumoUninstallerStart")};
    WinHandle end{CreateEventA(nullptr, TRUE, FALSE, "LumoUninstallerEnd")};
};

bool isSet(const WinHandle& event, DWORD waitMs = 0) {
    return WaitForSingleObject(event.get(), waitMs) == WAIT_OBJECT_0;
}

class UninstallRelaunch : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(writeAll(actionLog_, "C:\\Product\\install.xml\r\n"));
        waitForCopyToEnd();
        for (const char* name : {"lumouninst.dll.txt", "lumouninst.log", "lumouninst.dll"})
            DeleteFileA((temp_ + name).c_str());
    }
    void TearDown() override { DeleteFileA(actionLog_.c_str()); }

    // The copy started by the previous relaunch must end before the next relaunch replaces it.
    void waitForCopyToEnd() const {
        for (int i = 0; i < 200; ++i) {
            WinHandle copy(CreateFileA((temp_ + "lumouninst.dll").c_str(), GENERIC_WRITE, 0,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
            if (copy.valid())
                return;
            Sleep(50);
        }
    }

    std::string temp_ = EngineProcess::tempFolder();
    std::string actionLog_ = temp_ + "kestrel test action.log";
};
} // namespace

// The probe runs as the engine; its relaunched copy writes the command line it received (the
// temporary folder ends with a backslash, so both paths carry a doubled one). Debug is not
// passed on, quiet is; -gui=0 only when the relauncher ran with gui 0; -uninstall wins over
// -uninstallFile. A command line over 511 characters is not started rather than cut.
TEST_F(UninstallRelaunch, TheRelaunchedCopyGetsItsCommandLineByteForByteOrIsNotStarted) {
    const std::string log = "-uninstall=" + inQuotes(actionLog_);
    const std::string copy = "\"" + temp_ + "\\lumouninst.dll\" -uninstallFile=\"" + temp_ +
                             "\\lumouninst.log\" -uninstallApp=";
    // An empty command line: the relaunch fails and no copy starts.
    const struct {
        std::string options, commandLine;
    } rows[] = {
        {log + " -uninstallApp=\"Example Product 2.1\" -gui=0",
         copy + "\"Example Product 2.1\" -gui=0"},
        {log + " -uninstallApp=App -debug=1 -quiet=1", copy + "\"App\" -quiet=1"},
        {"-uninstallFile=C:\\elsewhere.log " + log + " -uninstallApp=A", copy + "\"A\""},
        {log + " -uninstallApp=" + inQuotes(std::string(500, 'a')), ""},
        {"-uninstall=\"C:\\no such\\install.log\" -uninstallApp=X -gui=0", ""},
    };
    const std::string output = temp_ + "lumouninst.dll.txt";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options.substr(0, 80));
        waitForCopyToEnd();
        DeleteFileA(output.c_str());
        NamedEvents events;
        ProcessResult result =
            EngineProcess::run(inQuotes(EngineProcess::testFolder() + "kestrel_probe.exe") +
                               " -probe=engine " + row.options);
        bool refused = row.commandLine.empty();
        EXPECT_EQ(result.exitCode, refused ? kMinusOne : 0u);
        // On a busy machine the copy's start can take seconds.
        for (int i = 0; i < (refused ? 6 : 600) && !fileExists(output); ++i)
            Sleep(50);
        EXPECT_EQ(readAll(output), row.commandLine);
        EXPECT_TRUE(!refused || (isSet(events.end) && !isSet(events.start)));
    }
    EXPECT_EQ(readAll(temp_ + "lumouninst.log"), "C:\\Product\\install.xml\r\n");
    EXPECT_EQ(readAll(temp_ + "lumouninst.dll"),
              readAll(EngineProcess::testFolder() + "kestrel_probe.exe"));
}

// The real uninstall signals start and end whatever happens, and removes its log copy unless in
// debug mode. An empty or missing registration name never removes the uninstall key itself
// (the removal of a named registration is the round trip's).
TEST_F(UninstallRelaunch, TheRealUninstallKeepsItsLogCopyOnlyInDebugAndNeverRemovesTheKey) {
    std::string description = temp_ + "kestrel uninstall.xml",
                backup = temp_ + "kestrel backup.bin";
    ASSERT_TRUE(writeAll(description,
                         "<VarnexGroupInstallation><ProductDesc><Fullname>Kestrel Test"
                         "</Fullname></ProductDesc><UninstallDialogs><CopyProgress></CopyProgress>"
                         "</UninstallDialogs><Installation><DefValues></DefValues></Installation>"
                         "</VarnexGroupInstallation>"));
    // An action log without records; one whose description is missing fails the uninstall.
    const std::string empty = description + "\r\n" + backup + "\r\nNUMVARS\t0\r\nEND\t0\r\n";
    const std::string failing = "C:\\Product\\install.xml\r\n";
    const struct {
        std::string log, options; // an empty log: no log file
        unsigned long exitCode;
        bool logKept;
    } rows[] = {
        {failing, "-uninstallApp=Example -debug=0", kMinusOne, false},
        {failing, "-uninstallApp=Example -debug=1", kMinusOne, true},
        {"", "", kMinusOne, false},
        {empty, "-uninstallApp=\"\" -quiet=1", 0, false},
        {empty, "-quiet=1", 0, false},
    };
    std::string log = temp_ + "kestrel uninstall.log";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options);
        DeleteFileA(log.c_str());
        ASSERT_TRUE(row.log.empty() || writeAll(log, row.log));
        // A complete uninstall removes the backup file with everything else.
        ASSERT_TRUE(writeAll(
            backup, std::string("Varnex Software installer backup file.\n\0\2\0\0\0\1\0\0", 47)));
        NamedEvents events;
        ProcessResult result =
            EngineProcess::run(inQuotes(EngineProcess::enginePath()) +
                               " -uninstallFile=" + inQuotes(log) + " -gui=0 " + row.options);
        EXPECT_EQ(result.exitCode, row.exitCode) << result.output;
        EXPECT_TRUE(isSet(events.start) && isSet(events.end));
        EXPECT_EQ(fileExists(log), row.logKept);
        EXPECT_TRUE(RegistryKey().open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ));
    }
    for (const std::string& file : {log, description, backup})
        DeleteFileA(file.c_str());
}
