// A backup file's bytes written out by hand, to check what the engine writes and to feed its
// reader.
#pragma once

#include "engine/BackupFile.h"
#include "package/FileCheck.h"

#include <string>

namespace backupbytes {
inline std::string littleEndian(uint64_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
    return out;
}
inline uint32_t checkOf(const std::string& content) {
    return FileCheck::of(content.data(), content.size());
}
// The previous content of `path`, recorded with the check of what was installed over it.
inline std::string entry(const std::string& path, const std::string& previous, uint32_t installed) {
    return littleEndian(path.size() + 1, 2) + path + '\0' + littleEndian(previous.size(), 8) +
           littleEndian(installed, 4) + littleEndian(checkOf(previous), 4) + previous;
}
inline std::string entry(const std::string& path, const std::string& previous,
                         const std::string& installed) {
    return entry(path, previous, checkOf(installed));
}
// The header (the names in UTF-8, the native build's code page), the entries and, unless the
// file was cut short, the end record.
inline std::string file(const std::string& entries = "", bool ended = true) {
    return std::string(BackupFile::kHeader) + '\0' + littleEndian(BackupFile::kFormatVersion, 4) +
           littleEndian(65001, 4) + entries + (ended ? std::string("\1\0\0", 3) : "");
}
} // namespace backupbytes
