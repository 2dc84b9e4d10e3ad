#include "package/TextEncoding.h"
#include "package/Utf8Text.h"
#include "package/WinFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {
const std::string kTwo = "\xC3\xA9";          // é: 2 bytes, 1 unit
const std::string kThree = "\xE6\x97\xA5";    // 日: 3 bytes, 1 unit
const std::string kFour = "\xF0\x9F\x98\x80"; // 😀: 4 bytes, 2 units
constexpr unsigned kWestern = 1252;

std::string path(const std::string& head, const std::string& piece, int count,
                 const std::string& tail = "") {
    std::string text = head;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text + tail;
}
} // namespace

TEST(PathLimit, Utf16LengthCountsUnitsNotBytes) {
    struct Row {
        std::string text;
        size_t units;
    } rows[] = {
        {"", 0},
        {"C:\\a", 4},
        {kTwo + kThree, 2},
        {kFour, 2},
        {"a" + kFour + "b", 4},
        // Damaged bytes each become one replacement character.
        {"\xE6\x97", 2},
        {"\xAC" + kThree, 2},
        {"\xF0\x9F\x98", 3},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Utf8Text::utf16Length(row.text.data(), row.text.size()), row.units) << row.text;
}

// "C:\" is 3 units: 256 pieces of one unit make 259 (the most a path holds), 257 make 260.
TEST(PathLimit, FitsCountsCharactersInUtf8AndBytesOtherwise) {
    struct Row {
        std::string path;
        bool fitsUtf8;
        bool fitsWestern;
    } rows[] = {
        {path("C:\\", "a", 256), true, true},
        {path("C:\\", "a", 257), false, false},
        {path("C:\\", kTwo, 256), true, false},
        {path("C:\\", kTwo, 257), false, false},
        {path("C:\\", kThree, 256), true, false},
        {path("C:\\", kThree, 257), false, false},
        {path("C:\\", kFour, 128), true, false},
        {path("C:\\a", kFour, 127, "b"), true, false},
        {path("C:\\a", kFour, 127, "bc"), false, false},
        // The pair that would take units 259 and 260 does not fit.
        {path("C:\\a", kFour, 128), false, false},
        {path("C:\\", kThree, 300), false, false},
        {path("C:\\", "\xE6\x97", 128), true, true},
        {path("C:\\", "\xE6\x97", 129), false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path.size());
        EXPECT_EQ(fileaccess::fitsPathLimit(row.path.c_str(), TextEncoding::kUtf8), row.fitsUtf8);
        EXPECT_EQ(fileaccess::fitsPathLimit(row.path.c_str(), kWestern), row.fitsWestern);
    }
}

// The longest path takes 3 bytes for each of its 259 units; a byte buffer must hold it.
TEST(PathLimit, BufferHoldsTheLongestPathInUtf8) {
    for (const std::string& longest : {path("", kThree, 259), path("C:\\", kFour, 128)}) {
        ASSERT_TRUE(fileaccess::fitsPathLimit(longest.c_str(), TextEncoding::kUtf8));
        EXPECT_LT(longest.size(), static_cast<size_t>(fileaccess::kPathSize));
    }
}
