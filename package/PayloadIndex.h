// Reading a payload held in memory: the magic words, the walk over the record headers and the
// inflating of one entry. The engine, the packer's list/verify/extract and the fuzz target all
// go through these, so every reader of a payload applies the same bounds.
#pragma once

#include "package/PayloadEntry.h"
#include "package/RecordList.h"

#include <cstdint>

class PayloadIndex {
  public:
    // 0, or the code of the first magic word that does not match.
    static int checkMagicWords(const unsigned char* data, uint32_t length);

    // Appends one PayloadEntry per entry record, in payload order, up to the end record, which
    // must be present whole (608 bytes).
    // Returns 0 or a negative code; `failedAt` (if given) receives the payload offset of the
    // record that could not be used.
    static int indexRecords(const unsigned char* data, uint32_t length,
                            RecordList<PayloadEntry>& entries, uint32_t* failedAt);

    // The last entry whose name equals `name` byte for byte, or -1.
    static int find(const RecordList<PayloadEntry>& entries, const char* name);

    // Inflates one indexed entry into a fresh buffer of its size + 1024 bytes with a zero byte
    // behind the data. Returns nullptr when the data is not a zlib stream, is cut short, or
    // inflates to more than its size + 1023 bytes. The buffer belongs to the caller.
    static unsigned char* unpack(const unsigned char* data, uint32_t length,
                                 const PayloadEntry& entry, uint32_t* produced);
};
