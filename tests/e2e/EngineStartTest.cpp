// The engine started on what it cannot install, with the debug log each run leaves.
#include "EngineProcess.h"

#include "tests/support/TestPayload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {
const char* kDebugLog = "c:\\kestrel.log.txt";

ProcessResult runEngine(const std::string& options) {
    DeleteFileA(kDebugLog);
    return EngineProcess::run(inQuotes(EngineProcess::enginePath()) + " -gui=0 " + options);
}

// The debug log's messages, without numbers and time stamps.
std::string debugLogMessages() {
    std::istringstream lines(readAll(kDebugLog));
    std::string messages;
    for (std::string line; std::getline(lines, line);) {
        size_t at = line.find("]    ") + 5; // the CR of the line's end goes too
        messages += line.substr(at, line.size() - at - 1) + "\n";
    }
    return messages;
}
} // namespace

// Unattended, the reason a run could not start is its only trace: printed in quiet mode too.
TEST(EngineStart, ItSaysWhyItCannotStartAndTheDebugLogEndsWithTheResult) {
    const std::string engine = EngineProcess::enginePath(), temp = EngineProcess::tempFolder();
    const std::string package = temp + "kestrel-start.bin";
    const std::string bin = "-bin=" + inQuotes(package) + " ";
    const std::string notPackage = "The file \"" + engine + "\" is not an installer package.\r\n";
    std::string damaged = testpayload::build({{"install.xml", "<R><ProductDesc/></R>"}});
    damaged[damaged.size() - 608 - 3] ^= 0x5a; // inside the deflate stream's check sum
    const std::string loadable = testpayload::build(
        {{"install.xml",
          "<R><ProductDesc></ProductDesc><Dialogs></Dialogs><DefValues></DefValues></R>"}});
    // logEnd: how the debug log ends, empty when there must be none.
    const struct {
        std::string options, payload, printed, logEnd;
    } rows[] = {
        {"-debug=1", "", notPackage,
         "Installation started\nGetting module handle\nLoading riched20.dll\nInitializing with "
         "file=\"" +
             engine + "\", offset=1313423967\nInstallation finished (res=-3)\n"},
        {"-debug=1 " + bin, "", "The file \"" + package + "\" cannot be opened.\r\n",
         "Installation finished (res=-2)\n"},
        {"-quiet=1 " + bin, damaged,
         "The installer package is damaged: its install.xml entry cannot be unpacked.\r\n", ""},
        {"-quiet=1 " + bin, loadable.substr(0, loadable.size() - 100),
         "The file \"" + package + "\" is truncated.\r\n", ""},
        {"-debug=1 -configFile=" + inQuotes("C:\\" + std::string(520, 'c') + ".xml"), "",
         "The name given with -configFile is too long.\r\n", "Installation finished (res=-1)\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options.substr(0, 80));
        DeleteFileA(package.c_str());
        ASSERT_TRUE(row.payload.empty() || writeAll(package, row.payload));
        ProcessResult result = runEngine(row.options);
        EXPECT_EQ(result.exitCode, kMinusOne);
        EXPECT_EQ(result.output, row.printed);
        if (row.logEnd.empty()) {
            EXPECT_FALSE(fileExists(kDebugLog));
            continue;
        }
        std::string log = debugLogMessages();
        EXPECT_EQ(log.substr(log.size() - std::min(log.size(), row.logEnd.size())), row.logEnd);
    }
    DeleteFileA(package.c_str());
}

TEST(EngineStart, FailedAdministratorCheckEndsBeforeAnythingElse) {
    const char* key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    char folder[MAX_PATH] = {};
    DWORD size = sizeof folder;
    ASSERT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir", RRF_RT_REG_SZ, nullptr,
                           folder, &size),
              ERROR_SUCCESS);
    // A program-files folder that cannot be written to.
    const char unwritable[] = "C:\\no-such-folder\\deeper";
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir", REG_SZ, unwritable,
                              sizeof unwritable),
              ERROR_SUCCESS);
    // The window's message box has no console side; an unattended run is told on its console
    // and never waits on a box.
    ProcessResult windowed =
        EngineProcess::run(inQuotes(EngineProcess::enginePath()) + " -debug=1");
    ProcessResult unattended = runEngine("-debug=1 -quiet=1");
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir", REG_SZ, folder, size);
    EXPECT_EQ(windowed.exitCode, kMinusOne);
    EXPECT_EQ(windowed.output, "");
    EXPECT_EQ(unattended.exitCode, kMinusOne);
    EXPECT_EQ(unattended.output.find("This program requires Administrative privileges."), 0u)
        << unattended.output;
    EXPECT_FALSE(fileExists(kDebugLog));
}
