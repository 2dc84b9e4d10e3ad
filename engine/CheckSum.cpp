#include "engine/CheckSum.h"

uint32_t checkSum(uint32_t seed, const void* bytes, size_t length) {
    const unsigned char* data = static_cast<const unsigned char*>(bytes);
    uint32_t value = seed;
    size_t words = length / 4;
    for (size_t i = 0; i < words; ++i, data += 4)
        value ^= static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                 static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
    for (size_t i = 0; i < length % 4; ++i)
        value ^= data[i];
    return value;
}
