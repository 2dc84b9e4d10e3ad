// The check sum decides whether an uninstall may restore a file: its values must never drift.
#include "engine/CheckSum.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
uint32_t sumOf(const std::string& text) {
    return checkSum(static_cast<uint32_t>(text.size()), text.data(), text.size());
}
} // namespace

TEST(CheckSum, KnownValuesAndChunksOfWholeWordsGiveTheOnePassValue) {
    EXPECT_EQ(sumOf(""), 0x00000000u);
    EXPECT_EQ(sumOf("abc"), 0x00000063u);
    EXPECT_EQ(sumOf("abcd"), 0x64636265u);
    EXPECT_EQ(checkSum(0, "\xff\xff\xff\xff\x01", 5), 0xfffffffeu);

    std::string data;
    for (int i = 0; i < 100003; ++i)
        data.push_back(static_cast<char>(i * 31 + 7));
    uint32_t chunked = static_cast<uint32_t>(data.size());
    for (size_t at = 0; at < data.size(); at += 32768)
        chunked = checkSum(chunked, data.data() + at, std::min<size_t>(32768, data.size() - at));
    EXPECT_EQ(chunked, sumOf(data));
    data[5000] ^= 1;
    EXPECT_NE(sumOf(data), chunked);
}
