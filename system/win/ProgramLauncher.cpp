#include "system/ProgramLauncher.h"

#include "package/BoundedText.h"
#include "package/SystemLibrary.h"
#include "package/WinFile.h"
#include "system/ProcessStart.h"
#include "system/RegistryKey.h"
#include "system/RegistryReader.h"
#include "system/WinHandle.h"

#include <cstring>
#include <windows.h>

#include <shellapi.h>

namespace {
// A quoted program path of MAX_PATH characters in UTF-8 and the caller's arguments (texts of at
// most 511 bytes); longer command lines are not started.
constexpr int kCommandLineSize = fileaccess::kPathSize + 3 + 512;
// The association's class name and command (a program path and its options) are read up to this
// size; longer ones are not used.
constexpr int kAssociationSize = fileaccess::kPathSize + 256;
constexpr DWORD kHelpCreationFlags = CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS |
                                     CREATE_NEW_PROCESS_GROUP | CREATE_DEFAULT_ERROR_MODE;

// Starts the command line without waiting for the program; true when it started.
bool startProcess(const char* commandLine, DWORD creationFlags) {
    ProcessStart::Options options;
    options.creationFlags = creationFlags;
    return ProcessStart::start(commandLine, options).valid();
}

bool openDocument(const char* file) {
    auto* shellExecute =
        SystemLibrary::function<decltype(ShellExecuteA)>("shell32.dll", "ShellExecuteA");
    if (shellExecute == nullptr)
        return false;
    HINSTANCE result = shellExecute(nullptr, "open", file, nullptr, nullptr, SW_SHOWDEFAULT);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

// A file name or an address is one argument: a double quote or a line break in it would end
// the quotes around it and hand the program more than that one argument.
bool isSingleArgument(const char* text) {
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '"' || static_cast<unsigned char>(*c) < 0x20)
            return false;
    }
    return true;
}

// The file is quoted so that a path with spaces names one program; the arguments are the
// caller's own command-line text and go in as they are.
bool startProgram(const char* file, const char* arguments) {
    char commandLine[kCommandLineSize];
    int length = arguments != nullptr
                     ? boundedFormat(commandLine, sizeof commandLine, "\"%s\" %s", file, arguments)
                     : boundedFormat(commandLine, sizeof commandLine, "\"%s\"", file);
    return isSingleArgument(file) && length >= 0 && startProcess(commandLine, 0);
}

// The command of the ".htm" association: the class named by ".htm", then that class's open
// command. False when either is missing or does not fit.
bool readHtmlCommand(char (&command)[kAssociationSize]) {
    char className[kAssociationSize];
    char commandKey[kAssociationSize + 32];
    RegistryKey classKey;
    return RegistryReader::readText("HKEY_CLASSES_ROOT", ".htm", nullptr, className,
                                    sizeof className) &&
           className[0] != '\0' && classKey.open(HKEY_CLASSES_ROOT, className, KEY_READ) &&
           boundedFormat(commandKey, sizeof commandKey, "%s\\shell\\open\\command", className) >=
               0 &&
           RegistryReader::readText("HKEY_CLASSES_ROOT", commandKey, nullptr, command,
                                    sizeof command);
}

// The address takes the place of the first "%1", or follows the command after one space.
bool insertAddress(const char* command, const char* address,
                   char (&commandLine)[kCommandLineSize]) {
    const char* placeholder = std::strstr(command, "%1");
    if (placeholder == nullptr)
        return boundedFormat(commandLine, sizeof commandLine, "%s %s", command, address) >= 0;
    return boundedFormat(commandLine, sizeof commandLine, "%.*s%s%s",
                         static_cast<int>(placeholder - command), command, address,
                         placeholder + 2) >= 0;
}
} // namespace

bool ProgramLauncher::launch(const char* file, Kind kind, const char* arguments) {
    if (file == nullptr || file[0] == '\0')
        return false;
    if (kind == Kind::kDocument)
        return openDocument(file);
    return startProgram(file, arguments);
}

void ProgramLauncher::showHelpDocument(const char* address) {
    if (address == nullptr || address[0] == '\0' || !isSingleArgument(address))
        return;
    char command[kAssociationSize];
    char commandLine[kCommandLineSize];
    if (readHtmlCommand(command) && insertAddress(command, address, commandLine))
        startProcess(commandLine, kHelpCreationFlags);
}
