// Installations and uninstalls under faults, under Wine: nothing the user had may be lost.
#include "UndoChecks.h"

#include <cstdlib>
#include <functional>

namespace {
using namespace undochecks;
class UndoUnderFaults : public UndoMachine {
  protected:
    const std::string newFile_ = fileItem("[APP]\\data", "small", "a.txt");
    const std::string replaceFirst_ = fileItem("[APP]", "new0", "old0.txt");
};
} // namespace

// A file that cannot be read back is not one the user changed: all a retry needs stays.
TEST_F(UndoUnderFaults, AFileHeldOpenAtUninstallIsKeptForARetryThatFinishes) {
    const std::string target = replaced(0);
    ASSERT_NO_FATAL_FAILURE(writePackage(replaceFirst_ + newFile_));
    MachineSnapshot before = snapshot();
    ASSERT_NO_FATAL_FAILURE(installCompleted());
    held_.reset(CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held_.valid());
    expectRun(EngineProcess::run(registrationValues(kProduct)["QuietUninstallString"]), kMinusOne,
              {{"FAILED to restore " + target + ": ", ""}, {"", "The uninstall is not complete"}},
              {{"Left " + target, ""}});
    EXPECT_TRUE(uninstallerCopyGone());
    EXPECT_FALSE(registrationValues(kProduct).empty());
    for (const std::string& kept :
         {actionLog_, backup_, uninst_ + "\\install.xml", uninst_ + "\\uninstall.exe"})
        EXPECT_TRUE(fileExists(kept)) << kept;
    held_.reset();
    EXPECT_EQ(readAll(target), installed(0));
    EXPECT_TRUE(uninstallAsRegistered(kProduct));
    EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
}

// An uninstaller still in use at the end of its uninstall is left for the next start of Windows;
// installed again before that, it must not go then with the earlier leftovers, or the new
// registration could never be removed.
TEST_F(UndoUnderFaults, AnUninstallerLeftForTheRestartIsNotTakenWithTheNextInstallation) {
    const std::string program = uninst_ + "\\uninstall.exe";
    auto scheduled = [&program] {
        RegistryKey key;
        std::wstring list(65536, L'\0');
        DWORD size = static_cast<DWORD>(list.size() * sizeof(wchar_t));
        if (!key.open(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                      KEY_QUERY_VALUE) ||
            RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&list[0]), &size) != ERROR_SUCCESS)
            return false;
        std::wstring wide(program.begin(), program.end());
        return list.find(L"\\??\\" + wide + L'\0' + L'\0') != std::wstring::npos;
    };
    ASSERT_NO_FATAL_FAILURE(writePackage(newFile_));
    MachineSnapshot before = snapshot();
    ASSERT_NO_FATAL_FAILURE(installCompleted());
    held_.reset(CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr));
    ASSERT_TRUE(held_.valid());
    ProcessResult run =
        EngineProcess::run(registrationValues(kProduct)["QuietUninstallString"], "", 120000);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_TRUE(scheduled()) << run.output;
    held_.reset();
    ASSERT_NO_FATAL_FAILURE(installCompleted());
    EXPECT_FALSE(scheduled());
    EXPECT_TRUE(uninstallAsRegistered(kProduct));
    EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
}

// A file backed up but not written, or not even backed up, is rolled back, not left in its backup.
TEST_F(UndoUnderFaults, AFileThatCannotBeWrittenIsRolledBackToItsPreviousContent) {
    const std::string target = replaced(0);
    const char* drive = std::getenv("KESTREL_SMALL_DRIVE");
    auto asIs = [&] { return target; };
    // Each gives the file it hits, or "" when this system cannot have the fault.
    const struct {
        const char* fault;
        std::function<std::string()> prepare;
        bool held;
        DWORD share;
    } rows[] = {
        {"held open with read sharing", asIs, true, FILE_SHARE_READ},
        {"held open without sharing", asIs, true, 0},
        // Wine run as root lets a read-only file be opened for writing.
        {"read-only",
         [&] {
             SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
             WinHandle writer(CreateFileA(target.c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
             return writer.valid() ? "" : target;
         },
         false, 0},
        // KESTREL_SMALL_DRIVE: a folder on a RAM disk of about 1 MiB; "big" is 2 MiB.
        {"on a full disk",
         [&] {
             if (drive == nullptr || drive[0] == '\0')
                 return std::string();
             smallFolder_ = std::string(drive) + "\\kestrel-undo";
             CreateDirectoryA(smallFolder_.c_str(), nullptr);
             return writeAll(smallFolder_ + "\\small.txt", previous(0))
                        ? smallFolder_ + "\\small.txt"
                        : "";
         },
         false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        ASSERT_NO_FATAL_FAILURE(resetMachine());
        const std::string path = row.prepare();
        if (path.empty()) {
            std::printf("[ SKIPPED  ] a file %s: this system cannot have it\n", row.fault);
            continue;
        }
        // The faulty file is listed first: the engine takes it last, after old1.txt was replaced.
        const std::string folder = path.substr(0, path.rfind('\\'));
        ASSERT_NO_FATAL_FAILURE(writePackage(
            fileItem(folder, path == target ? "new0" : "big", path.substr(folder.size() + 1)) +
                newFile_ + fileItem("[APP]", "new1", "old1.txt"),
            standardItems()));
        MachineSnapshot before = snapshot();
        if (row.held)
            held_.reset(CreateFileA(target.c_str(), GENERIC_READ, row.share, nullptr, OPEN_EXISTING,
                                    0, nullptr));
        ASSERT_TRUE(!row.held || held_.valid());
        expectRun(
            install(), kMinusOne,
            {{"FAILED to ", path}, {"Restore " + replaced(1), ""}, {"Installation failed.", ""}},
            {{"", "could not be undone"}});
        held_.reset();
        expectMachineAsBefore(before);
        EXPECT_EQ((GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) != 0,
                  std::string(row.fault) == "read-only");
    }
}
