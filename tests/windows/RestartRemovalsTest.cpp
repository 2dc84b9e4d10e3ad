// What an uninstall leaves for the next start of Windows, and a later installation taking its
// own file off that list.
#include "system/RestartRemovals.h"
#include "system/RegistryKey.h"
#include "system/WinHandle.h"
#include "tests/e2e/EngineProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

// The value's strings: what the cancel must keep of every other entry.
std::vector<std::wstring> pending() {
    RegistryKey key;
    DWORD size = 0;
    if (!key.open(HKEY_LOCAL_MACHINE, kSessionManager, KEY_QUERY_VALUE) ||
        RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, nullptr, nullptr,
                         &size) != ERROR_SUCCESS)
        return {};
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, nullptr,
                     reinterpret_cast<BYTE*>(data.data()), &size);
    std::vector<std::wstring> strings;
    for (size_t at = 0; at < size / sizeof(wchar_t); at += strings.back().size() + 1)
        strings.emplace_back(data.data() + at);
    return strings;
}
} // namespace

// The file goes now and so does its removal; the removal of another file and a rename stay as
// they were; a file not (or no longer) scheduled is no failure, and one still in use stays
// scheduled.
TEST(RestartRemovals, SettlingRemovesTheFileNowAndTakesOffOnlyItsRemoval) {
    const std::string folder = EngineProcess::tempFolder();
    const std::string ours = folder + "kestrel-restart-ours.exe",
                      other = folder + "kestrel-restart-other.txt",
                      renamed = folder + "kestrel-restart-from.txt";
    for (const std::string& file : {ours, other, renamed})
        ASSERT_TRUE(writeAll(file, "x"));
    ASSERT_TRUE(RestartRemovals::schedule(other.c_str()));
    ASSERT_TRUE(
        MoveFileExA(renamed.c_str(), (renamed + ".to").c_str(), MOVEFILE_DELAY_UNTIL_REBOOT));
    const std::vector<std::wstring> without = pending();
    ASSERT_FALSE(without.empty());
    ASSERT_TRUE(RestartRemovals::schedule(ours.c_str()));
    ASSERT_NE(pending(), without);

    std::string shouted = ours;
    for (char& c : shouted)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    {
        WinHandle inUse(CreateFileA(ours.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        EXPECT_FALSE(RestartRemovals::settle(ours.c_str()));
        EXPECT_NE(pending(), without);
    }
    EXPECT_TRUE(RestartRemovals::settle(shouted.c_str()));
    EXPECT_EQ(pending(), without);
    EXPECT_FALSE(fileExists(ours));
    EXPECT_TRUE(RestartRemovals::settle(ours.c_str()));
    EXPECT_EQ(pending(), without);

    RegistryKey key;
    ASSERT_TRUE(key.open(HKEY_LOCAL_MACHINE, kSessionManager, KEY_SET_VALUE));
    RegDeleteValueW(key.get(), L"PendingFileRenameOperations");
    EXPECT_TRUE(RestartRemovals::settle(ours.c_str()));
    for (const std::string& file : {ours, other, renamed})
        DeleteFileA(file.c_str());
}
