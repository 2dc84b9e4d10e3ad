// The uninstall command and the real uninstall's frame, watched as a waiting installer watches.
#include "UndoChecks.h"
#include "system/UninstallerPresence.h"

#include <aclapi.h>
#include <regex>
#include <sddl.h>

using namespace undochecks;

namespace {
struct NamedEvents {
    WinHandle start{CreateEventA(nullptr, TRUE, FALSE, "LumoUninstallerStart")};
    WinHandle end{CreateEventA(nullptr, TRUE, FALSE, "LumoUninstallerEnd")};
};

bool isSet(const WinHandle& event) {
    return WaitForSingleObject(event.get(), 0) == WAIT_OBJECT_0;
}

// Lets every account write the file, as a folder directly below the drive's root would.
bool letEveryoneWrite(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    bool set = ConvertStringSecurityDescriptorToSecurityDescriptorA(
                   "D:(A;;FA;;;WD)(A;;FA;;;SY)", SDDL_REVISION_1, &descriptor, nullptr) &&
               GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) &&
               SetNamedSecurityInfoA(const_cast<char*>(path.c_str()), SE_FILE_OBJECT,
                                     DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl,
                                     nullptr) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return set;
}

class UninstallRelaunch : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(writeAll(actionLog_, "C:\\Product\\install.xml\r\n")); }
    void TearDown() override { DeleteFileA(actionLog_.c_str()); }

    std::string temp_ = EngineProcess::tempFolder();
    std::string actionLog_ = temp_ + "kestrel test action.log";
};
} // namespace

// The probe runs as the engine; its copy, in a folder of its own, writes the line it received.
// Debug is not passed on; -uninstall wins over -uninstallFile; the copy's folder goes.
TEST_F(UninstallRelaunch, TheCopyGetsTheOptionsPassedOnAndTheCommandEndsWithItsOutcome) {
    const std::string log = "-uninstall=" + inQuotes(actionLog_);
    const std::string copy =
        "\"<T>\\lumouninst.dll\" -uninstallFile=\"<T>\\lumouninst.log\" -uninstallApp=";
    // An empty command line: the uninstall command fails and no copy starts.
    const struct {
        std::string options, commandLine;
    } rows[] = {
        {"-uninstallFile=C:\\elsewhere.log " + log + " -uninstallApp=A -debug=1 -gui=0",
         copy + "\"A\" -gui=0 -handoff=<h>"},
        {"-uninstall=\"C:\\no such\\install.log\" -uninstallApp=X -gui=0", ""},
    };
    const std::string output = temp_ + "kestrel-relaunched.txt";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options.substr(0, 80));
        DeleteFileA(output.c_str());
        NamedEvents events;
        ProcessResult result =
            EngineProcess::run(inQuotes(EngineProcess::testFolder() + "kestrel_probe.exe") +
                               " -probe=engine " + row.options);
        bool refused = row.commandLine.empty();
        EXPECT_EQ(result.exitCode, refused ? kMinusOne : 0u);
        std::string received = readAll(output);
        std::smatch match;
        std::string folder;
        if (std::regex_search(received, match, std::regex("^\"([^\"]*)\\\\lumouninst\\.dll")))
            folder = match[1].str();
        for (size_t at; !folder.empty() && (at = received.find(folder)) != std::string::npos;)
            received.replace(at, folder.size(), "<T>");
        received = std::regex_replace(received, std::regex("-handoff=\\d+,\\d+,\\d+,\\d+$"),
                                      "-handoff=<h>");
        EXPECT_EQ(received, row.commandLine);
        EXPECT_EQ(folder.find(temp_ + "kestrel-uninstall-") == 0, !refused) << folder;
        EXPECT_TRUE(uninstallerCopyGone());
        EXPECT_TRUE(!refused || (isSet(events.end) && !isSet(events.start)));
    }
    DeleteFileA(output.c_str());
}

// The real uninstall signals start and end, keeps its log copy only in debug mode, never removes
// the uninstall key for no name, and refuses a log others may change.
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
        bool everyoneWrites;
        unsigned long exitCode;
        bool logKept;
    } rows[] = {
        {failing, "-uninstallApp=Example -debug=0", false, kMinusOne, false},
        {failing, "-uninstallApp=Example -debug=1", false, kMinusOne, true},
        {"", "", false, kMinusOne, false},
        {empty, "-uninstallApp=\"\" -quiet=1", false, 0, false},
        {empty, "-quiet=1", true, kMinusOne, true},
    };
    std::string log = temp_ + "kestrel uninstall.log";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options);
        DeleteFileA(log.c_str());
        ASSERT_TRUE(row.log.empty() || writeAll(log, row.log));
        ASSERT_TRUE(!row.everyoneWrites || letEveryoneWrite(log));
        ASSERT_TRUE(writeAll(
            backup, std::string("Varnex Software installer backup file.\n\0\2\0\0\0\1\0\0", 47)));
        NamedEvents events;
        ProcessResult result =
            EngineProcess::run(inQuotes(EngineProcess::enginePath()) +
                               " -uninstallFile=" + inQuotes(log) + " -gui=0 " + row.options);
        EXPECT_EQ(result.exitCode, row.exitCode) << result.output;
        EXPECT_TRUE(isSet(events.start) && isSet(events.end));
        EXPECT_EQ(fileExists(log), row.logKept);
        EXPECT_EQ(result.output.find("The uninstall is refused: \"" + log + "\" can be changed") !=
                      std::string::npos,
                  row.everyoneWrites)
            << result.output;
        EXPECT_TRUE(RegistryKey().open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ));
    }
    for (const std::string& file : {log, description, backup})
        DeleteFileA(file.c_str());
}

// A second uninstall command would keep the installed uninstaller running under the first one's
// removal: it refuses at once and starts no copy.
TEST_F(UninstallRelaunch, ASecondUninstallCommandRefusesWhileAnUninstallRuns) {
    UninstallerPresence running; // as the copy of a running uninstall holds it
    ASSERT_TRUE(running.held());
    ProcessResult result =
        EngineProcess::run(inQuotes(EngineProcess::enginePath()) +
                           " -uninstall=" + inQuotes(actionLog_) + " -uninstallApp=X -gui=0");
    EXPECT_EQ(result.exitCode, kMinusOne);
    EXPECT_NE(result.output.find("Another uninstall is still running"), std::string::npos)
        << result.output;
    EXPECT_TRUE(uninstallerCopyGone());
}
