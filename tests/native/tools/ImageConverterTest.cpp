#include "tools/instpack/ImageConverter.h"

#include <gtest/gtest.h>

namespace {
Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::string converted(const Bytes& file, ImageConverter::Result expected) {
    Bytes entry;
    std::string error;
    EXPECT_EQ(ImageConverter::convert(file, entry, error), expected) << error;
    return expected == ImageConverter::Result::Failed ? error
                                                      : std::string(entry.begin(), entry.end());
}

// A 2x2 bitmap with a two-colour palette and one-bit pixels, stored bottom-up.
Bytes twoColourBitmap() {
    std::string bmp = std::string("BM") + std::string(8, '\0') + std::string("\x3e\0\0\0", 4) +
                      std::string("\x28\0\0\0\x02\0\0\0\x02\0\0\0\x01\0\x01\0", 16) +
                      std::string(24, '\0') + std::string("\x00\x00\xff\0\xff\x00\x00\0", 8) +
                      std::string("\x40\0\0\0\x80\0\0\0", 8);
    return bytesOf(bmp);
}
} // namespace

TEST(ImageConverter, PngAndPalettedBmpBecomeTopDownBlueGreenRedAlpha) {
    Bytes png;
    std::string error;
    ASSERT_TRUE(HostFiles::readFile(
        std::string(KESTREL_SOURCE_DIR) + "/tests/e2e/data/resources/WelcomeLImg.png", png, error));
    std::string entry = converted(png, ImageConverter::Result::Converted);
    ASSERT_EQ(entry.size(), 8u + 3 * 2 * 4);
    EXPECT_EQ(entry.substr(0, 8), std::string("\3\0\0\0\2\0\0\0", 8));
    EXPECT_EQ(entry.substr(8, 4), "\x80\xff\xc0\xff") << "pixel (0,0) is #C0FF80";
    EXPECT_EQ(entry.substr(12, 4), "\x30\x20\x10\xff") << "the rest is #102030";
    entry = converted(twoColourBitmap(), ImageConverter::Result::Converted);
    // Stored bottom row first: the top row is 1,0 (blue... red), the bottom row 0,1.
    std::string red("\x00\x00\xff\xff", 4);
    std::string blue("\xff\x00\x00\xff", 4);
    EXPECT_EQ(entry.substr(8), blue + red + red + blue);
}

TEST(ImageConverter, DamagedPicturesAreRefusedAndOtherFilesLeftAlone) {
    Bytes cut = twoColourBitmap();
    cut.resize(cut.size() - 2);
    EXPECT_NE(converted(cut, ImageConverter::Result::Failed).find("cut short"), std::string::npos);
    Bytes badIndex = twoColourBitmap();
    badIndex[10] = 0xff; // pixel data offset far beyond the file
    EXPECT_NE(converted(badIndex, ImageConverter::Result::Failed).find("cut short"),
              std::string::npos);
    Bytes png = bytesOf(std::string("\x89PNG\r\n\x1a\n", 8) + "garbage");
    EXPECT_FALSE(converted(png, ImageConverter::Result::Failed).empty());
    converted(bytesOf("BMW owners manual"), ImageConverter::Result::NotAnImage);
    converted(bytesOf("{\\rtf1 text}"), ImageConverter::Result::NotAnImage);
}
