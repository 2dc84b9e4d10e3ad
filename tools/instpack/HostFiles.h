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
    // Maps a whole regular file for reading (an empty one to no bytes). Should another program
    // shrink the file while it is mapped, the packer stops with a message saying so.
    static bool mapFile(const std::string& path, const unsigned char*& data, size_t& size,
                        std::string& error);
    static void unmapFile(const unsigned char* data, size_t size);
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
    // Whether both paths name one existing file (same device and inode), however spelled.
    static bool isSameFile(const std::string& first, const std::string& second);
    // Whether the path, as written, is a symbolic link ("link/" names the folder behind it).
    static bool isSymbolicLink(const std::string& path);
    // Creates an empty file under a name unique to this run in the folder of `path`
    // (".instpack-PID-N.part"), with the permissions of a new file; its name goes to `temporary`.
    static bool createTemporary(const std::string& path, std::string& temporary,
                                std::string& error);
    // Writes `count` bytes under a temporary name and renames it over `path`: whatever stands
    // at `path`, a symbolic link too, is replaced and never written through.
    static bool writeFileReplacing(const std::string& path, const unsigned char* data, size_t count,
                                   std::string& error);
    static bool replaceFile(const std::string& from, const std::string& to, std::string& error);
    static void removeFile(const std::string& path);
    static void makeExecutable(const std::string& path);
    // Whether progress lines would reach a person (standard error is a terminal).
    static bool errorsGoToTerminal();
};
