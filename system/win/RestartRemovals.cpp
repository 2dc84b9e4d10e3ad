#include "system/RestartRemovals.h"

#include "system/RegistryKey.h"
#include "system/RegistryValue.h"

#include <string>
#include <vector>
#include <windows.h>

namespace {
const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPending[] = L"PendingFileRenameOperations";

// The strings of the list (none when there is no list), or false when it is not a REG_MULTI_SZ
// value or cannot be read whole.
bool readList(HKEY key, std::vector<std::wstring>* strings) {
    std::vector<wchar_t> data;
    DWORD size = 0;
    // Another program scheduling a removal may grow the list between its size and its reading
    // (an uninstaller copy ending as the next installation starts): a few rounds settle that.
    LONG status = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 5 && status == ERROR_MORE_DATA; ++attempt) {
        DWORD type = 0;
        size = 0;
        status = RegQueryValueExW(key, kPending, nullptr, &type, nullptr, &size);
        if (status == ERROR_FILE_NOT_FOUND)
            return true;
        if (status != ERROR_SUCCESS || type != REG_MULTI_SZ || size > RegistryValue::kLargestText)
            return false;
        data.assign(size / sizeof(wchar_t) + 2, L'\0');
        status = RegQueryValueExW(key, kPending, nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
        if (status == ERROR_FILE_NOT_FOUND)
            return true;
    }
    if (status != ERROR_SUCCESS)
        return false;
    // A removal's target is an empty string inside the list: every string up to the end of the
    // data counts, but for the empty one that closes the list.
    size_t end = size / sizeof(wchar_t);
    for (size_t at = 0; at < end;) {
        std::wstring text(data.data() + at);
        at += text.size() + 1;
        strings->push_back(std::move(text));
    }
    if (strings->size() % 2 != 0 && strings->back().empty())
        strings->pop_back();
    return true;
}

bool writeList(HKEY key, const std::vector<std::wstring>& strings) {
    if (strings.empty()) {
        LONG status = RegDeleteValueW(key, kPending);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    std::vector<wchar_t> data;
    for (const std::wstring& text : strings)
        data.insert(data.end(), text.c_str(), text.c_str() + text.size() + 1);
    data.push_back(L'\0');
    return RegSetValueExW(key, kPending, 0, REG_MULTI_SZ,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// The source as Windows keeps it for a removal of `path`; empty when the path has no wide form.
std::wstring scheduledForm(const char* path) {
    int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    if (length <= 1)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return L"\\??\\" + wide;
}

// Takes the removal of `source` out of the pairs; false when there is none.
bool takeOut(std::vector<std::wstring>& strings, const std::wstring& source) {
    for (size_t i = 0; !source.empty() && i + 1 < strings.size(); i += 2) {
        if (strings[i + 1].empty() && lstrcmpiW(strings[i].c_str(), source.c_str()) == 0) {
            strings.erase(strings.begin() + static_cast<std::ptrdiff_t>(i),
                          strings.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            return true;
        }
    }
    return false;
}

// The path, then each folder above it down to the one below the drive's root.
std::vector<std::string> pathAndFolders(const char* path) {
    std::vector<std::string> levels = {path};
    std::string folder = path;
    for (size_t cut = folder.find_last_of("\\/"); cut != std::string::npos && cut > 2;
         cut = folder.find_last_of("\\/")) {
        folder.erase(cut);
        levels.push_back(folder);
    }
    return levels;
}

bool removedNow(BOOL removed) {
    DWORD error = GetLastError();
    return removed || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}
} // namespace

bool RestartRemovals::schedule(const char* path) {
    return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

bool RestartRemovals::settle(const char* path) {
    RegistryKey key;
    std::vector<std::wstring> strings;
    if (!key.open(HKEY_LOCAL_MACHINE, kSessionManager, KEY_QUERY_VALUE) ||
        !readList(key.get(), &strings))
        return false;
    bool changed = false;
    std::vector<std::string> levels = pathAndFolders(path);
    for (size_t level = 0; level < levels.size(); ++level) {
        std::vector<std::wstring> without = strings;
        if (!takeOut(without, scheduledForm(levels[level].c_str())))
            continue;
        // An odd string at the end is not a pair: a list that damaged is not rewritten.
        if (strings.size() % 2 != 0)
            return false;
        // The file must go now; a folder goes only when nothing is left in it, else it stays
        // for the next start, which leaves a folder with something in it where it is.
        bool removed = level == 0 ? removedNow(DeleteFileA(levels[level].c_str()))
                                  : removedNow(RemoveDirectoryA(levels[level].c_str()));
        if (level == 0 && !removed)
            return false;
        if (removed) {
            strings = std::move(without);
            changed = true;
        }
    }
    RegistryKey writable;
    return !changed || (writable.open(HKEY_LOCAL_MACHINE, kSessionManager, KEY_SET_VALUE) &&
                        writeList(writable.get(), strings));
}
