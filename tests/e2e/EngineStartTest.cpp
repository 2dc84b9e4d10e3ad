// The engine started as Windows would start it: no payload, damaged packages, the debug log,
// the administrator check and over-long options.
#include "EngineProcess.h"

#include "system/RegistryKey.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

// The engine's standard output is in text mode, as every Windows console program's: its line
// feeds arrive as CR LF.
namespace {
const char* kDebugLog = "c:\\kestrel.log.txt";
constexpr unsigned long kMinusOne = 0xFFFFFFFFul;

std::string inQuotes(const std::string& text) {
    return "\"" + text + "\"";
}

std::string engineCommand(const std::string& options) {
    return inQuotes(EngineProcess::enginePath()) + " " + options;
}

// A payload with the three magic words and nothing in it but the end record.
std::string emptyPayload() {
    std::string bytes(64 + 608, '\0');
    const unsigned char magic[12] = {0x27, 0x63, 0x27, 0x63, 0x12, 0x26,
                                     0x09, 0x75, 0x13, 0x18, 0x01, 0x78};
    bytes.replace(0, 12, reinterpret_cast<const char*>(magic), 12);
    const unsigned char end[4] = {0x03, 0x00, 0x27, 0x63};
    bytes.replace(64, 4, reinterpret_cast<const char*>(end), 4);
    return bytes;
}

// The lines of the debug log without their number and time-stamp prefix, after checking it.
std::vector<std::string> debugLogMessages() {
    std::string text = readFileBytes(kDebugLog);
    std::vector<std::string> messages;
    std::regex line("^( {0,3}\\d+):  \\[\\d{4}/(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)/"
                    "\\d{1,2}\\|\\d\\d:\\d\\d:\\d\\d\\]    ([^\r\n]*)\r\n");
    std::smatch match;
    int expectedNumber = 0;
    while (std::regex_search(text, match, line, std::regex_constants::match_continuous)) {
        EXPECT_EQ(std::stoi(match[1].str()), expectedNumber++);
        EXPECT_GE(match[1].str().size(), 4u);
        messages.push_back(match[3].str());
        text = match.suffix().str();
    }
    EXPECT_EQ(text, "") << "unparsed rest of the debug log";
    return messages;
}

class EngineStart : public ::testing::Test {
  protected:
    void SetUp() override { DeleteFileA(kDebugLog); }
};
} // namespace

TEST_F(EngineStart, WithoutPayloadItSaysSoAndFails) {
    ProcessResult result = EngineProcess::run(engineCommand("-gui=0 -debug=1"));
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, kMinusOne);
    EXPECT_EQ(result.output,
              "The file \"" + EngineProcess::enginePath() + "\" is not an installer package.\r\n");
    std::vector<std::string> expected = {
        "Installation started", "Getting module handle", "Loading riched20.dll",
        "Initializing with file=\"" + EngineProcess::enginePath() + "\", offset=1313423967",
        "Installation finished (res=-3)"};
    EXPECT_EQ(debugLogMessages(), expected);
}

TEST_F(EngineStart, WithoutDebugThereIsNoLogAndABareDebugOptionIsOff) {
    ProcessResult result = EngineProcess::run(engineCommand("-gui=0"));
    EXPECT_EQ(result.exitCode, kMinusOne);
    EXPECT_FALSE(fileExists(kDebugLog));
    result = EngineProcess::run(engineCommand("-gui=0 -debug"));
    EXPECT_EQ(result.exitCode, kMinusOne);
    EXPECT_FALSE(fileExists(kDebugLog));
}

TEST_F(EngineStart, PackageFromBinOption) {
    std::string missing = EngineProcess::tempFolder() + "no such package.bin";
    ProcessResult result =
        EngineProcess::run(engineCommand("-gui=0 -debug=1 -bin=" + inQuotes(missing)));
    EXPECT_EQ(result.exitCode, kMinusOne);
    EXPECT_EQ(result.output, "The file \"" + missing + "\" cannot be opened.\r\n");
    std::vector<std::string> messages = debugLogMessages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "Installation finished (res=-2)");

    // A payload cut inside its header.
    std::string empty = EngineProcess::tempFolder() + "empty.bin";
    ASSERT_TRUE(writeFileBytes(empty, emptyPayload().substr(0, 40)));
    result = EngineProcess::run(engineCommand("-gui=0 -bin=" + inQuotes(empty)));
    EXPECT_EQ(result.exitCode, kMinusOne);
    EXPECT_EQ(result.output, "The file \"" + empty + "\" is truncated.\r\n");
    DeleteFileA(empty.c_str());
}

TEST_F(EngineStart, OverLongConfigFileNameIsRefused) {
    std::string name = "C:\\" + std::string(520, 'c') + ".xml";
    ProcessResult result =
        EngineProcess::run(engineCommand("-gui=0 -debug=1 -configFile=" + inQuotes(name)));
    EXPECT_EQ(result.exitCode, kMinusOne);
    EXPECT_EQ(result.output, "The name given with -configFile is too long.\r\n");
    std::vector<std::string> messages = debugLogMessages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages.back(), "Installation finished (res=-1)");
}

TEST_F(EngineStart, FailedAdministratorCheckEndsBeforeAnythingElse) {
    const char* key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    RegistryKey current;
    ASSERT_TRUE(current.open(HKEY_LOCAL_MACHINE, key, KEY_READ | KEY_WRITE));
    char folder[MAX_PATH] = {};
    DWORD size = sizeof folder;
    ASSERT_EQ(RegQueryValueExA(current.get(), "ProgramFilesDir", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(folder), &size),
              ERROR_SUCCESS);
    // A program-files folder that cannot be written to.
    const char* unwritable = "C:\\no-such-folder\\deeper";
    ASSERT_EQ(RegSetValueExA(current.get(), "ProgramFilesDir", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(unwritable),
                             static_cast<DWORD>(strlen(unwritable) + 1)),
              ERROR_SUCCESS);
    ProcessResult result = EngineProcess::run(engineCommand("-gui=0 -debug=1"));
    RegSetValueExA(current.get(), "ProgramFilesDir", 0, REG_SZ, reinterpret_cast<BYTE*>(folder),
                   size);
    EXPECT_EQ(result.exitCode, kMinusOne);
    EXPECT_EQ(result.output, ""); // the message box has no console side
    EXPECT_FALSE(fileExists(kDebugLog));
}
