// The package of a run: the payload's bytes and their entry index, behind open / find / unpack /
// inflate. The bytes are mapped window by window rather than read whole, so that a package of
// any size costs a few megabytes; a large entry goes through a fixed buffer to whoever takes it.
// The reader trusts nothing in the file: every header and every data range is checked against
// the payload's end before it is used.
#pragma once

#include "package/EntryNameIndex.h"
#include "package/MappedFile.h"
#include "package/PayloadEntry.h"
#include "package/RecordList.h"
#include "package/TextPool.h"

#include <cstdint>
#include <functional>
#include <memory>

class Log;

class Payload {
  public:
    // Takes one piece of an inflated entry; false stops the inflating.
    using PieceTaker = std::function<bool(const unsigned char* piece, uint32_t length)>;
    // The size of the pieces: every piece but an entry's last is exactly this long, a multiple
    // of 4 bytes (check sums fold word by word).
    static constexpr uint32_t kPieceSize = 262144;

    Payload() = default;
    ~Payload() { close(); }
    Payload(const Payload&) = delete;
    Payload& operator=(const Payload&) = delete;

    // Opens the payload that starts at `offset` in the file and indexes its entries.
    // payload::kOk, or a negative payload code (nothing is then held).
    int open(const char* path, uint32_t offset);
    void close();

    // The last entry of that name, or -1.
    int find(const char* name) const;
    // Inflates the named entry into a fresh buffer with a zero byte behind the data; null when
    // there is no such entry, it cannot be inflated, or it inflates to another length than its
    // record states (the entry is damaged; the debug log names it).
    std::unique_ptr<unsigned char[]> unpack(const char* name, uint32_t* length) const;
    // Inflates entry `index` piece by piece into `take`, holding no more than one piece. False
    // when it cannot be inflated, inflates to another length than its record states (the debug
    // log names it) or `take` refuses a piece; the pieces taken until then stay taken.
    bool inflate(int index, const PieceTaker& take) const;

    void setDebugLog(Log* log) { debugLog_ = log; }

    int entryCount() const { return entries_.count(); }
    const PayloadEntry& entry(int index) const { return entries_[index]; }
    const PayloadEntry* entries() const { return entries_.data(); }

  private:
    class Source;
    // `count` bytes at payload offset `position`, valid until the next call; null when they
    // cannot be had.
    const unsigned char* bytesAt(uint32_t position, uint32_t count) const;
    const unsigned char* compressedBytes(const PayloadEntry& entry) const;
    void reportLength(const PayloadEntry& entry, uint64_t produced) const;

    // Mapping windows come and go as entries are read: how the bytes are held is no reader's
    // concern, so reading stays a const operation.
    mutable MappedFile file_;
    uint32_t offset_ = 0;
    uint32_t length_ = 0;
    RecordList<PayloadEntry> entries_;
    TextPool names_;
    EntryNameIndex index_;
    Log* debugLog_ = nullptr;
};
