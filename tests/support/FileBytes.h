// Test helpers: a file's whole content, and writing one, through the standard streams.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace filebytes {
// The file's bytes; empty when it cannot be read.
inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// False when the file could not be written whole.
inline bool writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    out.close();
    return static_cast<bool>(out);
}
} // namespace filebytes
