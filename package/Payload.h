// The package of a run: the payload's bytes and their entry index, behind open / find / unpack /
// inflate. The bytes are read window by window rather than whole, so that a package of any size
// costs a few megabytes; a large entry goes through a fixed buffer to whoever takes it. The
// reader trusts nothing in the file: every header and every data range is checked against the
// payload's end before it is used, and bytes that can no longer be read (the file shrank under
// the run) fail the entry being read, not the process.
#pragma once

#include "package/EntryNameIndex.h"
#include "package/PayloadEntry.h"
#include "package/RecordList.h"
#include "package/TextPool.h"
#include "package/WindowedFile.h"

#include <cstdint>
#include <functional>
#include <memory>

class Log;
struct z_stream_s;

class Payload {
  public:
    // Takes one piece of an inflated entry; false stops the inflating.
    using PieceTaker = std::function<bool(const unsigned char* piece, uint32_t length)>;
    // The size of the pieces: every piece but an entry's last is exactly this long, a multiple
    // of 4 bytes (check sums fold word by word).
    static constexpr uint32_t kPieceSize = 262144;
    // How an entry came out: whole, or why not. An unreadable package is told apart from a
    // damaged entry because the person installing can do something about it (the share, the
    // medium), and because the same entry may read whole on another attempt.
    enum class EntryRead { kWhole, kMissing, kUnreadable, kDamaged, kRefused };

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
    // there is no such entry, its bytes cannot be read, it cannot be inflated, or it inflates to
    // another length than its record states (the entry is damaged; the debug log names it).
    // `outcome` (if given) receives which.
    std::unique_ptr<unsigned char[]> unpack(const char* name, uint32_t* length,
                                            EntryRead* outcome = nullptr) const;
    // Inflates entry `index` piece by piece into `take`, holding no more than one piece. Not
    // kWhole when its bytes cannot be read, it cannot be inflated, it inflates to another length
    // than its record states (the debug log names it) or `take` refuses a piece (kRefused); the
    // pieces taken until then stay taken, and none follows.
    EntryRead inflate(int index, const PieceTaker& take) const;

    void setDebugLog(Log* log) { debugLog_ = log; }

    int entryCount() const { return entries_.count(); }
    const PayloadEntry& entry(int index) const { return entries_[index]; }
    const PayloadEntry* entries() const { return entries_.data(); }

  private:
    class Source;
    // `count` bytes at payload offset `position`, valid until the next call; null when they
    // cannot be had.
    const unsigned char* bytesAt(uint32_t position, uint32_t count) const;
    const unsigned char* compressedBytes(const PayloadEntry& entry, EntryRead* outcome) const;
    EntryRead feed(z_stream_s& stream, uint64_t& position, uint32_t& remaining) const;
    void reportLength(const PayloadEntry& entry, uint64_t produced) const;

    // Windows come and go as entries are read: how the bytes are held is no reader's concern,
    // so reading stays a const operation.
    mutable WindowedFile file_;
    uint32_t offset_ = 0;
    uint32_t length_ = 0;
    RecordList<PayloadEntry> entries_;
    TextPool names_;
    EntryNameIndex index_;
    Log* debugLog_ = nullptr;
};
