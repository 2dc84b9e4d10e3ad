// The packer's few file-system needs, kept in one place so that a Windows build of the packer
// only has to look here.
#pragma once

#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

class HostFiles {
  public:
    // Reads a whole regular file. On failure returns false and says why in `error`.
    static bool readFile(const std::string& path, Bytes& out, std::string& error);
    // Writes `count` bytes, creating or emptying the file.
    static bool writeFile(const std::string& path, const unsigned char* data, size_t count,
                          std::string& error);
    static bool isRegularFile(const std::string& path);
    static bool isDirectory(const std::string& path);
    static bool makeDirectories(const std::string& path, std::string& error);
    // Names of the regular files directly in `folder`, sorted bytewise so that every run
    // sees them in the same order.
    static std::vector<std::string> listFiles(const std::string& folder);
    // The folder part of a path ("." when there is none).
    static std::string folderOf(const std::string& path);
    static std::string join(const std::string& folder, const std::string& name);
    static bool replaceFile(const std::string& from, const std::string& to, std::string& error);
    static void removeFile(const std::string& path);
    static void makeExecutable(const std::string& path);
    // Whether progress lines would reach a person (standard error is a terminal).
    static bool errorsGoToTerminal();
};
