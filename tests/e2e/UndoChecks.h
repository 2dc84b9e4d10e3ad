// How the end-to-end tests judge an engine run and the machine after it, and the machine the
// tests of undos under faults and of interrupted runs start from.
#pragma once

#include "EngineProcess.h"
#include "MachineSnapshot.h"
#include "system/RegistryKey.h"
#include "system/WinHandle.h"
#include "tests/support/TestPayload.h"

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

// A report line: one that begins with `start` and holds `part`.
struct Said {
    std::string start, part;
};

// The exit code and the lines of one run, checked together: its output is shown once, lines cut.
inline void expectRun(const ProcessResult& run, unsigned long exitCode,
                      const std::vector<Said>& said, const std::vector<Said>& unsaid = {}) {
    std::string wrong = run.exitCode == exitCode ? "" : "exit code " + std::to_string(run.exitCode);
    std::string shown;
    std::map<const Said*, bool> found;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        shown += line.substr(0, 300) + "\n";
        for (const auto* list : {&said, &unsaid})
            for (const Said& s : *list)
                found[&s] = found[&s] || (line.compare(0, s.start.size(), s.start) == 0 &&
                                          contains(line, s.part));
    }
    for (const Said& s : said)
        wrong += found[&s] ? "" : "\nnot said: " + s.start + s.part;
    for (const Said& s : unsaid)
        wrong += found[&s] ? "\nsaid: " + s.start + s.part : "";
    EXPECT_EQ(wrong, "") << "output:\n" << shown;
}

inline void removeTree(const std::string& folder) {
    EngineProcess::run("cmd.exe /c rmdir /s /q \"" + folder + "\"");
}

// A machine-wide string variable; "(none)" when it is not there.
inline std::string variable(const char* name) {
    std::string value(65536, '\0');
    DWORD size = static_cast<DWORD>(value.size());
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kEnvironmentKey, name, RRF_RT_REG_SZ, nullptr, &value[0],
                     &size) != ERROR_SUCCESS)
        return "(none)";
    return value.substr(0, value.find('\0'));
}

// Opened below the uninstall key: the system may refuse a whole path over 255 characters.
inline bool openProductKey(RegistryKey& key, const std::string& product, REGSAM access) {
    RegistryKey uninstall;
    return uninstall.open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ) &&
           key.open(uninstall.get(), product.c_str(), access);
}

