#include "system/ProcessStart.h"

#include <vector>

namespace {
const size_t kCommandLineLimit = 32767;
}

WinHandle ProcessStart::start(const std::string& commandLine, const Options& options) {
    if (commandLine.empty() || commandLine.size() >= kCommandLineLimit)
        return WinHandle();
    // The system may write into the command line it is given.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (options.input != nullptr || options.output != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = options.input;
        startup.hStdOutput = options.output;
        startup.hStdError = options.output;
    }
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, options.inheritHandles,
                        options.creationFlags, nullptr, options.folder, &startup, &started))
        return WinHandle();
    WinHandle thread(started.hThread);
    return WinHandle(started.hProcess);
}
