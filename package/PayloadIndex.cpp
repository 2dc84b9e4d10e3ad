#include "package/PayloadIndex.h"

#include "package/PayloadFormat.h"

#include <cstring>
#include <new>
#include <zlib.h>

namespace {
bool nameIsTerminated(const PayloadRecordHeader& header) {
    return std::memchr(header.name, '\0', sizeof header.name) != nullptr;
}

// Checks one record at `position`; on success fills `entry` and returns 0.
int readRecord(const unsigned char* data, uint32_t length, uint32_t position, PayloadEntry& entry) {
    if (length - position < payload::kRecordHeaderSize)
        return payload::kRecordPastEnd;
    entry.offset = position;
    std::memcpy(&entry.header, data + position, sizeof entry.header);
    uint32_t dataStart = position + payload::kRecordHeaderSize;
    if (entry.header.compressedSize > length - dataStart)
        return payload::kRecordPastEnd;
    if (!nameIsTerminated(entry.header))
        return payload::kNameUnterminated;
    return payload::kOk;
}
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

int PayloadIndex::indexRecords(const unsigned char* data, uint32_t length,
                               RecordList<PayloadEntry>& entries, uint32_t* failedAt) {
    // Lengths beyond 2 GiB are never read into memory; the limit keeps every sum below in range.
    if (length > 0x7fffffffu)
        return payload::kCannotRead;
    uint32_t position = payload::kHeaderSize;
    for (;;) {
        if (failedAt != nullptr)
            *failedAt = position;
        if (length < position || length - position < 4)
            return payload::kNoEndRecord;
        uint32_t type = payload::readLittleEndian32(data + position);
        // A payload cut inside its end record has lost bytes the packer wrote: not whole.
        if (type == payload::kTypeEnd)
            return length - position < payload::kRecordHeaderSize ? payload::kRecordPastEnd
                                                                  : payload::kOk;
        if (type != payload::kTypeEntry)
            return payload::kBadRecordType;
        PayloadEntry entry;
        int result = readRecord(data, length, position, entry);
        if (result != payload::kOk)
            return result;
        if (!entries.append(entry))
            return payload::kCannotRead;
        position += payload::kRecordHeaderSize + entry.header.compressedSize;
    }
}

int PayloadIndex::find(const RecordList<PayloadEntry>& entries, const char* name) {
    for (int i = entries.count() - 1; i >= 0; --i) {
        if (std::strcmp(entries[i].header.name, name) == 0)
            return i;
    }
    return -1;
}

unsigned char* PayloadIndex::unpack(const unsigned char* data, uint32_t length,
                                    const PayloadEntry& entry, uint32_t* produced) {
    // The entry came from indexRecords over the same bytes; checked again so that a stale or
    // hand-made record can never reach outside the payload.
    uint64_t dataEnd = static_cast<uint64_t>(entry.offset) + payload::kRecordHeaderSize +
                       entry.header.compressedSize;
    if (data == nullptr || dataEnd > length)
        return nullptr;
    uint64_t capacity = static_cast<uint64_t>(entry.header.size) + payload::kUnpackSlack;
    if (capacity > 0x7fffffffu)
        return nullptr;
    unsigned char* buffer = new (std::nothrow) unsigned char[static_cast<size_t>(capacity)];
    if (buffer == nullptr)
        return nullptr;
    uLongf done = static_cast<uLongf>(capacity);
    int status = uncompress(buffer, &done, data + entry.offset + payload::kRecordHeaderSize,
                            entry.header.compressedSize);
    // The byte behind the data must stay free for the terminating zero.
    if (status != Z_OK || done >= capacity) {
        delete[] buffer;
        return nullptr;
    }
    buffer[done] = '\0';
    *produced = static_cast<uint32_t>(done);
    return buffer;
}
