// Where the fuzz targets that write files keep them. Inputs and seeds name paths below the fixed
// folder kNamedRoot; each process works below a folder of its own of the same length, and every
// input is rewritten to it before use (lengths recorded in an input stay right), so that two runs
// at once never meet. Whatever the code under test deletes or writes must lie strictly inside the
// target's folder; the targets skip every input that names anything else. The folder goes when
// the process ends normally.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzzscratch {
constexpr const char* kNamedRoot = "/tmp/kestrel-fuzz-scratch/";

// A folder that must be a real folder: a link standing there could lead anywhere.
inline void makeFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directory(folder, error);
    if (std::filesystem::is_symlink(folder, error) || !std::filesystem::is_directory(folder)) {
        std::fprintf(stderr, "%s is not a folder of this fuzz target\n", folder.c_str());
        std::abort();
    }
}

// This process's folder in place of kNamedRoot, as long as it; in memory when `memory` is set
// and the system offers it (for a target whose files are synced on every write).
inline const std::string& processRoot(bool memory = false) {
    static std::string roots[2];
    std::string& root = roots[memory ? 1 : 0];
    if (root.empty()) {
        char id[16];
        std::snprintf(id, sizeof id, "%07d", static_cast<int>(::getpid() % 10000000));
        std::error_code error;
        bool shm = memory && std::filesystem::is_directory("/dev/shm", error);
        root = std::string(shm ? "/dev/shm" : "/tmp") + "/kestrel-fuzz-" + id + "/";
        makeFolder(root);
        std::atexit([] {
            std::error_code ignored;
            for (const std::string& made : roots)
                if (!made.empty())
                    std::filesystem::remove_all(made, ignored);
        });
    }
    return root;
}

// The target's folder (with its trailing slash), created when missing.
inline std::string prepare(const char* target, bool memory = false) {
    std::string folder = processRoot(memory) + target + "/";
    makeFolder(folder);
    return folder;
}

// The bytes with every kNamedRoot replaced by this process's folder.
inline std::string rewritten(std::string bytes) {
    const std::string named = kNamedRoot, &own = processRoot();
    static_assert(sizeof "/tmp/kestrel-fuzz-scratch/" == sizeof "/tmp/kestrel-fuzz-0000000/");
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

// The levels of `path` behind the folder (runs of separators count as one, "." levels as none),
// up to its first zero byte, where the code under test stops reading too.
inline int levelsBelow(const std::string& path, const std::string& folder) {
    std::string text(path.c_str());
    int levels = 0;
    for (size_t at = folder.size(), end; at < text.size(); at = end + 1) {
        end = std::min(text.find_first_of("/\\", at), text.size());
        std::string level = text.substr(at, end - at);
        levels += !level.empty() && level != "." ? 1 : 0;
    }
    return levels;
}

// Whether the text names something strictly inside the folder: it begins with the folder, holds
// no "..", and names at least one level below it.
inline bool inside(const std::string& path, const std::string& folder) {
    std::string text(path.c_str());
    return text.compare(0, folder.size(), folder) == 0 && text.find("..") == std::string::npos &&
           levelsBelow(text, folder) > 0;
}
} // namespace fuzzscratch
