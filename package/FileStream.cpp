#include "package/FileStream.h"

#include <algorithm>
#include <memory>
#include <new>

int FileStream::writeString(const char* text, uint16_t length, uint32_t* written) {
    unsigned char prefix[2] = {static_cast<unsigned char>(length & 0xff),
                               static_cast<unsigned char>(length >> 8)};
    uint32_t count = 0;
    int result = write(prefix, 2, &count);
    if (written != nullptr)
        *written = count;
    if (result != 0)
        return result;
    if (count != 2)
        return -1;
    if (length == 0)
        return 0;
    result = write(text, length, &count);
    if (written != nullptr)
        *written = count + 2;
    return result;
}

static int readLengthPrefix(FileStream& stream, uint16_t* length, uint32_t* got) {
    unsigned char prefix[2] = {0, 0};
    uint32_t count = 0;
    int result = stream.read(prefix, 2, &count);
    if (got != nullptr)
        *got = count;
    if (result != 0)
        return result;
    if (count < 2)
        return -1;
    *length = static_cast<uint16_t>(prefix[0] | (prefix[1] << 8));
    return 0;
}

int FileStream::readString(char* buffer, uint16_t* length, uint32_t* got) {
    *length = 0;
    uint16_t stored = 0;
    int result = readLengthPrefix(*this, &stored, got);
    if (result != 0 || stored == 0)
        return result;
    uint32_t count = 0;
    result = read(buffer, stored, &count);
    if (got != nullptr)
        *got = count + 2;
    *length = stored;
    return result;
}

int FileStream::readText(char* buffer, uint16_t* capacityOrLength, uint32_t* got) {
    uint16_t stored = 0;
    int result = readLengthPrefix(*this, &stored, got);
    if (result != 0 || stored == 0)
        return result;
    if (stored > *capacityOrLength - 1)
        return -1;
    uint32_t count = 0;
    result = read(buffer, stored, &count);
    // Terminate after what actually arrived, so a short read never leaves stale bytes behind.
    buffer[count <= stored ? count : stored] = '\0';
    if (got != nullptr)
        *got = count + 2;
    *capacityOrLength = stored;
    return result;
}

int copyStream(FileStream& destination, FileStream& source, int64_t count, int64_t* totalRead,
               int64_t* totalWritten, int chunkSize) {
    *totalRead = 0;
    *totalWritten = 0;
    if (count <= 0)
        return 0;
    const int kDefaultChunk = 32768;
    const int kMaxChunk = 32 * 1024 * 1024;
    int chunk = chunkSize <= 0 ? kDefaultChunk : std::min(chunkSize, kMaxChunk);
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<size_t>(chunk)]);
    if (!buffer)
        return -1;
    int64_t remaining = count;
    while (remaining > 0) {
        uint32_t wanted = static_cast<uint32_t>(std::min<int64_t>(chunk, remaining));
        uint32_t got = 0;
        int result = source.read(buffer.get(), wanted, &got);
        if (result != 0)
            return result;
        *totalRead += got;
        bool lastPass = got < wanted;
        uint32_t written = 0;
        if (got > 0) {
            result = destination.write(buffer.get(), got, &written);
            if (result != 0)
                return result;
        }
        *totalWritten += written;
        remaining -= written;
        if (lastPass)
            break;
    }
    return 0;
}
