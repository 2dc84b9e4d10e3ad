// A picture in the engine's image entry format: width and height (signed 32-bit little-endian)
// followed by top-down rows of 32-bit pixels in blue, green, red, alpha byte order. The
// wizard paints the first three bytes; the application icon also uses the fourth as alpha.
#pragma once

#include "tools/instpack/HostFiles.h"

#include <cstdint>
#include <string>

class DecodedImage {
  public:
    static constexpr uint32_t kHeaderSize = 8;
    // Larger sides than a screen could show are refused rather than packed.
    static constexpr uint32_t kMaxSide = 16384;

    // Sizes the entry for width x height pixels, all zero.
    bool allocate(uint32_t width, uint32_t height, std::string& error);
    void setPixel(uint32_t x, uint32_t y, unsigned char red, unsigned char green,
                  unsigned char blue, unsigned char alpha);
    // The pixel rows, in entry order (for readers that fill whole rows at once).
    unsigned char* pixels() { return bytes_.data() + kHeaderSize; }
    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }
    Bytes& bytes() { return bytes_; }

  private:
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    Bytes bytes_;
};
