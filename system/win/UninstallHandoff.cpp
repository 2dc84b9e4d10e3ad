#include "system/UninstallHandoff.h"

#include "package/BoundedText.h"
#include "package/WinFile.h"
#include "system/FileSecurity.h"
#include "system/ProcessStart.h"
#include "system/UninstallerPresence.h"

#include <cstdint>
#include <cstdlib>

namespace {
const char kFolderPrefix[] = "\\kestrel-uninstall-";

// The temporary folder without its trailing separator; empty when it cannot be had whole.
std::string temporaryFolder() {
    char path[fileaccess::kPathSize];
    DWORD length = GetTempPathA(sizeof path, path);
    if (length == 0 || length >= sizeof path)
        return std::string();
    std::string folder(path, length);
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder;
}

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

unsigned long long number(HANDLE handle) {
    return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle));
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
    // The same for the folder, once it is empty: the last process to hold this handle is the
    // one the copy leaves behind to wait for its end (leaveFolder).
    WinHandle folderRemoval(CreateFileA(
        folder.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!removal.valid() || !folderRemoval.valid())
        return false;
    inheritable(removal.get());
    inheritable(folderRemoval.get());
    char handles[128];
    if (boundedFormat(handles, sizeof handles, " -%s=%llu,%llu,%llu,%llu", kOption, number(write),
                      number(self), number(removal.get()), number(folderRemoval.get())) < 0)
        return false;
    // Not started in its folder: a process's current folder cannot be removed.
    std::string parent = temporaryFolder();
    ProcessStart::Options options;
    options.inheritHandles = true;
    options.folder = parent.c_str();
    process_ = ProcessStart::start(command + handles, options);
    return process_.valid();
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
    HANDLE folderRemoval = nullptr;
    const char* text = optionValue;
    if (text == nullptr || !parseHandle(text, &write) || !parseHandle(text, &waiter) ||
        !parseHandle(text, &removal) || !parseHandle(text, &folderRemoval) || *text != '\0')
        return false;
    // Only handles this process was given: a pipe, a process, a file, a folder.
    if (!keepToSelf(write) || !keepToSelf(waiter) || !keepToSelf(removal) ||
        !keepToSelf(folderRemoval) || GetFileType(write) != FILE_TYPE_PIPE ||
        GetProcessId(waiter) == 0 || GetFileType(removal) != FILE_TYPE_DISK ||
        GetFileType(folderRemoval) != FILE_TYPE_DISK)
        return false;
    outcome_.reset(write);
    process_.reset(waiter);
    folderRemoval_.reset(folderRemoval);
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

bool UninstallHandoff::claimCommand() {
    SetLastError(ERROR_SUCCESS);
    command_.reset(CreateMutexA(nullptr, TRUE, "KestrelUninstallCommand"));
    if (!command_.valid())
        return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        DWORD result = WaitForSingleObject(command_.get(), 0);
        if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) {
            command_.reset();
            return false;
        }
    }
    // A copy whose command has ended may still be removing that command's program.
    if (UninstallerPresence::isHeldNow()) {
        ReleaseMutex(command_.get());
        command_.reset();
        return false;
    }
    return true;
}

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
    char program[fileaccess::kPathSize];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (!folderRemoval_.valid() || length == 0 || length >= sizeof program)
        return;
    std::string folder(program, length);
    size_t cut = folder.find_last_of('\\');
    // Only a folder made by createFolder is left this way.
    if (cut == std::string::npos || folder.find(kFolderPrefix) == std::string::npos)
        return;
    folder.erase(cut);
    std::string parent = temporaryFolder();
    SetCurrentDirectoryA(parent.c_str());
    // Should what follows not get there, they go at the next start of Windows.
    MoveFileExA(program, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    waitOutOnTheFolder(parent);
}

// This program can go only once its process has ended (its removal handle), and its folder only
// after that. A system program is left holding the folder's removal handle: it reads its input
// until this process has ended, then ends itself, and the folder, empty by then, goes with it.
void UninstallHandoff::waitOutOnTheFolder(const std::string& parent) {
    char system[fileaccess::kPathSize];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length == 0 || length >= sizeof system)
        return;
    std::string command = "\"" + std::string(system, length) + "\\cmd.exe\" /d /q /c set /p x=";
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!CreatePipe(&read, &write, &inherited, 0))
        return;
    WinHandle input(read);
    // Held until this process ends: then the waiter reads the end of its input.
    SetHandleInformation(write, HANDLE_FLAG_INHERIT, 0);
    WinHandle nul(CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                              OPEN_EXISTING, 0, nullptr));
    // Only these reach the waiter: not the standard handles of whoever started the uninstall.
    for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
        SetHandleInformation(GetStdHandle(which), HANDLE_FLAG_INHERIT, 0);
    inheritable(folderRemoval_.get());
    ProcessStart::Options options;
    options.inheritHandles = true;
    options.creationFlags = CREATE_NO_WINDOW;
    options.folder = parent.c_str();
    options.input = input.get();
    options.output = nul.get();
    ProcessStart::start(command, options);
    folderRemoval_.reset();
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
