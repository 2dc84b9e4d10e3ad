// Writes a payload: the header with its magic words, one compressed record per entry and the
// end record. The three header values the engine does not read are filled at the end: total
// unpacked bytes, total compressed bytes and the entry count (docs/instpack.md).
#pragma once

#include "tools/instpack/EntryCompressor.h"
#include "tools/instpack/HostFiles.h"

#include <cstdint>
#include <ostream>
#include <string>

class PayloadWriter {
  public:
    // The payload starts at the stream's current position.
    explicit PayloadWriter(std::ostream& out);

    bool begin(std::string& error);
    // Whether the engine can hold and unpack an entry of that name and size; false with the
    // reason in `error`.
    static bool checkEntry(const std::string& name, uint64_t size, std::string& error);
    // An entry of `size` bytes, packed by EntryCompressor. kind: payload::kKindImage for a
    // decoded image, payload::kKindOther otherwise.
    bool addEntry(const std::string& name, const std::string& sourceName, uint32_t kind,
                  uint64_t size, const EntryCompressor::Packed& packed, std::string& error);
    // An entry whose stream comes piece by piece: beginEntry, putPiece for each piece, then
    // endEntry with the MD5, which completes the record header written first.
    bool beginEntry(const std::string& name, const std::string& sourceName, uint32_t kind,
                    uint64_t size, std::string& error);
    bool putPiece(const unsigned char* bytes, size_t count, std::string& error);
    bool endEntry(const unsigned char md5[16], std::string& error);
    bool finish(std::string& error);

    uint32_t entryCount() const { return entryCount_; }
    uint64_t payloadLength() const { return length_; }

    // Whether the engine can hold and look up this name: 1 to 275 bytes, no zero byte.
    static bool fitsName(const std::string& name);

  private:
    bool put(const void* bytes, size_t count, std::string& error);
    bool putHeader(const std::string& name, const std::string& sourceName, uint32_t kind,
                   uint64_t size, uint64_t compressedSize, const unsigned char md5[16],
                   std::string& error);
    void countEntry(uint64_t size, uint64_t compressedSize);
    // Overwrites bytes already written at `at`, then goes on at the end.
    bool patch(std::streampos at, const void* bytes, size_t count, std::string& error);

    std::ostream& out_;
    std::streampos start_;
    uint64_t length_ = 0;
    uint64_t unpackedTotal_ = 0;
    uint64_t packedTotal_ = 0;
    uint32_t entryCount_ = 0;
    // The entry begun and not yet ended: where its header starts, in the stream and in the
    // payload, and its unpacked size.
    std::streampos openStart_;
    uint64_t openLength_ = 0;
    uint64_t openSize_ = 0;
};
