#include "tools/instpack/PayloadWriter.h"

#include "package/PayloadEntry.h"
#include "package/PayloadFormat.h"

#include <cstddef>
#include <cstring>

namespace {
// The engine reads the whole payload with one 32-bit signed length and unpacks an entry into
// a buffer of its size + 1024 bytes; nothing may grow past what it can hold.
constexpr uint64_t kEngineLimit = 0x7fffffffu;

void putLittleEndian32(unsigned char* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t saturated(uint64_t value) {
    return value > 0xffffffffu ? 0xffffffffu : static_cast<uint32_t>(value);
}
} // namespace

PayloadWriter::PayloadWriter(std::ostream& out) : out_(out), start_(out.tellp()) {}

bool PayloadWriter::fitsName(const std::string& name) {
    return !name.empty() && name.size() < payload::kNameSize &&
           name.find('\0') == std::string::npos;
}

bool PayloadWriter::put(const void* bytes, size_t count, std::string& error) {
    out_.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(count));
    length_ += count;
    if (!out_) {
        error = "cannot write the output file";
        return false;
    }
    if (length_ > kEngineLimit) {
        error = "the payload grows beyond 2 GiB, more than the engine can read";
        return false;
    }
    return true;
}

bool PayloadWriter::begin(std::string& error) {
    unsigned char header[payload::kHeaderSize] = {};
    putLittleEndian32(header + 0, payload::kMagic1);
    putLittleEndian32(header + 4, payload::kMagic2);
    putLittleEndian32(header + 8, payload::kMagic3);
    return put(header, sizeof header, error);
}

bool PayloadWriter::checkEntry(const std::string& name, uint64_t size, std::string& error) {
    if (!fitsName(name)) {
        error = "entry name \"" + name + "\" is empty or longer than 275 bytes";
        return false;
    }
    if (size + payload::kUnpackSlack > kEngineLimit) {
        error = "entry \"" + name + "\" is too large for the engine to unpack";
        return false;
    }
    return true;
}

bool PayloadWriter::putHeader(const std::string& name, const std::string& sourceName, uint32_t kind,
                              uint64_t size, uint64_t compressedSize, const unsigned char md5[16],
                              std::string& error) {
    PayloadRecordHeader header;
    std::memset(&header, 0, sizeof header);
    header.type = payload::kTypeEntry;
    header.size = static_cast<uint32_t>(size);
    // An entry under 2 GiB (checked before) never deflates to 4 GiB or more.
    header.compressedSize = static_cast<uint32_t>(compressedSize);
    header.kind = kind;
    std::memcpy(header.md5, md5, sizeof header.md5);
    // Not read by the engine: a cut name only loses information for a person reading a listing.
    std::memcpy(header.sourceName, sourceName.data(),
                std::min(sourceName.size(), sizeof header.sourceName - 1));
    std::memcpy(header.name, name.data(), name.size());
    unsigned char raw[payload::kRecordHeaderSize];
    putLittleEndian32(raw + 0, header.type);
    putLittleEndian32(raw + 4, header.size);
    putLittleEndian32(raw + 8, header.compressedSize);
    putLittleEndian32(raw + 12, header.kind);
    std::memcpy(raw + 16, &header.md5, sizeof header - 16);
    return put(raw, sizeof raw, error);
}

void PayloadWriter::countEntry(uint64_t size, uint64_t compressedSize) {
    unpackedTotal_ += size;
    packedTotal_ += compressedSize;
    ++entryCount_;
}

bool PayloadWriter::addEntry(const std::string& name, const std::string& sourceName, uint32_t kind,
                             uint64_t size, const EntryCompressor::Packed& packed,
                             std::string& error) {
    if (!checkEntry(name, size, error))
        return false;
    if (!packed.ok) {
        error = "cannot compress entry \"" + name + "\"";
        return false;
    }
    if (!putHeader(name, sourceName, kind, size, packed.stream.size(), packed.md5, error) ||
        !put(packed.stream.data(), packed.stream.size(), error))
        return false;
    countEntry(size, packed.stream.size());
    return true;
}

bool PayloadWriter::beginEntry(const std::string& name, const std::string& sourceName,
                               uint32_t kind, uint64_t size, std::string& error) {
    if (!checkEntry(name, size, error))
        return false;
    openStart_ = out_.tellp();
    openLength_ = length_;
    openSize_ = size;
    const unsigned char unknown[16] = {};
    return putHeader(name, sourceName, kind, size, 0, unknown, error);
}

bool PayloadWriter::putPiece(const unsigned char* bytes, size_t count, std::string& error) {
    return put(bytes, count, error);
}

// The header's compressed size and MD5, now that they are known.
bool PayloadWriter::endEntry(const unsigned char md5[16], std::string& error) {
    uint64_t compressedSize = length_ - openLength_ - payload::kRecordHeaderSize;
    unsigned char size[4];
    putLittleEndian32(size, static_cast<uint32_t>(compressedSize));
    if (!patch(openStart_ + std::streamoff(offsetof(PayloadRecordHeader, compressedSize)), size,
               sizeof size, error) ||
        !patch(openStart_ + std::streamoff(offsetof(PayloadRecordHeader, md5)), md5, 16, error))
        return false;
    countEntry(openSize_, compressedSize);
    return true;
}

bool PayloadWriter::patch(std::streampos at, const void* bytes, size_t count, std::string& error) {
    std::streampos back = out_.tellp();
    out_.seekp(at);
    out_.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(count));
    out_.seekp(back);
    if (!out_) {
        error = "cannot write the output file";
        return false;
    }
    return true;
}

bool PayloadWriter::finish(std::string& error) {
    unsigned char end[payload::kRecordHeaderSize] = {};
    putLittleEndian32(end, payload::kTypeEnd);
    if (!put(end, sizeof end, error))
        return false;
    unsigned char totals[12];
    putLittleEndian32(totals + 0, saturated(unpackedTotal_));
    putLittleEndian32(totals + 4, saturated(packedTotal_));
    putLittleEndian32(totals + 8, entryCount_);
    return patch(start_ + std::streamoff(12), totals, sizeof totals, error);
}
