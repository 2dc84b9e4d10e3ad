// The engine started on a package whose description uses every element of the schema, with a
// configuration file that is missing: the load stops with the notice, and the debug log names
// the file.
#include "EngineProcess.h"
#include "tests/support/SampleDescription.h"
#include "tests/support/TestPayload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>
#include <windows.h>

namespace {
const char kDebugLog[] = "c:/kestrel.log.txt";

// The messages of the debug log, without their number and time stamp.
std::vector<std::string> logMessages() {
    std::vector<std::string> messages;
    std::istringstream lines(readFileBytes(kDebugLog));
    for (std::string line; std::getline(lines, line);) {
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

class EngineLoad : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteFileA(kDebugLog);
        EXPECT_TRUE(testpayload::writeFile(
            package_, testpayload::build({{"install.xml", sampledescription::text()},
                                          {"..binsample.exe", "MZ"},
                                          {"AppIcon", std::string(16, '\0')}})));
    }
    void TearDown() override { DeleteFileA(package_.c_str()); }

    ProcessResult runEngine(const std::string& arguments) {
        return EngineProcess::run("\"" + EngineProcess::enginePath() + "\" -bin=\"" + package_ +
                                  "\" -gui=0 -debug=1 " + arguments);
    }

    std::string package_ = EngineProcess::tempFolder() + "kestrel-load.bin";
};
} // namespace

TEST_F(EngineLoad, MissingConfigurationFileGivesTheNoticeAndEndsTheLoad) {
    std::string absent = EngineProcess::tempFolder() + "kestrel-absent.xml";
    ProcessResult result = runEngine("-configFile=\"" + absent + "\"");
    EXPECT_EQ(result.exitCode, 0xFFFFFFFFul);
    std::vector<std::string> messages = logMessages();
    ASSERT_GE(messages.size(), 3u) << readFileBytes(kDebugLog);
    EXPECT_EQ(std::vector<std::string>(messages.end() - 3, messages.end()),
              (std::vector<std::string>{"Initializing default values",
                                        "Configuration file \"" + absent + "\" not found",
                                        "Installation finished (res=-1)"}));
    EXPECT_EQ(result.output,
              "Configuration file not found. Installation cannot continue.\r\nPress <Enter>");
}
