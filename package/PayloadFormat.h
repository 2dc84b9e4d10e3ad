// The payload's on-disk constants, shared by the engine's reader and the packer.
#pragma once

#include <cstdint>

namespace payload {
constexpr uint32_t kMagic1 = 0x63276327u;
constexpr uint32_t kMagic2 = 0x75092612u;
constexpr uint32_t kMagic3 = 0x78011813u;
constexpr uint32_t kHeaderSize = 64;
constexpr uint32_t kRecordHeaderSize = 608;
constexpr uint32_t kTypeEntry = 0x63270010u;
constexpr uint32_t kTypeEnd = 0x63270003u;
constexpr uint32_t kKindOther = 0;
constexpr uint32_t kKindImage = 1;
constexpr uint32_t kNameSize = 276;
constexpr uint32_t kSourceNameSize = 300;
constexpr uint32_t kUnpackSlack = 1024;

// The marker field that the packer overwrites with the payload offset is 20 bytes: its text
// and a zero byte. The text is spelled only where the field is defined, so that the engine
// image holds it exactly once.
constexpr int kOffsetMarkerSize = 20;

// openPayload results.
constexpr int kOk = 0;
constexpr int kActionLogMissing = -1;
constexpr int kCannotOpen = -2;
constexpr int kCannotSeek = -3;
constexpr int kCannotRead = -4;
constexpr int kBadMagic1 = -5;
constexpr int kBadMagic2 = -6;
constexpr int kBadMagic3 = -7;
constexpr int kBadRecordType = -8;
constexpr int kRecordPastEnd = -9;
constexpr int kNoEndRecord = -10;
constexpr int kNameUnterminated = -11;

// What a person is told about an openPayload result (without the file name).
const char* describeOpenFailure(int code);

inline uint32_t readLittleEndian32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}
} // namespace payload