inline std::map<std::string, std::string> registrationValues(const std::string& product) {
    std::map<std::string, std::string> values;
    RegistryKey key;
    if (!openProductKey(key, product, KEY_READ))
        return values;
    for (DWORD index = 0;; ++index) {
        char name[256], data[2048] = {};
        DWORD nameLength = sizeof name, size = sizeof data - 1;
        if (RegEnumValueA(key.get(), index, name, &nameLength, nullptr, nullptr,
                          reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
            return values;
        values[name] = std::string(data, size > 0 && data[size - 1] == '\0' ? size - 1 : size);
    }
}

// Whether the registered uninstaller's copy has gone: it removes the program that started it
// once that program has ended, then itself and its private folder.
inline bool uninstallerCopyGone() {
    for (int i = 0; i < 200; ++i) {
        WIN32_FIND_DATAA found;
        HANDLE search =
            FindFirstFileA((EngineProcess::tempFolder() + "kestrel-uninstall-*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return true;
        FindClose(search);
        Sleep(50);
    }
    return false;
}

// The registered quiet command, waited for as deployment tools do: true when it ended with 0, its
// copy signalled the end and left nothing behind.
inline bool uninstallAsRegistered(const std::string& product, const std::string& options = "",
                                  bool throughCmd = false) {
    std::string command = registrationValues(product)["QuietUninstallString"];
    WinHandle end(CreateEventA(nullptr, FALSE, FALSE, "LumoUninstallerEnd"));
    ProcessResult result = EngineProcess::run(
        throughCmd ? "cmd.exe /c \"" + command + options + "\"" : command + options);
    bool ended = WaitForSingleObject(end.get(), 60000) == WAIT_OBJECT_0;
    EXPECT_EQ(result.exitCode, 0u) << result.output;
    EXPECT_TRUE(ended) << "the uninstall never signalled its end: " << result.output;
    bool gone = uninstallerCopyGone();
    EXPECT_TRUE(gone) << "the uninstaller's copy or its folder stayed: " << result.output;
    return !command.empty() && result.exitCode == 0 && ended && gone;
}

// Whether a run left a temporary undo file ("qzi*.tmp"); `remove` deletes them for the next row.
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

// A product installed into `app`, its undo files and uninstaller in [APP]\uninst.
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

// Bytes that differ from file to file and from one 4-byte word to the next.
inline std::string content(const std::string& seed, size_t size) {
    std::string bytes;
    for (unsigned i = 0; bytes.size() < size; ++i)
        bytes += seed + std::to_string(i * 2654435761u) + ";";
    return bytes.substr(0, size);
}

// What the user had before "Kestrel Undo" came: files it replaces (app\old<i>.txt), one it does
// not know, an INI file, a list variable, a folder for links. "big" in its package is 2 MiB.
class UndoMachine : public ::testing::Test {
  protected:
    static constexpr const char* kProduct = "Kestrel Undo";
    static constexpr const char* kList = "KESTRELUNDO_LIST";

    void SetUp() override { ASSERT_NO_FATAL_FAILURE(resetMachine()); }
    void TearDown() override {
        cleanUp();
        DeleteFileA(package_.c_str());
    }
    void resetMachine() {
        cleanUp();
        for (const std::string& folder : {root_, app_, links_})
            CreateDirectoryA(folder.c_str(), nullptr);
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(writeAll(replaced(i), previous(i)));
        ASSERT_TRUE(writeAll(app_ + "\\user.txt", "the user's own file\r\n"));
        ASSERT_TRUE(writeAll(ini_, "[Plugins]\r\nFirst=a\r\n"));
        static const char listBefore[] = "C:\\before;C:\\other";
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, kEnvironmentKey, kList, REG_SZ, listBefore,
                        sizeof listBefore);
    }
    void cleanUp() {
        held_.reset();
        uninstallerCopyGone();
        SetFileAttributesA(replaced(0).c_str(), FILE_ATTRIBUTE_NORMAL);
        removeTree(root_);
        if (!smallFolder_.empty())
            removeTree(smallFolder_);
        RegistryKey uninstall;
        if (uninstall.open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ | KEY_WRITE))
            for (const std::string& product : products_)
                RegDeleteKeyA(uninstall.get(), product.c_str());
        for (const char* name : {kList, "KESTRELUNDO_VALUE"})
            RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kEnvironmentKey, name);
        DeleteFileA(logCopy_.c_str());
        undoFilesLeftInTemp(true);
    }

    static std::string previous(int i) { return content("previous" + std::to_string(i), 5000); }
    static std::string installed(int i) { return content("installed" + std::to_string(i), 6000); }
    std::string replaced(int i) const { return app_ + "\\old" + std::to_string(i) + ".txt"; }
    static std::string replacedFiles() {
        std::string files;
        for (int i = 0; i < 3; ++i)
            files +=
                fileItem("[APP]", "new" + std::to_string(i), "old" + std::to_string(i) + ".txt");
        return files;
    }
    // New files in ten folders below [APP]\data.
    static std::string smallFiles(int count) {
        std::string files;
        for (int i = 0; i < count; ++i)
            files += fileItem("[APP]\\data\\d" + std::to_string(i % 10), "small",
                              "f" + std::to_string(i) + ".txt");
        return files;
    }
    std::string listItem() const {
        return tag("Environment", variableItem("Append", kList, "[APP]\\bin"));
    }
    std::string iniKeyItem() const { return tag("IniFiles", iniItem(ini_, "Kills", "[APP]")); }
    std::string linkItem(const std::string& dest, int target, const std::string& name) const {
        return "<Add Type=\"File\" Dest=\"" + dest + "\" Target=\"" + replaced(target) + "\">" +
               name + "</Add>";
    }
    std::string shortcutItem() const { return linkItem(links_, 0, "One.lnk"); }
    // The list entry, the INI key and two links, one in a folder the installation makes.
    std::string standardItems() const {
        return listItem() + iniKeyItem() +
               tag("Shortcuts", shortcutItem() + linkItem(links_ + "\\sub", 1, "Two.lnk"));
    }

    void writePackage(const std::string& files, const std::string& items = "",
                      const std::string& values = "", const std::string& product = kProduct) {
        products_.push_back(product);
        testpayload::Entries entries = {
            {"install.xml", description(product, app_, files, items, values)},
            {"engine", readAll(EngineProcess::enginePath())},
            {"placeholder", "placeholder"},
            {"small", "a small file\r\n"},
            {"big", std::string(2 << 20, 'k')}};
        for (int i = 0; i < 3; ++i)
            entries.push_back({"new" + std::to_string(i), installed(i)});
        ASSERT_TRUE(writeAll(package_, testpayload::build(entries)));
    }
    ProcessResult install() { return EngineProcess::run(installCommand(package_), "", 120000); }
    void installCompleted() {
        ProcessResult result = install();
        ASSERT_EQ(result.exitCode, 0u) << result.output;
    }
    void copyInstalledLog() const {
        ASSERT_TRUE(CopyFileA(actionLog_.c_str(), logCopy_.c_str(), FALSE))
            << "error " << GetLastError() << " copying " << actionLog_;
    }
    ProcessResult uninstall() {
        copyInstalledLog();
        return EngineProcess::run(uninstallCommand(logCopy_, kProduct), "", 120000);
    }
    MachineSnapshot snapshot() const {
        Lines folders = {root_, "C:\\Program Files"};
        if (!smallFolder_.empty())
            folders.push_back(smallFolder_);
        return MachineSnapshot(folders);
    }
    void expectMachineAsBefore(const MachineSnapshot& before) {
        EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
        EXPECT_FALSE(undoFilesLeftInTemp());
    }

    const std::string root_ = "C:\\kestrel-undo", app_ = root_ + "\\app";
    const std::string links_ = root_ + "\\links", ini_ = root_ + "\\host.ini";
    const std::string uninst_ = app_ + "\\uninst";
    const std::string actionLog_ = uninst_ + "\\install.log", backup_ = uninst_ + "\\backup.bin";
    const std::string package_ = EngineProcess::tempFolder() + "kestrel-undo.bin";
    const std::string logCopy_ = EngineProcess::tempFolder() + "kestrel-undo-uninstall.log";
    std::string smallFolder_; // a folder on the small drive, once a test made one
    WinHandle held_;
    Lines products_ = {kProduct};
};
} // namespace undochecks
