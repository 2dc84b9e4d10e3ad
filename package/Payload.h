// The package of a run: the payload's bytes and their entry index, behind open / find / unpack,
// so that how the bytes are held (read whole today) is this class's business alone. The reader
// trusts nothing in the file: every header and every data range is checked against the
// payload's end before it is used.
#pragma once

#include "package/PayloadEntry.h"
#include "package/RecordList.h"

#include <cstdint>
#include <memory>

class Log;

class Payload {
  public:
    Payload() = default;
    ~Payload() { close(); }
    Payload(const Payload&) = delete;
    Payload& operator=(const Payload&) = delete;

    // Reads the payload that starts at `offset` in the file and indexes its entries.
    // payload::kOk, or a negative payload code (nothing is then held).
    int open(const char* path, uint32_t offset);
    void close();

    // The last entry of that name, or -1.
    int find(const char* name) const;
    // Inflates the named entry into a fresh buffer with a zero byte behind the data; null when
    // there is no such entry, it cannot be inflated, or it inflates to another length than its
    // record states (the entry is damaged; the debug log names it).
    std::unique_ptr<unsigned char[]> unpack(const char* name, uint32_t* length) const;

    void setDebugLog(Log* log) { debugLog_ = log; }

    int entryCount() const { return entries_.count(); }
    const PayloadEntry& entry(int index) const { return entries_[index]; }
    const PayloadEntry* entries() const { return entries_.data(); }

  private:
    std::unique_ptr<unsigned char[]> bytes_;
    uint32_t length_ = 0;
    RecordList<PayloadEntry> entries_;
    Log* debugLog_ = nullptr;
};
