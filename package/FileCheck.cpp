#include "package/FileCheck.h"

#include "package/WinFile.h"

#include <memory>
#include <zlib.h>

namespace {
constexpr uint32_t kChunk = 1u << 16;
constexpr int kFileNotFound = 2; // ERROR_FILE_NOT_FOUND
constexpr int kPathNotFound = 3; // ERROR_PATH_NOT_FOUND
} // namespace

uint32_t FileCheck::update(uint32_t crc, const void* bytes, size_t length) {
    const Bytef* data = static_cast<const Bytef*>(bytes);
    // zlib takes at most a uInt per call.
    while (length > 0) {
        uInt piece = length > 0x40000000u ? 0x40000000u : static_cast<uInt>(length);
        crc = static_cast<uint32_t>(crc32(crc, data, piece));
        data += piece;
        length -= piece;
    }
    return crc;
}

bool FileCheck::meansMissing(int error) {
    return error == kFileNotFound || error == kPathNotFound;
}

FileCheck::Result FileCheck::ofFile(const char* path) {
    Result result;
    WinFile file;
    int error =
        file.openPath(path, fileaccess::kRead, fileaccess::kShareRead | fileaccess::kShareWrite,
                      fileaccess::kOpenExisting);
    if (error != 0) {
        result.state = meansMissing(error) ? State::kMissing : State::kUnreadable;
        result.error = error;
        return result;
    }
    result.size = file.size();
    std::unique_ptr<unsigned char[]> chunk(new unsigned char[kChunk]);
    int64_t left = result.size;
    while (left > 0) {
        uint32_t want = left < kChunk ? static_cast<uint32_t>(left) : kChunk;
        uint32_t got = 0;
        error = file.read(chunk.get(), want, &got);
        if (error != 0 || got == 0) {
            // A file that cannot be read to its end has no check to compare.
            result.state = State::kUnreadable;
            result.error = error != 0 ? error : 38; // ERROR_HANDLE_EOF
            return result;
        }
        result.crc = update(result.crc, chunk.get(), got);
        left -= got;
    }
    result.state = State::kRead;
    return result;
}
