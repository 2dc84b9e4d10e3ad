// Reading a payload: the magic words, the walk over the record headers and the inflating of one
// entry. The engine, the packer's list/verify/extract and the fuzz target all go through these,
// so every reader of a payload applies the same bounds.
#pragma once

#include "package/PayloadEntry.h"
#include "package/PayloadFormat.h"
#include "package/RecordList.h"

#include <cstdint>

class PayloadIndex {
  public:
    // 0, or the code of the first magic word that does not match.
    static int checkMagicWords(const unsigned char* data, uint32_t length);

    // Appends one PayloadEntry per entry record, in payload order, up to the end record, which
    // must be present whole (608 bytes). The entries' names point into `data`.
    // Returns 0 or a negative code; `failedAt` (if given) receives the payload offset of the
    // record that could not be used.
    static int indexRecords(const unsigned char* data, uint32_t length,
                            RecordList<PayloadEntry>& entries, uint32_t* failedAt);

    // The same walk over a payload whose bytes are fetched piece by piece. `Source` has
    // `const unsigned char* at(uint32_t position, uint32_t count)` (null when the bytes cannot
    // be had) and `const char* keepName(const char* name)` (where the entry's name is kept for
    // as long as the entries live; null when it cannot be kept).
    template <typename Source>
    static int walkRecords(Source& source, uint32_t length, RecordList<PayloadEntry>& entries,
                           uint32_t* failedAt);

    // The full on-disk header of an indexed entry (its digest and source name).
    static PayloadRecordHeader recordHeader(const unsigned char* data, const PayloadEntry& entry);

    // The last entry whose name equals `name` byte for byte, or -1 (a scan: for the tools).
    static int find(const RecordList<PayloadEntry>& entries, const char* name);

    // Inflates one indexed entry into a fresh buffer of its size + 1024 bytes with a zero byte
    // behind the data. Returns nullptr when the data is not a zlib stream, is cut short, or
    // inflates to more than its size + 1023 bytes. The buffer belongs to the caller.
    static unsigned char* unpack(const unsigned char* data, uint32_t length,
                                 const PayloadEntry& entry, uint32_t* produced);
    // The same over the entry's compressed bytes alone.
    static unsigned char* inflateWhole(const unsigned char* compressed, const PayloadEntry& entry,
                                       uint32_t* produced);

  private:
    // Checks the 608 header bytes of the record at `position`; on success fills `entry` (its
    // name pointing into `header`) and returns 0.
    static int readRecord(const unsigned char* header, uint32_t length, uint32_t position,
                          PayloadEntry& entry);
};

template <typename Source>
int PayloadIndex::walkRecords(Source& source, uint32_t length, RecordList<PayloadEntry>& entries,
                              uint32_t* failedAt) {
    // Lengths beyond 2 GiB are never read; the limit keeps every sum below in range.
    if (length > 0x7fffffffu)
        return payload::kCannotRead;
    uint32_t position = payload::kHeaderSize;
    for (;;) {
        if (failedAt != nullptr)
            *failedAt = position;
        if (length < position || length - position < 4)
            return payload::kNoEndRecord;
        // A payload cut inside a record has lost bytes the packer wrote: not whole.
        uint32_t available = length - position < payload::kRecordHeaderSize
                                 ? length - position
                                 : payload::kRecordHeaderSize;
        const unsigned char* header = source.at(position, available);
        if (header == nullptr)
            return payload::kCannotRead;
        uint32_t type = payload::readLittleEndian32(header);
        if (type == payload::kTypeEnd)
            return available < payload::kRecordHeaderSize ? payload::kRecordPastEnd : payload::kOk;
        if (type != payload::kTypeEntry)
            return payload::kBadRecordType;
        if (available < payload::kRecordHeaderSize)
            return payload::kRecordPastEnd;
        PayloadEntry entry;
        int result = readRecord(header, length, position, entry);
        if (result != payload::kOk)
            return result;
        entry.name = source.keepName(entry.name);
        if (entry.name == nullptr || !entries.append(entry))
            return payload::kCannotRead;
        position += payload::kRecordHeaderSize + entry.compressedSize;
    }
}
