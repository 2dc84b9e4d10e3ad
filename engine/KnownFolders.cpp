#include "engine/KnownFolders.h"

bool KnownFolders::contains(const char* folder) const {
    return seen_.count(folder) != 0;
}

void KnownFolders::add(const char* folder, int madeLevels) {
    std::string level = folder;
    seen_.insert(level);
    for (int i = 0; i < madeLevels && level.size() > 1; ++i) {
        made_[level];
        // "C:\a\b\" is the folder "b" of "C:\a\".
        size_t cut = level.find_last_of("\\/", level.size() - 2);
        if (cut == std::string::npos)
            break;
        std::string child = level.substr(cut + 1, level.size() - cut - 2);
        level.erase(cut + 1);
        seen_.insert(level);
        if (i + 1 < madeLevels)
            made_[level];
        // A folder made in a folder the run made before is one of the names standing there.
        noteWritten(level.c_str(), child.c_str());
    }
}

std::string KnownFolders::plainName(const char* name) {
    std::string plain;
    for (const char* c = name; *c != '\0'; ++c) {
        char lower = *c >= 'A' && *c <= 'Z' ? static_cast<char>(*c - 'A' + 'a') : *c;
        bool allowed = (lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9') ||
                       lower == '.' || lower == '_' || lower == '-' || lower == ' ';
        if (!allowed)
            return "";
        plain.push_back(lower);
    }
    if (plain.empty() || plain.back() == '.' || plain.back() == ' ')
        return "";
    return plain;
}

bool KnownFolders::mayHold(const char* folder, const char* name) const {
    auto made = made_.find(folder);
    if (made == made_.end() || !made->second.plain)
        return true;
    std::string plain = plainName(name);
    return plain.empty() || made->second.names.count(plain) != 0;
}

void KnownFolders::noteWritten(const char* folder, const char* name) {
    auto made = made_.find(folder);
    if (made == made_.end())
        return;
    std::string plain = plainName(name);
    if (plain.empty())
        made->second.plain = false;
    else
        made->second.names.insert(plain);
}
