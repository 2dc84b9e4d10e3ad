// One record of the payload's entry list: where its header stands and a copy of that header.
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
    uint32_t offset; // of the record header, from the start of the payload
    PayloadRecordHeader header;
};
