// A damaged or crafted picture entry shows nothing instead of reading past its end.
#include "ui/ImageEntry.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
std::string header(int32_t width, int32_t height) {
    std::string bytes(8, '\0');
    std::memcpy(&bytes[0], &width, 4);
    std::memcpy(&bytes[4], &height, 4);
    return bytes;
}

std::unique_ptr<ImageEntry> read(const std::string& bytes) {
    std::unique_ptr<unsigned char[]> copy(new unsigned char[bytes.size() + 1]);
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    return ImageEntry::fromBytes(std::move(copy), static_cast<uint32_t>(bytes.size()));
}
} // namespace

TEST(ImageEntry, OnlyWholePicturesWithSaneSizesAreRead) {
    const struct {
        const char* what;
        std::string bytes;
        bool read;
    } cases[] = {
        {"two by one", header(2, 1) + std::string(8, 'p'), true},
        {"one pixel short", header(2, 1) + std::string(7, 'p'), false},
        {"negative width", header(-2, 1) + std::string(8, 'p'), false},
        {"zero height", header(2, 0), false},
        {"sides whose product overflows 32 bits", header(0x10000, 0x10000) + "pppp", false},
        {"half a header", std::string(4, '\1'), false},
    };
    for (const auto& entry : cases) {
        std::unique_ptr<ImageEntry> image = read(entry.bytes);
        EXPECT_EQ(image != nullptr, entry.read) << entry.what;
        if (image != nullptr) {
            EXPECT_EQ(image->width() * image->height(), 2) << entry.what;
        }
    }
    EXPECT_EQ(ImageEntry::load(nullptr, "AppIcon"), nullptr);
}
