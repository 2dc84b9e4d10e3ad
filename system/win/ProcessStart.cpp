#include "system/ProcessStart.h"

#include <vector>

namespace {
const size_t kCommandLineLimit = 32767;
// A busy machine now and then fails a start it could not set up in time with
// ERROR_INTERNAL_ERROR; the same start a moment later succeeds.
const int kAttempts = 3;
const DWORD kRetryMs = 200;

bool create(std::vector<char>& line, const ProcessStart::Options& options, STARTUPINFOA& startup,
            PROCESS_INFORMATION& started) {
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, options.inheritHandles,
                           options.creationFlags, nullptr, options.folder, &startup, &started))
            return true;
        if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == kAttempts)
            return false;
        Sleep(kRetryMs);
    }
}
} // namespace

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
    if (!create(line, options, startup, started))
        return WinHandle();
    WinHandle thread(started.hThread);
    return WinHandle(started.hProcess);
}
