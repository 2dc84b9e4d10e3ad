// The uninstaller's relaunch and the real uninstall's frame, watched by a Windows process that
// creates the two named events as a waiting installer does.
#include "EngineProcess.h"

#include "system/WinHandle.h"

#include <gtest/gtest.h>

#include <string>

namespace {
constexpr unsigned long kMinusOne = 0xFFFFFFFFul;

std::string inQuotes(const std::string& text) {
    return "\"" + text + "\"";
}

class NamedEvents {
  public:
    NamedEvents()
        : start_(CreateEventA(nullptr, TRUE, FALSE, "LumoUninstallerStart")),
          end_(CreateEventA(nullptr, TRUE, FALSE, "LumoUninstallerEnd")) {}
    bool started(DWORD waitMs = 0) const { return isSet(start_, waitMs); }
    bool ended(DWORD waitMs = 0) const { return isSet(end_, waitMs); }

  private:
    static bool isSet(const WinHandle& event, DWORD waitMs) {
        return WaitForSingleObject(event.get(), waitMs) == WAIT_OBJECT_0;
    }
    WinHandle start_;
    WinHandle end_;
};

class UninstallRelaunch : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_ = EngineProcess::tempFolder();
        actionLog_ = temp_ + "kestrel test action.log";
        ASSERT_TRUE(writeFileBytes(actionLog_, "C:\\Product\\install.xml\r\n"));
        probeOutput_ = temp_ + "kestrel-probe-commandline.txt";
        waitForCopyToEnd();
        DeleteFileA(probeOutput_.c_str());
        DeleteFileA((temp_ + "lumouninst.log").c_str());
        DeleteFileA((temp_ + "lumouninst.dll").c_str());
    }
    void TearDown() override { DeleteFileA(actionLog_.c_str()); }

    std::string probeCommand(const std::string& options) const {
        return inQuotes(EngineProcess::testFolder() + "kestrel_relaunch_probe.exe") + " " + options;
    }
    // The probe's relaunched copy writes its command line and ends at once; on a busy machine
    // its start can take seconds.
    std::string relaunchedCommandLine() const {
        for (int i = 0; i < 600 && !fileExists(probeOutput_); ++i)
            Sleep(50);
        return readFileBytes(probeOutput_);
    }
    // Waits for the copy started by the previous relaunch to end, so that the next relaunch can
    // replace it.
    void waitForCopyToEnd() const {
        std::string copy = temp_ + "lumouninst.dll";
        for (int i = 0; i < 200; ++i) {
            HANDLE handle =
                CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (handle != INVALID_HANDLE_VALUE) {
                CloseHandle(handle);
                return;
            }
            Sleep(50);
        }
    }

    std::string temp_;
    std::string actionLog_;
    std::string probeOutput_;
};
} // namespace

TEST_F(UninstallRelaunch, CommandLineOfTheRelaunchedCopyByteForByte) {
    ProcessResult result = EngineProcess::run(probeCommand(
        "-uninstall=" + inQuotes(actionLog_) + " -uninstallApp=\"Example Product 2.1\" -gui=0"));
    EXPECT_EQ(result.exitCode, 0u);
    // The temporary folder ends with a backslash, so both paths carry a doubled one.
    EXPECT_EQ(relaunchedCommandLine(),
              "\"" + temp_ + "\\lumouninst.dll\" -uninstallFile=\"" + temp_ +
                  "\\lumouninst.log\" -uninstallApp=\"Example Product 2.1\" -gui=0");
    EXPECT_EQ(readFileBytes(temp_ + "lumouninst.log"), "C:\\Product\\install.xml\r\n");
    EXPECT_EQ(readFileBytes(temp_ + "lumouninst.dll"),
              readFileBytes(EngineProcess::testFolder() + "kestrel_relaunch_probe.exe"));

    DeleteFileA(probeOutput_.c_str());
    waitForCopyToEnd();
    result = EngineProcess::run(probeCommand("-uninstall=" + inQuotes(actionLog_) +
                                             " -uninstallApp=App -debug=1 -quiet=1"));
    EXPECT_EQ(result.exitCode, 0u);
    // Debug is not passed on, quiet is (a silent uninstall asks nothing); -gui=0 only when the
    // relauncher ran with gui 0.
    EXPECT_EQ(relaunchedCommandLine(), "\"" + temp_ + "\\lumouninst.dll\" -uninstallFile=\"" +
                                           temp_ +
                                           "\\lumouninst.log\" -uninstallApp=\"App\" -quiet=1");
}

TEST_F(UninstallRelaunch, UninstallWinsOverUninstallFile) {
    ProcessResult result = EngineProcess::run(
        probeCommand("-uninstallFile=C:\\elsewhere.log -uninstall=" + inQuotes(actionLog_) +
                     " -uninstallApp=A"));
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_NE(relaunchedCommandLine().find("-uninstallFile=\"" + temp_ + "\\lumouninst.log\""),
              std::string::npos);
}

