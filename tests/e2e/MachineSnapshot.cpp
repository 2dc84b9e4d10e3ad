#include "MachineSnapshot.h"

#include "EngineProcess.h"

#include <algorithm>

MachineSnapshot::MachineSnapshot(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders)
        addFolder(folder);
    addRegistryKey("environment",
                   "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment");
    addRegistryKey("uninstall", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
}

void MachineSnapshot::addFolder(const std::string& folder) {
    if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    items_["folder:" + folder] = "";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName, path = folder + "\\" + name;
        if (name == "." || name == "..")
            continue;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            addFolder(path);
        else
            items_["file:" + path] = readAll(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// Every value of the key and the names of its subkeys.
void MachineSnapshot::addRegistryKey(const std::string& name, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; ++index) {
        char valueName[16384];
        DWORD nameLength = sizeof valueName, type = 0, size = 0;
        if (RegEnumValueA(key, index, valueName, &nameLength, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        std::string data(size, '\0');
        nameLength = sizeof valueName;
        RegEnumValueA(key, index, valueName, &nameLength, nullptr, &type,
                      reinterpret_cast<BYTE*>(&data[0]), &size);
        items_["value:" + name + "\\" + valueName] = std::to_string(type) + ":" + data;
    }
    for (DWORD index = 0;; ++index) {
        char subKey[256];
        DWORD length = sizeof subKey;
        if (RegEnumKeyExA(key, index, subKey, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        items_["key:" + name + "\\" + subKey] = "";
    }
    RegCloseKey(key);
}

std::vector<std::string> MachineSnapshot::differencesFrom(const MachineSnapshot& before) const {
    std::vector<std::string> differences;
    for (const auto& item : items_) {
        auto earlier = before.items_.find(item.first);
        if (earlier == before.items_.end())
            differences.push_back("+ " + item.first);
        else if (earlier->second != item.second)
            differences.push_back("~ " + item.first);
    }
    for (const auto& item : before.items_) {
        if (items_.count(item.first) == 0)
            differences.push_back("- " + item.first);
    }
    std::sort(differences.begin(), differences.end());
    return differences;
}
