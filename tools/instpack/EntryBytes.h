// The bytes of one payload entry while it is packed: a large file is mapped rather than read,
// so that packing it costs no copy of its size in fresh memory; anything smaller is read whole,
// which for a few kilobytes is cheaper than a mapping.
#pragma once

#include "tools/instpack/HostFiles.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

class EntryBytes {
  public:
    // Files of this size or more are mapped.
    static constexpr uint64_t kMapFrom = uint64_t{1} << 20;

    EntryBytes() = default;
    explicit EntryBytes(Bytes held) : held_(std::move(held)) {}
    ~EntryBytes() { release(); }
    EntryBytes(EntryBytes&& other) noexcept;
    EntryBytes& operator=(EntryBytes&& other) noexcept;
    EntryBytes(const EntryBytes&) = delete;
    EntryBytes& operator=(const EntryBytes&) = delete;

    // `expectedSize` only chooses between mapping and reading; the bytes are the file's.
    bool load(const std::string& path, uint64_t expectedSize, std::string& error);

    const unsigned char* data() const { return mapped_ != nullptr ? mapped_ : held_.data(); }
    size_t size() const { return mapped_ != nullptr ? mappedSize_ : held_.size(); }
    bool operator==(const EntryBytes& other) const;

  private:
    void release();

    Bytes held_;
    const unsigned char* mapped_ = nullptr;
    size_t mappedSize_ = 0;
};
