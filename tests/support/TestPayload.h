// Test helper: writes a package in the engine's payload layout (magic words, 608-byte record
// headers, zlib streams, end record) so that tests can start the loader on a package without
// the packer.
#pragma once

#include "package/PayloadEntry.h"
#include "package/PayloadFormat.h"
#include "tests/support/FileBytes.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>
#include <zlib.h>

namespace testpayload {
using Entries = std::vector<std::pair<std::string, std::string>>; // name, data

inline void putWord(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

inline std::string build(const Entries& entries) {
    std::string out;
    for (uint32_t magic : {payload::kMagic1, payload::kMagic2, payload::kMagic3})
        putWord(out, magic);
    out.append(payload::kHeaderSize - out.size(), '\0');
    for (const auto& entry : entries) {
        uLongf packedSize = compressBound(static_cast<uLong>(entry.second.size()));
        std::string packed(packedSize, '\0');
        compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
                  reinterpret_cast<const Bytef*>(entry.second.data()),
                  static_cast<uLong>(entry.second.size()), Z_BEST_COMPRESSION);
        packed.resize(packedSize);
        PayloadRecordHeader header;
        std::memset(&header, 0, sizeof header);
        header.type = payload::kTypeEntry;
        header.size = static_cast<uint32_t>(entry.second.size());
        header.compressedSize = static_cast<uint32_t>(packed.size());
        std::snprintf(header.sourceName, sizeof header.sourceName, "%s", entry.first.c_str());
        std::snprintf(header.name, sizeof header.name, "%s", entry.first.c_str());
        out.append(reinterpret_cast<const char*>(&header), sizeof header);
        out += packed;
    }
    putWord(out, payload::kTypeEnd);
    out.append(payload::kRecordHeaderSize - 4, '\0');
    return out;
}

inline bool writeFile(const std::string& path, const std::string& data) {
    return filebytes::writeAll(path, data);
}
} // namespace testpayload
