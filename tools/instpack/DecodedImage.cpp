#include "tools/instpack/DecodedImage.h"

bool DecodedImage::allocate(uint32_t width, uint32_t height, std::string& error) {
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
        error = "image size " + std::to_string(width) + "x" + std::to_string(height) +
                " is empty or larger than " + std::to_string(kMaxSide) + " pixels a side";
        return false;
    }
    width_ = width;
    height_ = height;
    bytes_.assign(kHeaderSize + static_cast<size_t>(width) * height * 4, 0);
    for (int i = 0; i < 4; ++i) {
        bytes_[i] = static_cast<unsigned char>(width >> (8 * i));
        bytes_[4 + i] = static_cast<unsigned char>(height >> (8 * i));
    }
    return true;
}

void DecodedImage::setPixel(uint32_t x, uint32_t y, unsigned char red, unsigned char green,
                            unsigned char blue, unsigned char alpha) {
    unsigned char* pixel = pixels() + (static_cast<size_t>(y) * width_ + x) * 4;
    pixel[0] = blue;
    pixel[1] = green;
    pixel[2] = red;
    pixel[3] = alpha;
}
