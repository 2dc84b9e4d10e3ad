#include "package/PayloadIndex.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <zlib.h>

namespace {
constexpr uint32_t kNameOffset = offsetof(PayloadRecordHeader, name);

// The bytes of a payload held whole in memory.
struct MemorySource {
    const unsigned char* data;
    const unsigned char* at(uint32_t position, uint32_t) const { return data + position; }
    const char* keepName(const char* name) const { return name; }
};
} // namespace

int PayloadIndex::checkMagicWords(const unsigned char* data, uint32_t length) {
    const uint32_t expected[3] = {payload::kMagic1, payload::kMagic2, payload::kMagic3};
    const int failure[3] = {payload::kBadMagic1, payload::kBadMagic2, payload::kBadMagic3};
    for (uint32_t i = 0; i < 3; ++i) {
        uint32_t at = i * 4;
        if (length < at + 4 || payload::readLittleEndian32(data + at) != expected[i])
            return failure[i];
    }
    return payload::kOk;
}

int PayloadIndex::readRecord(const unsigned char* header, uint32_t length, uint32_t position,
                             PayloadEntry& entry) {
    entry.offset = position;
    entry.size = payload::readLittleEndian32(header + 4);
    entry.compressedSize = payload::readLittleEndian32(header + 8);
    entry.kind = payload::readLittleEndian32(header + 12);
    entry.name = reinterpret_cast<const char*>(header + kNameOffset);
    uint32_t dataStart = position + payload::kRecordHeaderSize;
    if (entry.compressedSize > length - dataStart)
        return payload::kRecordPastEnd;
    if (std::memchr(entry.name, '\0', payload::kNameSize) == nullptr)
        return payload::kNameUnterminated;
    return payload::kOk;
}

int PayloadIndex::indexRecords(const unsigned char* data, uint32_t length,
                               RecordList<PayloadEntry>& entries, uint32_t* failedAt) {
    MemorySource source{data};
    return walkRecords(source, length, entries, failedAt);
}

PayloadRecordHeader PayloadIndex::recordHeader(const unsigned char* data,
                                               const PayloadEntry& entry) {
    PayloadRecordHeader header;
    std::memcpy(&header, data + entry.offset, sizeof header);
    return header;
}

int PayloadIndex::find(const RecordList<PayloadEntry>& entries, const char* name) {
    for (int i = entries.count() - 1; i >= 0; --i) {
        if (std::strcmp(entries[i].name, name) == 0)
            return i;
    }
    return -1;
}

unsigned char* PayloadIndex::unpack(const unsigned char* data, uint32_t length,
                                    const PayloadEntry& entry, uint32_t* produced) {
    // The entry came from indexRecords over the same bytes; checked again so that a stale or
    // hand-made record can never reach outside the payload.
    uint64_t dataEnd =
        static_cast<uint64_t>(entry.offset) + payload::kRecordHeaderSize + entry.compressedSize;
    if (data == nullptr || dataEnd > length)
        return nullptr;
    return inflateWhole(data + entry.offset + payload::kRecordHeaderSize, entry, produced);
}

unsigned char* PayloadIndex::inflateWhole(const unsigned char* compressed,
                                          const PayloadEntry& entry, uint32_t* produced) {
    uint64_t capacity = static_cast<uint64_t>(entry.size) + payload::kUnpackSlack;
    if (capacity > 0x7fffffffu)
        return nullptr;
    unsigned char* buffer = new (std::nothrow) unsigned char[static_cast<size_t>(capacity)];
    if (buffer == nullptr)
        return nullptr;
    uLongf done = static_cast<uLongf>(capacity);
    int status = uncompress(buffer, &done, compressed, entry.compressedSize);
    // The byte behind the data must stay free for the terminating zero.
    if (status != Z_OK || done >= capacity) {
        delete[] buffer;
        return nullptr;
    }
    buffer[done] = '\0';
    *produced = static_cast<uint32_t>(done);
    return buffer;
}
