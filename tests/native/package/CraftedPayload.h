// Builds payload bytes record by record, including damaged ones, for the reader's tests.
#pragma once

#include "package/PayloadFormat.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>
#include <zlib.h>

using ByteVector = std::vector<unsigned char>;

inline ByteVector deflateBest(const std::string& text) {
    uLongf length = compressBound(static_cast<uLong>(text.size()));
    ByteVector packed(length);
    compress2(packed.data(), &length, reinterpret_cast<const Bytef*>(text.data()),
              static_cast<uLong>(text.size()), Z_BEST_COMPRESSION);
    packed.resize(length);
    return packed;
}

class CraftedPayload {
  public:
    CraftedPayload() : bytes(payload::kHeaderSize, 0) {
        setWord(0, payload::kMagic1);
        setWord(4, payload::kMagic2);
        setWord(8, payload::kMagic3);
    }

    // An entry whose header states `size` and carries `data` as its compressed bytes.
    CraftedPayload& record(uint32_t type, const std::string& name, uint32_t size,
                           const ByteVector& data) {
        size_t at = bytes.size();
        bytes.resize(at + payload::kRecordHeaderSize, 0);
        setWord(at, type);
        setWord(at + 4, size);
        setWord(at + 8, static_cast<uint32_t>(data.size()));
        std::memcpy(&bytes[at + 332], name.data(), std::min<size_t>(name.size(), 276));
        bytes.insert(bytes.end(), data.begin(), data.end());
        return *this;
    }
    CraftedPayload& entry(const std::string& name, const std::string& content) {
        return record(payload::kTypeEntry, name, static_cast<uint32_t>(content.size()),
                      deflateBest(content));
    }
    CraftedPayload& end() {
        size_t at = bytes.size();
        bytes.resize(at + payload::kRecordHeaderSize, 0);
        setWord(at, payload::kTypeEnd);
        return *this;
    }
    void setWord(size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }

    ByteVector bytes;
};

// A file that lives as long as the object.
class TempFile {
  public:
    explicit TempFile(const ByteVector& content) {
        char name[] = "/tmp/kestrel-payload-XXXXXX";
        int fd = mkstemp(name);
        path_ = name;
        if (fd >= 0) {
            if (!content.empty() && ::write(fd, content.data(), content.size()) < 0)
                path_.clear();
            ::close(fd);
        }
    }
    ~TempFile() { std::remove(path_.c_str()); }
    const char* path() const { return path_.c_str(); }

  private:
    std::string path_;
};
