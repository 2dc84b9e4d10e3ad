// The folder where the fuzz targets that write files keep them: one fixed folder per target
// below /tmp/kestrel-fuzz-scratch, so that an input (an action log, a backup file) can name paths
// in it and the seed corpora can carry them. Whatever the code under test deletes, writes or
// removes must lie strictly inside it; the targets skip every input that names anything else.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace fuzzscratch {
constexpr const char* kRoot = "/tmp/kestrel-fuzz-scratch/";

// For a target whose inputs name no path: in memory where the system offers it, since its
// files are synced to disk on every write.
constexpr const char* kMemoryRoot = "/dev/shm/kestrel-fuzz-scratch/";

// The target's folder (with its trailing slash), created when missing. A link standing there
// could lead anywhere: the target then stops at once.
inline std::string prepare(const char* target, const char* root = kRoot) {
    std::error_code error;
    if (root == kMemoryRoot && !std::filesystem::is_directory("/dev/shm", error))
        root = kRoot;
    std::string folder = std::string(root) + target + "/";
    for (const std::string& level : {std::string(root), folder}) {
        std::filesystem::create_directory(level, error);
        if (std::filesystem::is_symlink(level, error) || !std::filesystem::is_directory(level)) {
            std::fprintf(stderr, "%s is not a folder of this fuzz target\n", level.c_str());
            std::abort();
        }
    }
    return folder;
}

// Removes everything inside the folder, leaving the folder itself.
inline void empty(const std::string& folder) {
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder, error))
        std::filesystem::remove_all(item.path(), error);
}

inline bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// The levels of `path` behind the folder (runs of separators count as one, "." levels as none).
// Code under test sees a text only up to its first zero byte, and so does this count.
inline int levelsBelow(const std::string& path, const std::string& folder) {
    std::string text(path.c_str());
    int levels = 0;
    size_t at = folder.size();
    while (at < text.size()) {
        size_t end = at;
        while (end < text.size() && !isSeparator(text[end]))
            ++end;
        std::string level = text.substr(at, end - at);
        levels += !level.empty() && level != "." ? 1 : 0;
        at = end + 1;
    }
    return levels;
}

// Whether the text (up to its first zero byte) names something strictly inside the folder: it
// begins with the folder and its slash, holds no "..", and names at least one level below it.
inline bool inside(const std::string& path, const std::string& folder) {
    std::string text(path.c_str());
    return text.compare(0, folder.size(), folder) == 0 && text.find("..") == std::string::npos &&
           levelsBelow(text, folder) > 0;
}
} // namespace fuzzscratch
