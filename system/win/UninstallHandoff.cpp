#include "system/UninstallHandoff.h"

#include "package/BoundedText.h"
#include "system/FileSecurity.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {
// Handle values travel as decimal numbers on the command line.
bool parseHandle(const char*& text, HANDLE* handle) {
    char* end = nullptr;
    unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text || value == 0 || (*end != ',' && *end != '\0'))
        return false;
    *handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
    text = *end == ',' ? end + 1 : end;
    return true;
}

HANDLE inheritable(HANDLE handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE)
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    return handle;
}

// The copy's programs must not inherit these: a child holding the pipe would keep the waiting
// side waiting after the copy has ended.
bool keepToSelf(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) &&
           SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
}
} // namespace

bool UninstallHandoff::start(const std::string& command, const std::string& folder,
                             const std::string& copyProgram) {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!CreatePipe(&read, &write, nullptr, 0))
        return false;
    outcome_.reset(read);
    WinHandle writeEnd(inheritable(write));
    HANDLE self = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                         SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0))
        return false;
    WinHandle waiter(self);
    // Open with delete-on-close and inherited: the copy's program goes when the copy has ended,
    // the only moment it can go.
    WinHandle removal(CreateFileA(copyProgram.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!removal.valid())
        return false;
    inheritable(removal.get());
    char handles[96];
    if (boundedFormat(handles, sizeof handles, " -%s=%llu,%llu,%llu", kOption,
                      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(write)),
                      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(self)),
                      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(removal.get()))) <
        0)
        return false;
    std::string full = command + handles;
    if (full.size() >= 32767)
        return false;
    std::vector<char> line(full.begin(), full.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                        &startup, &started))
        return false;
    process_.reset(started.hProcess);
    WinHandle thread(started.hThread);
    return true;
}

int UninstallHandoff::awaitOutcome() {
    int32_t code = -1;
    DWORD read = 0;
    if (ReadFile(outcome_.get(), &code, sizeof code, &read, nullptr) && read == sizeof code)
        return code;
    // The copy ended without a word: its exit code is the outcome.
    WaitForSingleObject(process_.get(), INFINITE);
    copyEnded_ = true;
    DWORD exitCode = static_cast<DWORD>(-1);
    GetExitCodeProcess(process_.get(), &exitCode);
    return static_cast<int>(exitCode);
}

bool UninstallHandoff::adopt(const char* optionValue) {
    HANDLE write = nullptr;
    HANDLE waiter = nullptr;
    HANDLE removal = nullptr;
    const char* text = optionValue;
    if (text == nullptr || !parseHandle(text, &write) || !parseHandle(text, &waiter) ||
        !parseHandle(text, &removal) || *text != '\0')
        return false;
    // Only handles this process was given: a pipe, a process, a file.
    if (!keepToSelf(write) || !keepToSelf(waiter) || !keepToSelf(removal) ||
        GetFileType(write) != FILE_TYPE_PIPE || GetProcessId(waiter) == 0 ||
        GetFileType(removal) != FILE_TYPE_DISK)
        return false;
    outcome_.reset(write);
    process_.reset(waiter);
    // The removal handle is never closed here: only once the process has ended can its program
    // go, and the system closes the handle then.
    return true;
}

void UninstallHandoff::tellOutcome(int exitCode, unsigned long boundMs) {
    if (told_ || !outcome_.valid())
        return;
    told_ = true;
    int32_t code = exitCode;
    DWORD written = 0;
    WriteFile(outcome_.get(), &code, sizeof code, &written, nullptr);
    outcome_.reset();
    WaitForSingleObject(process_.get(), boundMs);
}

namespace {
const char kFolderPrefix[] = "\\kestrel-uninstall-";

// The temporary folder without its trailing separator; empty when it cannot be had whole.
std::string temporaryFolder() {
    char path[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof path, path);
    if (length == 0 || length >= sizeof path)
        return std::string();
    std::string folder(path, length);
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder;
}
} // namespace

std::string UninstallHandoff::createFolder() {
    std::string parent = temporaryFolder();
    if (parent.empty())
        return parent;
    // A name someone made first is passed over; the folder is never taken over.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        boundedFormat(name, sizeof name, "%s%lu-%lu-%u", kFolderPrefix,
                      static_cast<unsigned long>(GetCurrentProcessId()),
                      static_cast<unsigned long>(GetTickCount()), attempt);
        std::string folder = parent + name;
        if (FileSecurity::createPrivateFolder(folder.c_str()))
            return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    return std::string();
}

void UninstallHandoff::removeFolder(const std::string& folder) {
    for (const char* name : {kProgramName, kLogName})
        DeleteFileA((folder + "\\" + name).c_str());
    RemoveDirectoryA(folder.c_str());
}

void UninstallHandoff::leaveFolder() {
    char program[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program)
        return;
    std::string folder(program, length);
    size_t cut = folder.find_last_of('\\');
    // Only a folder made by createFolder is left this way.
    if (cut == std::string::npos || folder.find(kFolderPrefix) == std::string::npos)
        return;
    folder.erase(cut);
    // The program goes when this process ends (its removal handle); the folder, empty by then,
    // is removed by the next uninstall command that starts, or at the next start of Windows.
    std::string parent = temporaryFolder();
    SetCurrentDirectoryA(parent.c_str());
    MoveFileExA(program, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void UninstallHandoff::removeEmptyFolders() {
    std::string parent = temporaryFolder();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((parent + kFolderPrefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        // Only an empty one goes: a copy still running keeps its program there.
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveDirectoryA((parent + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}
