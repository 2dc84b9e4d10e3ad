// Times an uninstall from inside Wine as a user runs it: the QuietUninstallString registered
// under HKLM\...\Uninstall\NAME, from the start of its process until every process it started
// has ended. Both uninstallers measured relaunch a copy of themselves from the temporary folder
// and end at once, so the command runs in a job object, which the copy joins as well.
//   uninstall-timer NAME LIMIT RESULT
// Writes "SECONDS EXITCODE" into RESULT: the first exit code other than 0 among the job's
// processes, else 0. LIMIT is in seconds.
// Exit code 0 when the uninstall ended within LIMIT and removed its registration (without which
// the next installation would run that uninstaller first), 1 otherwise, 2 for a bad command line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

double secondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
}

bool registeredCommand(const std::string& name, std::string& command) {
    char text[4096] = {};
    DWORD size = sizeof text;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, (kUninstallKey + name).c_str(), "QuietUninstallString",
                     RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
        std::fprintf(stderr, "uninstall-timer: no QuietUninstallString registered for %s\n",
                     name.c_str());
        return false;
    }
    command = text;
    return true;
}

bool stillRegistered(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kUninstallKey + name).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    std::fprintf(stderr, "uninstall-timer: %s is still registered\n", name.c_str());
    return true;
}

// The processes of one job: their handles, kept to read each one's exit code.
class Job {
  public:
    Job()
        : job_(CreateJobObjectA(nullptr, nullptr)),
          port_(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1)) {
        JOBOBJECT_ASSOCIATE_COMPLETION_PORT link{};
        link.CompletionKey = job_;
        link.CompletionPort = port_;
        ready_ = job_ != nullptr && port_ != nullptr &&
                 SetInformationJobObject(job_, JobObjectAssociateCompletionPortInformation, &link,
                                         sizeof link);
    }
    ~Job() {
        for (HANDLE process : processes_)
            CloseHandle(process);
        if (port_ != nullptr)
            CloseHandle(port_);
        if (job_ != nullptr)
            CloseHandle(job_);
    }

    // Started suspended and put into the job before it runs, so that nothing it starts escapes.
    bool start(std::string command) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!ready_ || !CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE,
                                       CREATE_SUSPENDED, nullptr, nullptr, &startup, &process)) {
            std::fprintf(stderr, "uninstall-timer: cannot start %s (error %lu)\n", command.c_str(),
                         GetLastError());
            return false;
        }
        bool joined = AssignProcessToJobObject(job_, process.hProcess) != 0;
        if (joined)
            ResumeThread(process.hThread);
        else
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return joined;
    }

    // True when the last process of the job ended within `milliseconds`.
    bool waitForAll(DWORD milliseconds) {
        ULONGLONG deadline = GetTickCount64() + milliseconds;
        for (;;) {
            ULONGLONG now = GetTickCount64();
            DWORD message = 0;
            ULONG_PTR key = 0;
            LPOVERLAPPED detail = nullptr;
            if (now >= deadline || !GetQueuedCompletionStatus(port_, &message, &key, &detail,
                                                              static_cast<DWORD>(deadline - now)))
                return false;
            if (message == JOB_OBJECT_MSG_NEW_PROCESS) {
                DWORD id = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(detail));
                HANDLE process =
                    OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id);
                if (process != nullptr)
                    processes_.push_back(process);
            } else if (message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) {
                return true;
            }
        }
    }

    DWORD firstFailure() const {
        for (HANDLE process : processes_) {
            DWORD code = 0;
            if (!GetExitCodeProcess(process, &code) || code != 0)
                return code;
        }
        return 0;
    }

  private:
    HANDLE job_;
    HANDLE port_;
    bool ready_ = false;
    std::vector<HANDLE> processes_;
};

bool report(const char* path, double seconds, DWORD exitCode) {
    FILE* file = std::fopen(path, "w");
    if (file == nullptr)
        return false;
    std::fprintf(file, "%.3f %lu\n", seconds, exitCode);
    return std::fclose(file) == 0;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: uninstall-timer NAME LIMIT RESULT\n");
        return 2;
    }
    DWORD limit = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
    std::string command;
    if (!registeredCommand(argv[1], command))
        return 1;
    Job job;
    LARGE_INTEGER startedAt;
    QueryPerformanceCounter(&startedAt);
    if (!job.start(command))
        return 1;
    bool ended = job.waitForAll(limit * 1000u);
    double seconds = secondsSince(startedAt);
    if (!ended)
        std::fprintf(stderr, "uninstall-timer: %s did not end within %lu s\n", command.c_str(),
                     limit);
    if (!report(argv[3], seconds, job.firstFailure()))
        return 1;
    return ended && !stillRegistered(argv[1]) ? 0 : 1;
}
