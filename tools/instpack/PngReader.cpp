#include "tools/instpack/PngReader.h"

#include <cstring>
#include <png.h>

bool PngReader::isPng(const Bytes& file) {
    return file.size() >= 8 && png_sig_cmp(file.data(), 0, 8) == 0;
}

bool PngReader::decode(const Bytes& file, DecodedImage& image, std::string& error) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, file.data(), file.size())) {
        error = std::string("PNG cannot be read: ") + png.message;
        return false;
    }
    png.format = PNG_FORMAT_BGRA;
    if (!image.allocate(png.width, png.height, error)) {
        png_image_free(&png);
        return false;
    }
    if (!png_image_finish_read(&png, nullptr, image.pixels(), 0, nullptr)) {
        error = std::string("PNG cannot be decoded: ") + png.message;
        png_image_free(&png);
        return false;
    }
    return true;
}
