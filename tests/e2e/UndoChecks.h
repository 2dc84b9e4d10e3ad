// What the end-to-end tests of undos under faults look at after an engine run: its exit code and
// report lines, the product's registration, the machine-wide variables, the uninstaller's
// temporary copy and the temporary undo files. Shared by the tests of damaged undo data and of
// interrupted runs, so that both judge a run by the same rules.
#pragma once

#include "EngineProcess.h"
#include "system/RegistryKey.h"
#include "system/WinHandle.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace undochecks {
using Lines = std::vector<std::string>;
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kEnvironmentKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

inline Lines sorted(Lines lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

// A report line: one that begins with `start` and holds `part`.
struct Said {
    std::string start, part;
};

inline bool wasSaid(const std::string& output, const Said& said) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.compare(0, said.start.size(), said.start) == 0 && contains(line, said.part))
            return true;
    }
    return false;
}

// A run's output as a failure shows it: lines that name values of thousands of characters cut.
inline std::string shown(const std::string& output) {
    std::istringstream lines(output);
    std::string text;
    for (std::string line; std::getline(lines, line);)
        text += (line.size() > 300 ? line.substr(0, 300) + "..." : line) + "\n";
    return text;
}

// The exit code and the lines of one run, checked together so that its output is shown once.
inline void expectRun(const ProcessResult& run, unsigned long exitCode,
                      const std::vector<Said>& said, const std::vector<Said>& unsaid = {}) {
    std::string wrong;
    if (run.exitCode != exitCode)
        wrong += "exit code " + std::to_string(run.exitCode) + "\n";
    for (const Said& line : said) {
        if (!wasSaid(run.output, line))
            wrong += "not said: " + line.start + "..." + line.part + "\n";
    }
    for (const Said& line : unsaid) {
        if (wasSaid(run.output, line))
            wrong += "said: " + line.start + "..." + line.part + "\n";
    }
    EXPECT_EQ(wrong, "") << "output:\n" << shown(run.output);
}

inline void removeTree(const std::string& folder) {
    EngineProcess::run("cmd.exe /c rmdir /s /q \"" + folder + "\"");
}

inline void setVariable(const char* name, const std::string& value) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kEnvironmentKey, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>(value.size() + 1));
}

// A machine-wide string variable, whatever its length; "(none)" when it is not there.
inline std::string variable(const char* name) {
    DWORD size = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kEnvironmentKey, name, RRF_RT_REG_SZ, nullptr, nullptr,
                     &size) != ERROR_SUCCESS)
        return "(none)";
    std::string value(size + 1, '\0');
    size = static_cast<DWORD>(value.size());
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kEnvironmentKey, name, RRF_RT_REG_SZ, nullptr, &value[0],
                     &size) != ERROR_SUCCESS)
        return "(none)";
    value.resize(value.find('\0'));
    return value;
}

// The product's key, opened below the list of installed programs as the engine opens it: the
// system may refuse a whole path of more than 255 characters.
inline bool openProductKey(RegistryKey& key, const std::string& product, REGSAM access) {
    RegistryKey uninstall;
    return uninstall.open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ) &&
           key.open(uninstall.get(), product.c_str(), access);
}

// The product's key is there (with a registration, a run record or both).
inline bool isRegistered(const std::string& product) {
    RegistryKey key;
    return openProductKey(key, product, KEY_READ);
}

