#include "system/DirectoryMatch.h"

#include <cstdio>

namespace {
const char kProbeName[] = "/test$$$$.$$$file";

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// Quotes cannot be part of a Windows path, so every one of them is dropped.
std::string comparable(const std::string& path) {
    std::string folded;
    for (char c : path) {
        if (c == '"')
            continue;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        folded += c == '/' ? '\\' : c;
    }
    // "C:\" and "\" keep their separator: without it they name another folder.
    while (folded.size() > 1 && isSeparator(folded.back()) && folded[folded.size() - 2] != ':')
        folded.pop_back();
    return folded;
}

bool fileExists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    std::fclose(file);
    return true;
}
} // namespace

bool DirectoryMatch::sameText(const std::string& listed, const std::string& wanted) {
    std::string left = comparable(listed);
    return !left.empty() && left == comparable(wanted);
}

bool DirectoryMatch::same(const std::string& listed, const std::string& wanted, Probe probe) {
    return sameText(listed, wanted) || (probe != nullptr && probe(listed, wanted));
}

bool DirectoryMatch::isSameDirectory(const std::string& listed, const std::string& wanted) {
    // An empty text would put the probe at the root of the current drive.
    if (listed.empty() || wanted.empty())
        return false;
    std::string written = wanted + kProbeName;
    if (fileExists(written))
        return false;
    std::FILE* probe = std::fopen(written.c_str(), "wb");
    if (probe == nullptr)
        return false;
    bool complete = std::fwrite("test", 1, 4, probe) == 4;
    complete = std::fclose(probe) == 0 && complete;
    bool same = complete && fileExists(listed + kProbeName);
    std::remove(written.c_str());
    return same;
}
