#include "tools/instpack/BmpReader.h"

#include "package/PayloadFormat.h"

#include <cstdint>

namespace {
constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kUncompressed = 0;

struct BmpLayout {
    uint32_t pixelOffset;
    uint32_t infoSize;
    int32_t width;
    int32_t height;
    uint16_t bitsPerPixel;
    uint32_t compression;
    uint32_t coloursUsed;
};

uint16_t read16(const unsigned char* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

BmpLayout readLayout(const Bytes& file) {
    const unsigned char* info = file.data() + kFileHeaderSize;
    BmpLayout layout;
    layout.pixelOffset = payload::readLittleEndian32(file.data() + 10);
    layout.infoSize = payload::readLittleEndian32(info);
    layout.width = static_cast<int32_t>(payload::readLittleEndian32(info + 4));
    layout.height = static_cast<int32_t>(payload::readLittleEndian32(info + 8));
    layout.bitsPerPixel = read16(info + 14);
    layout.compression = payload::readLittleEndian32(info + 16);
    layout.coloursUsed = payload::readLittleEndian32(info + 32);
    return layout;
}

bool isSupportedDepth(uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
}

// Only pictures of 8 bits per pixel or fewer index a palette; deeper ones hold their colours.
uint32_t paletteSize(const BmpLayout& layout) {
    if (layout.bitsPerPixel > 8)
        return 0;
    return layout.coloursUsed != 0 ? layout.coloursUsed : 1u << layout.bitsPerPixel;
}

class PixelSource {
  public:
    PixelSource(const Bytes& file, const BmpLayout& layout) : file_(file), layout_(layout) {
        palette_ = kFileHeaderSize + layout.infoSize;
        paletteCount_ = paletteSize(layout);
    }

    bool paletteFits() const {
        if (layout_.bitsPerPixel > 8)
            return true;
        return paletteCount_ <= 256 &&
               static_cast<uint64_t>(palette_) + paletteCount_ * 4ull <= file_.size();
    }

    // Writes the pixel at column x of the row starting at `row` into the image.
    bool copy(const unsigned char* row, uint32_t x, uint32_t y, DecodedImage& image) const {
        uint16_t bits = layout_.bitsPerPixel;
        if (bits == 24 || bits == 32) {
            const unsigned char* pixel = row + x * (bits / 8);
            image.setPixel(x, y, pixel[2], pixel[1], pixel[0], 255);
            return true;
        }
        uint32_t bit = x * bits;
        uint32_t shift = 8 - bits - bit % 8;
        uint32_t index = (row[bit / 8] >> shift) & ((1u << bits) - 1);
        if (index >= paletteCount_)
            return false;
        const unsigned char* colour = file_.data() + palette_ + index * 4;
        image.setPixel(x, y, colour[2], colour[1], colour[0], 255);
        return true;
    }

  private:
    const Bytes& file_;
    const BmpLayout& layout_;
    uint64_t palette_;
    uint32_t paletteCount_;
};
} // namespace

bool BmpReader::isBmp(const Bytes& file) {
    // "BM" alone starts many texts; the info header sizes that Windows writes make it a bitmap.
    if (file.size() < kFileHeaderSize + 4 || file[0] != 'B' || file[1] != 'M')
        return false;
    uint32_t infoSize = payload::readLittleEndian32(file.data() + kFileHeaderSize);
    return infoSize == 12 || infoSize == 40 || infoSize == 52 || infoSize == 56 ||
           infoSize == 108 || infoSize == 124;
}

bool BmpReader::decode(const Bytes& file, DecodedImage& image, std::string& error) {
    if (file.size() < kFileHeaderSize + kInfoHeaderSize) {
        error = "BMP is cut short";
        return false;
    }
    BmpLayout layout = readLayout(file);
    if (layout.infoSize < kInfoHeaderSize || layout.compression != kUncompressed ||
        !isSupportedDepth(layout.bitsPerPixel) || layout.width <= 0 || layout.height == 0 ||
        layout.height == INT32_MIN) {
        error = "BMP kind not supported (only uncompressed 1, 4, 8, 24 and 32 bits per pixel)";
        return false;
    }
    bool topDown = layout.height < 0;
    uint32_t width = static_cast<uint32_t>(layout.width);
    uint32_t height = static_cast<uint32_t>(topDown ? -layout.height : layout.height);
    if (!image.allocate(width, height, error))
        return false;
    uint64_t stride = (static_cast<uint64_t>(width) * layout.bitsPerPixel + 31) / 32 * 4;
    PixelSource source(file, layout);
    if (static_cast<uint64_t>(layout.pixelOffset) + stride * height > file.size() ||
        !source.paletteFits()) {
        error = "BMP is cut short";
        return false;
    }
    for (uint32_t y = 0; y < height; ++y) {
        uint32_t storedRow = topDown ? y : height - 1 - y;
        const unsigned char* row = file.data() + layout.pixelOffset + storedRow * stride;
        for (uint32_t x = 0; x < width; ++x) {
            if (!source.copy(row, x, y, image)) {
                error = "BMP pixel refers to a colour its palette lacks";
                return false;
            }
        }
    }
    return true;
}