// Every value of the product's key: name -> data.
inline std::map<std::string, std::string> registrationValues(const std::string& product) {
    std::map<std::string, std::string> values;
    RegistryKey key;
    if (!openProductKey(key, product, KEY_READ))
        return values;
    for (DWORD index = 0;; ++index) {
        char name[256];
        char data[2048] = {};
        DWORD nameLength = sizeof name, size = sizeof data - 1;
        if (RegEnumValueA(key.get(), index, name, &nameLength, nullptr, nullptr,
                          reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
            return values;
        // A string's data ends with its terminating zero.
        values[name] = std::string(data, size > 0 && data[size - 1] == '\0' ? size - 1 : size);
    }
}

inline void removeProductKey(const std::string& product) {
    RegistryKey uninstall;
    if (uninstall.open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ | KEY_WRITE))
        RegDeleteKeyA(uninstall.get(), product.c_str());
}

// Whether the registered uninstaller's copy has gone: it removes the program that started it
// once that program has ended, then itself; its private folder stays empty until the next
// uninstall command removes it.
inline bool uninstallerCopyGone() {
    const std::string temp = EngineProcess::tempFolder();
    for (int i = 0; i < 200; ++i) {
        bool left = false;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((temp + "kestrel-uninstall-*").c_str(), &found);
        for (bool more = search != INVALID_HANDLE_VALUE; more && !left;
             more = FindNextFileA(search, &found))
            left = !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
                   !RemoveDirectoryA((temp + found.cFileName).c_str());
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        if (!left)
            return true;
        Sleep(50);
    }
    return false;
}

// The registered quiet command, started and waited for as deployment tools do (`options`
// appended; through the command interpreter when `throughCmd`); true when it ended with 0, its
// copy signalled the end and nothing of the copy stayed behind.
inline bool uninstallAsRegistered(const std::string& product, const std::string& options = "",
                                  bool throughCmd = false) {
    std::string command = registrationValues(product)["QuietUninstallString"];
    WinHandle end(CreateEventA(nullptr, FALSE, FALSE, "LumoUninstallerEnd"));
    ProcessResult result = EngineProcess::run(
        throughCmd ? "cmd.exe /c \"" + command + options + "\"" : command + options);
    bool ended = WaitForSingleObject(end.get(), 60000) == WAIT_OBJECT_0;
    EXPECT_EQ(result.exitCode, 0u) << result.output;
    return !command.empty() && result.exitCode == 0 && ended && uninstallerCopyGone();
}

// Whether a run left a temporary action log or backup file ("qzi*.tmp"); `remove` deletes them,
// so that a failed row leaves none for the next row's check to find.
inline bool undoFilesLeftInTemp(bool remove = false) {
    WIN32_FIND_DATAA found;
    const std::string temp = EngineProcess::tempFolder();
    HANDLE search = FindFirstFileA((temp + "qzi*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    for (bool more = remove; more; more = FindNextFileA(search, &found))
        DeleteFileA((temp + found.cFileName).c_str());
    FindClose(search);
    return true;
}

inline std::string tag(const std::string& name, const std::string& text) {
    return "<" + name + ">" + text + "</" + name + ">";
}
inline std::string fileItem(const std::string& dest, const std::string& alias,
                            const std::string& name) {
    return "<FN Dest=\"" + dest + "\" Alias=\"" + alias + "\">" + name + "</FN>";
}
inline std::string variableItem(const std::string& mode, const std::string& name,
                                const std::string& value) {
    return "<" + mode + " VarName=\"" + name + "\">" + value + "</" + mode + ">";
}
inline std::string iniItem(const std::string& file, const std::string& key,
                           const std::string& value) {
    return "<Add FileName=\"" + file + "\" Section=\"Plugins\" Key=\"" + key + "\">" + value +
           "</Add>";
}
inline std::string linkItem(const std::string& dest, const std::string& target,
                            const std::string& name) {
    return "<Add Type=\"File\" Dest=\"" + dest + "\" Target=\"" + target + "\">" + name + "</Add>";
}

// A product installed into `app` with its undo files in [APP]\uninst. The uninstaller's file set
// (the description, the engine and the placeholders at the undo files' final paths) follows the
// product's, as a vendor writes it, so a log cut behind the product's files lists none of it.
inline std::string description(const std::string& product, const std::string& app,
                               const std::string& files, const std::string& items,
                               const std::string& values) {
    return "<VarnexGroupInstallation><ProductDesc><Fullname>" + product +
           "</Fullname></ProductDesc><Dialogs><CopyProgress></CopyProgress><Finish></Finish>"
           "</Dialogs><UninstallDialogs><CopyProgress></CopyProgress><Finish></Finish>"
           "</UninstallDialogs><Installation><Uninstall>"
           "<InstallLogFile>[APP]\\uninst\\install.log</InstallLogFile>"
           "<InstallBackupFile>[APP]\\uninst\\backup.bin</InstallBackupFile>"
           "<UninstallXmlFile>[APP]\\uninst\\install.xml</UninstallXmlFile>"
           "<UninstallCmd>[APP]\\uninst\\uninstall.exe</UninstallCmd></Uninstall><DefValues>"
           "<Value Name=\"APP\" DataType=\"value\">" +
           app + "</Value>" + values + "</DefValues><FileSet Name=\"Product\">" + files +
           "</FileSet><FileSet Name=\"Uninstaller\"><FN Dest=\"[APP]\\uninst\">install.xml</FN>"
           "<FN Dest=\"[APP]\\uninst\" Alias=\"engine\">uninstall.exe</FN>"
           "<FN Dest=\"[APP]\\uninst\" Alias=\"placeholder\">install.log</FN>"
           "<FN Dest=\"[APP]\\uninst\" Alias=\"placeholder\">backup.bin</FN></FileSet>" +
           items + "</Installation></VarnexGroupInstallation>";
}

inline std::string installCommand(const std::string& package) {
    return inQuotes(EngineProcess::enginePath()) + " -gui=0 -quiet=1 -bin=" + inQuotes(package);
}
// What the registered command runs after its relaunch, on a copy of the installed log.
inline std::string uninstallCommand(const std::string& logCopy, const std::string& product) {
    return inQuotes(EngineProcess::enginePath()) + " -uninstallFile=" + inQuotes(logCopy) +
           " -uninstallApp=" + inQuotes(product) + " -gui=0 -quiet=1";
}
} // namespace undochecks
