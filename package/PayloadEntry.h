// One record of the payload's entry list as a reader keeps it: where its header stands, the
// header's numbers and its name. The on-disk header (PayloadRecordHeader) is 608 bytes; a reader
// keeps only what it looks entries up and unpacks them by.
#pragma once

#include <cstdint>

struct PayloadRecordHeader {
    uint32_t type;
    uint32_t size;           // uncompressed
    uint32_t compressedSize; // data bytes that follow the header
    uint32_t kind;           // 1 = decoded image
    unsigned char md5[16];
    char sourceName[300];
    char name[276];
};
static_assert(sizeof(PayloadRecordHeader) == 608, "the on-disk record header is 608 bytes");

struct PayloadEntry {
    uint32_t offset;         // of the record header, from the start of the payload
    uint32_t size;           // uncompressed
    uint32_t compressedSize; // data bytes that follow the header
    uint32_t kind;           // 1 = decoded image
    const char* name;        // terminated; held by whoever indexed the entry
};
