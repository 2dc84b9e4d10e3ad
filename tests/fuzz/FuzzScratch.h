// Where the fuzz targets that write files keep them. Inputs (an action log, a backup file) and
// the seed corpora name paths below the fixed folder kNamedRoot; each process works below a
// folder of its own whose path has the same length, and every input is rewritten to it before
// use (lengths recorded in an input stay right). Two runs at once, such as a test run beside a
// long fuzzing run or parallel jobs, therefore never meet. Whatever the code under test deletes,
// writes or removes must lie strictly inside the target's folder; the targets skip every input
// that names anything else. The folder goes when the process ends normally.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace fuzzscratch {
constexpr const char* kNamedRoot = "/tmp/kestrel-fuzz-scratch/";

enum class Medium { kDisk, kMemory };

namespace detail {
inline std::string& rootOf(Medium medium) {
    static std::string roots[2];
    return roots[medium == Medium::kDisk ? 0 : 1];
}

inline void removeRoots() {
    std::error_code error;
    for (Medium medium : {Medium::kDisk, Medium::kMemory}) {
        if (!rootOf(medium).empty())
            std::filesystem::remove_all(rootOf(medium), error);
    }
}

// A folder that must be a real folder: a link standing there could lead anywhere.
inline void makeFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directory(folder, error);
    if (std::filesystem::is_symlink(folder, error) || !std::filesystem::is_directory(folder)) {
        std::fprintf(stderr, "%s is not a folder of this fuzz target\n", folder.c_str());
        std::abort();
    }
}
} // namespace detail

// This process's folder in place of kNamedRoot, as long as it. In memory, where the system
// offers it, for a target whose inputs name no path and whose files are synced on every write.
inline const std::string& processRoot(Medium medium = Medium::kDisk) {
    std::string& root = detail::rootOf(medium);
    if (!root.empty())
        return root;
    char id[16];
    std::snprintf(id, sizeof id, "%07d", static_cast<int>(::getpid() % 10000000));
    std::error_code error;
    bool memory = medium == Medium::kMemory && std::filesystem::is_directory("/dev/shm", error);
    root = std::string(memory ? "/dev/shm" : "/tmp") + "/kestrel-fuzz-" + id + "/";
    detail::makeFolder(root);
    static bool registered = std::atexit(detail::removeRoots) == 0;
    (void)registered;
    return root;
}

// The target's folder (with its trailing slash) below this process's folder, created when
// missing.
inline std::string prepare(const char* target, Medium medium = Medium::kDisk) {
    std::string folder = processRoot(medium) + target + "/";
    detail::makeFolder(folder);
    return folder;
}

// The bytes with every kNamedRoot replaced by this process's folder.
inline std::string rewritten(std::string bytes) {
    const std::string named = kNamedRoot;
    const std::string& own = processRoot();
    static_assert(sizeof "/tmp/kestrel-fuzz-scratch/" == sizeof "/tmp/kestrel-fuzz-0000000/",
                  "the process's folder must be as long as the named one");
    for (size_t at = bytes.find(named); at != std::string::npos;
         at = bytes.find(named, at + own.size()))
        bytes.replace(at, named.size(), own);
    return bytes;
}

// Empties the folder, leaving the folder itself.
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
