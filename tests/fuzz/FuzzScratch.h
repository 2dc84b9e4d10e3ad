// Inputs name paths below kNamedRoot; each process works in a folder of its own of the same length
// (recorded lengths stay right, parallel runs never meet). Inputs naming anything outside are
// skipped.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzzscratch {
constexpr const char* kNamedRoot = "/tmp/kestrel-fuzz-scratch/";

inline void makeFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directory(folder, error);
    if (std::filesystem::is_symlink(folder, error) || !std::filesystem::is_directory(folder)) {
        std::fprintf(stderr, "%s is not a folder of this fuzz target\n", folder.c_str());
        std::abort();
    }
}

inline const std::string& processRoot() {
    static std::string root; // outlives the exit handler below
    if (root.empty()) {
        std::error_code error;
        std::string base = std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm/kestrel-"
                                                                            : "/tmp/kestrel-fuzz-";
        int digits = static_cast<int>(std::string(kNamedRoot).size() - base.size() - 1);
        char id[16];
        std::snprintf(id, sizeof id, "%0*d", digits, static_cast<int>(::getpid() % 10000000));
        root = base + id + "/";
        makeFolder(root);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(root, ignored);
        });
    }
    return root;
}

inline std::string prepare(const char* target) {
    std::string folder = processRoot() + target + "/";
    makeFolder(folder);
    return folder;
}

inline std::string rewritten(std::string bytes) {
    const std::string named = kNamedRoot, &own = processRoot();
    for (size_t at = bytes.find(named); at != std::string::npos;
         at = bytes.find(named, at + own.size()))
        bytes.replace(at, named.size(), own);
    return bytes;
}

inline void empty(const std::string& folder) {
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder, error))
        std::filesystem::remove_all(item.path(), error);
}

// The levels of `path` behind the folder ("." and empty levels count none), up to its first zero.
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

inline bool inside(const std::string& path, const std::string& folder) {
    std::string text(path.c_str());
    return text.compare(0, folder.size(), folder) == 0 && text.find("..") == std::string::npos &&
           levelsBelow(text, folder) > 0;
}
} // namespace fuzzscratch