TEST_F(UninstallRelaunch, RelaunchedEngineSignalsStartAndEnd) {
    NamedEvents events;
    ProcessResult result = EngineProcess::run(inQuotes(EngineProcess::enginePath()) +
                                              " -uninstall=" + inQuotes(actionLog_) +
                                              " -uninstallApp=\"Example\" -gui=0");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(events.started(20000));
    EXPECT_TRUE(events.ended(20000));
    // The copy ran without debug, so it removed its temporary action log before it ended.
    EXPECT_FALSE(fileExists(temp_ + "lumouninst.log"));
    EXPECT_TRUE(fileExists(temp_ + "lumouninst.dll"));
}

TEST_F(UninstallRelaunch, FailedRelaunchSignalsOnlyTheEnd) {
    NamedEvents events;
    ProcessResult result = EngineProcess::run(inQuotes(EngineProcess::enginePath()) +
                                              " -uninstall=\"C:\\no such\\install.log\""
                                              " -uninstallApp=X -gui=0");
    EXPECT_EQ(result.exitCode, kMinusOne);
    EXPECT_TRUE(events.ended());
    EXPECT_FALSE(events.started());
}

TEST_F(UninstallRelaunch, OverLongCommandLineIsRefusedNotCut) {
    NamedEvents events;
    std::string app(500, 'a');
    ProcessResult result = EngineProcess::run(
        probeCommand("-uninstall=" + inQuotes(actionLog_) + " -uninstallApp=" + inQuotes(app)));
    EXPECT_EQ(result.exitCode, kMinusOne);
    EXPECT_TRUE(events.ended());
    Sleep(300);
    EXPECT_FALSE(fileExists(probeOutput_)); // no copy was started
}

TEST_F(UninstallRelaunch, RealUninstallKeepsItsLogCopyOnlyInDebugMode) {
    std::string copy = temp_ + "uninstall copy.log";
    for (int debug = 0; debug <= 1; ++debug) {
        ASSERT_TRUE(writeFileBytes(copy, "C:\\Product\\install.xml\r\n"));
        NamedEvents events;
        ProcessResult result = EngineProcess::run(
            inQuotes(EngineProcess::enginePath()) + " -uninstallFile=" + inQuotes(copy) +
            " -uninstallApp=Example -gui=0 -debug=" + std::to_string(debug));
        // The description named by the log does not exist: the uninstall fails.
        EXPECT_EQ(result.exitCode, kMinusOne);
        EXPECT_TRUE(events.started());
        EXPECT_TRUE(events.ended());
        EXPECT_EQ(fileExists(copy), debug == 1) << "debug=" << debug;
    }
    DeleteFileA(copy.c_str());

    NamedEvents events;
    ProcessResult result = EngineProcess::run(inQuotes(EngineProcess::enginePath()) +
                                              " -uninstallFile=\"C:\\missing.log\" -gui=0");
    EXPECT_EQ(result.exitCode, kMinusOne);
    EXPECT_TRUE(events.started());
    EXPECT_TRUE(events.ended());
}

namespace {
const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

bool keyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool registrationExists(const char* name) {
    return keyExists(std::string(kUninstallKey) + "\\" + name);
}

bool createRegistration(const char* name) {
    HKEY key = nullptr;
    std::string path = std::string(kUninstallKey) + "\\" + name;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
} // namespace

TEST_F(UninstallRelaunch, FinishedUninstallRemovesItsRegistration) {
    // A description whose uninstall wizard runs the uninstall of a log without records.
    std::string description = temp_ + "kestrel uninstall.xml",
                backup = temp_ + "kestrel backup.bin";
    ASSERT_TRUE(writeFileBytes(
        description, "<VarnexGroupInstallation><ProductDesc><Fullname>Kestrel Test"
                     "</Fullname></ProductDesc><UninstallDialogs><CopyProgress></CopyProgress>"
                     "</UninstallDialogs><Installation><DefValues></DefValues></Installation>"
                     "</VarnexGroupInstallation>"));
    ASSERT_TRUE(writeFileBytes(
        backup, std::string("Varnex Software installer backup file.\n\0\1\0\0", 43)));
    std::string log = temp_ + "kestrel uninstall.log";
    std::string header = description + "\r\n" + backup + "\r\nNUMVARS\t0\r\n";
    ASSERT_TRUE(writeFileBytes(log, header));
    ASSERT_TRUE(createRegistration("Kestrel Test App"));
    NamedEvents events;
    ProcessResult result = EngineProcess::run(
        inQuotes(EngineProcess::enginePath()) + " -uninstallFile=" + inQuotes(log) +
        " -uninstallApp=\"Kestrel Test App\" -gui=0 -quiet=1");
    EXPECT_EQ(result.exitCode, 0u) << result.output;
    EXPECT_FALSE(registrationExists("Kestrel Test App"));
    EXPECT_TRUE(keyExists(kUninstallKey));
    EXPECT_FALSE(fileExists(log));
    EXPECT_TRUE(events.started());
    EXPECT_TRUE(events.ended());

    // An empty registration name names nothing to remove, and never the uninstall key itself.
    ASSERT_TRUE(writeFileBytes(log, header));
    result = EngineProcess::run(inQuotes(EngineProcess::enginePath()) + " -uninstallFile=" +
                                inQuotes(log) + " -uninstallApp=\"\" -gui=0 -quiet=1");
    EXPECT_EQ(result.exitCode, 0u) << result.output;
    EXPECT_TRUE(keyExists(kUninstallKey));
    DeleteFileA(description.c_str());
    DeleteFileA(backup.c_str());
}
