// A picture from the package ("AppIcon", the pages' Image elements) in the packer's decoded
// format: width and height as signed 32-bit little-endian numbers, then top-down rows of 4-byte
// pixels (blue, green, red, reserved). The bytes come from the package, so the sizes are
// checked against the entry's length before a single pixel is read.
#pragma once

#include <cstdint>
#include <memory>

class Payload;

class ImageEntry {
  public:
    // Larger sides are refused: no wizard window shows them, and width × height × 4 must stay
    // far from overflowing anything that sizes a bitmap.
    static constexpr int kLargestSide = 8192;
    static constexpr uint32_t kHeaderSize = 8;

    // The named entry of the package as a picture; null when there is no such entry or its
    // bytes are not a whole picture.
    static std::unique_ptr<ImageEntry> load(const Payload* package, const char* name);
    // The same for bytes already unpacked (the entry is taken over).
    static std::unique_ptr<ImageEntry> fromBytes(std::unique_ptr<unsigned char[]> bytes,
                                                 uint32_t length);

    int width() const { return width_; }
    int height() const { return height_; }
    // width × height pixels, 4 bytes each.
    const unsigned char* pixels() const { return bytes_.get() + kHeaderSize; }

  private:
    ImageEntry(std::unique_ptr<unsigned char[]> bytes, int width, int height)
        : bytes_(std::move(bytes)), width_(width), height_(height) {}

    std::unique_ptr<unsigned char[]> bytes_;
    int width_;
    int height_;
};
