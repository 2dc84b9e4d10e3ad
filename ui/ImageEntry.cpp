#include "ui/ImageEntry.h"

#include "package/Payload.h"

#include <new>

namespace {
int32_t readSigned32(const unsigned char* bytes) {
    uint32_t value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                     static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return static_cast<int32_t>(value);
}

bool isUsableSide(int32_t side) {
    return side > 0 && side <= ImageEntry::kLargestSide;
}
} // namespace

std::unique_ptr<ImageEntry> ImageEntry::load(const Payload* package, const char* name) {
    if (package == nullptr || name == nullptr)
        return nullptr;
    uint32_t length = 0;
    std::unique_ptr<unsigned char[]> bytes = package->unpack(name, &length);
    return fromBytes(std::move(bytes), length);
}

std::unique_ptr<ImageEntry> ImageEntry::fromBytes(std::unique_ptr<unsigned char[]> bytes,
                                                  uint32_t length) {
    if (bytes == nullptr || length < kHeaderSize)
        return nullptr;
    int32_t width = readSigned32(bytes.get());
    int32_t height = readSigned32(bytes.get() + 4);
    if (!isUsableSide(width) || !isUsableSide(height))
        return nullptr;
    uint64_t needed =
        kHeaderSize + static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4;
    if (needed > length)
        return nullptr;
    return std::unique_ptr<ImageEntry>(new (std::nothrow)
                                           ImageEntry(std::move(bytes), width, height));
}
