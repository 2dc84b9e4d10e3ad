// The engine started on a package whose description uses every element of the schema: the
// debug log shows the loader's steps up to the start of the UI. The console wizard then waits
// for steps that are not part of loading, so the test ends the engine once the line is there.
#include "EngineProcess.h"
#include "tests/support/SampleDescription.h"
#include "tests/support/TestPayload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <windows.h>

namespace {
const char kDebugLog[] = "c:/kestrel.log.txt";

std::string besideThisProgram(const char* name) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string result(path, length);
    return result.substr(0, result.find_last_of("\\/") + 1) + name;
}

std::string readFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The messages of the debug log, without their number and time stamp.
std::vector<std::string> logMessages() {
    std::vector<std::string> messages;
    std::istringstream lines(readFile(kDebugLog));
    std::string line;
    while (std::getline(lines, line)) {
        size_t stamp = line.find("]    ");
        if (stamp == std::string::npos)
            continue;
        std::string message = line.substr(stamp + 5);
        if (!message.empty() && message.back() == '\r')
            message.pop_back();
        messages.push_back(message);
    }
    return messages;
}

bool contains(const std::vector<std::string>& messages, const std::string& wanted) {
    for (const auto& message : messages) {
        if (message == wanted)
            return true;
    }
    return false;
}

// Runs the engine with the arguments, its input empty and its output into `output`, until it
// ends or the debug log holds `untilLine`; then it is ended. Returns true when it ended alone.
bool runEngine(const std::string& arguments, const std::string& output, const char* untilLine) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE input =
        CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr);
    HANDLE out = CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process = {};
    std::string command = "\"" + besideThisProgram("kestrel.exe") + "\" " + arguments;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    bool started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process) != 0;
    CloseHandle(input);
    CloseHandle(out);
    if (!started)
        return false;
    bool endedAlone = false;
    for (int waited = 0; waited < 600; ++waited) {
        if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) {
            endedAlone = true;
            break;
        }
        if (untilLine != nullptr && contains(logMessages(), untilLine))
            break;
    }
    if (!endedAlone) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 10000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return endedAlone;
}

class EngineLoad : public ::testing::Test {
  protected:
    void SetUp() override {
        char directory[MAX_PATH];
        ASSERT_NE(GetTempPathA(sizeof directory, directory), 0u);
        directory_ = std::string(directory) + "kestrel-load";
        CreateDirectoryA(directory_.c_str(), nullptr);
        DeleteFileA(kDebugLog);
    }
    void TearDown() override {
        DeleteFileA(path("package.bin").c_str());
        DeleteFileA(path("output.txt").c_str());
        DeleteFileA(path("notice.txt").c_str());
        RemoveDirectoryA(directory_.c_str());
    }
    std::string path(const char* name) const { return directory_ + "\\" + name; }

    std::string writePackage() {
        std::string package = path("package.bin");
        EXPECT_TRUE(testpayload::writeFile(
            package, testpayload::build({{"install.xml", sampledescription::text()},
                                         {"..binsample.exe", "MZ"},
                                         {"AppIcon", std::string(16, '\0')}})));
        return package;
    }

    std::string directory_;
};
} // namespace

TEST_F(EngineLoad, FullDescriptionReachesTheInstallationUI) {
    std::string package = writePackage();
    runEngine("-bin=\"" + package + "\" -gui=0 -debug=1", path("output.txt"),
              "Starting installation UI");
    std::vector<std::string> messages = logMessages();
    const std::vector<std::string> expected = sampledescription::loaderSteps();
    auto first = std::find(messages.begin(), messages.end(), expected.front());
    ASSERT_NE(first, messages.end()) << readFile(kDebugLog);
    ASSERT_GE(static_cast<size_t>(messages.end() - first), expected.size());
    EXPECT_EQ(std::vector<std::string>(first, first + expected.size()), expected)
        << readFile(kDebugLog);
    EXPECT_EQ(messages.front(), "Installation started");
}

TEST_F(EngineLoad, MissingConfigurationFileGivesTheNoticeAndEndsTheLoad) {
    std::string package = writePackage();
    ProcessResult result =
        EngineProcess::run("\"" + EngineProcess::enginePath() + "\" -bin=\"" + package +
                           "\" -gui=0 -debug=1 -configFile=\"" + path("absent.xml") + "\"");
    EXPECT_EQ(result.exitCode, 0xFFFFFFFFul);
    std::vector<std::string> messages = logMessages();
    ASSERT_GE(messages.size(), 2u) << readFile(kDebugLog);
    EXPECT_EQ(messages[messages.size() - 2], "Initializing default values");
    EXPECT_EQ(messages.back(), "Installation finished (res=-1)");
    EXPECT_NE(result.output.find("Configuration file not found. Installation cannot continue."),
              std::string::npos)
        << result.output;
}
