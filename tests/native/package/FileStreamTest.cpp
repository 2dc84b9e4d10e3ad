#include "package/WinFile.h"

#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {
using namespace fileaccess;

// A stream over memory that can be told to fail, for the copy loop.
class MemoryStream : public WinFile {
  public:
    explicit MemoryStream(std::string data = "") : data_(std::move(data)) {}
    int read(void* buffer, uint32_t count, uint32_t* got) override {
        reads.push_back(count);
        if (failReadAt >= 0 && static_cast<int>(reads.size()) > failReadAt)
            return 23;
        *got = static_cast<uint32_t>(std::min<size_t>(count, data_.size() - position_));
        std::memcpy(buffer, data_.data() + position_, *got);
        position_ += *got;
        return 0;
    }
    int write(const void* bytes, uint32_t count, uint32_t* written) override {
        if (failWrite)
            return 112;
        data_.append(static_cast<const char*>(bytes), count);
        *written = count;
        return 0;
    }
    std::string data_;
    size_t position_ = 0;
    std::vector<uint32_t> reads;
    int failReadAt = -1;
    bool failWrite = false;
};
} // namespace

TEST(WinFileHost, LengthPrefixedTextsAreReadWholeOrRefused) {
    TempFolder folder;
    std::string path = folder / "strings.bin";
    WinFile file;
    ASSERT_EQ(file.openPath(path.c_str(), kRead | kWrite, kShareRead, kCreateOrEmpty), 0);
    uint32_t done = 0;
    const char* texts[] = {"hello", "", "abc", "abcdefgh"};
    for (const char* text : texts)
        EXPECT_EQ(file.writeString(text, static_cast<uint16_t>(std::strlen(text)), &done), 0);
    EXPECT_EQ(done, 10u);
    EXPECT_EQ(file.write("\x05\x00xy", 4, &done), 0); // a length that runs past the end
    EXPECT_EQ(readAll(path), std::string("\x05\0hello\0\0\x03\0abc\x08\0abcdefgh\x05\0xy", 28));
    ASSERT_EQ(file.seekFromStart(0, 0), 0);
    char buffer[16] = "xxxxxxxxxxxxxxx";
    uint16_t length = 99;
    EXPECT_EQ(file.readString(buffer, &length, &done), 0);
    EXPECT_EQ(std::string(buffer, 6), "hellox"); // no terminator added
    EXPECT_EQ(length, 5);
    EXPECT_EQ(done, 7u);
    EXPECT_EQ(file.readText(buffer, &(length = 16), &done), 0);
    EXPECT_EQ(length, 16) << "an empty text leaves the capacity";
    EXPECT_EQ(file.readText(buffer, &(length = 4), &done), 0);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(length, 3);
    // A text as long as the buffer would be cut: refused, and only its prefix is consumed.
    EXPECT_EQ(file.readText(buffer, &(length = 8), &done), -1);
    EXPECT_EQ(file.position(), 16);
    ASSERT_EQ(file.seekFromCurrent(8, 0), 0);
    EXPECT_EQ(file.readText(buffer, &(length = 8), &done), 0);
    EXPECT_STREQ(buffer, "xy");
    EXPECT_EQ(file.atEnd(), 1);
    EXPECT_EQ(file.readString(buffer, &length, &done), -1);
}

TEST(WinFileHost, ModesSizesAndPositions) {
    TempFolder folder;
    std::string path = folder / "data.txt";
    WinFile file;
    EXPECT_EQ(file.openPath(path.c_str(), kRead, kShareRead, kOpenExisting), 2);
    EXPECT_EQ(WinFile::sizeOfFile(path.c_str()), -1);
    ASSERT_EQ(file.openPath(path.c_str(), kRead | kWrite, kShareRead, kOpenOrCreate), 0);
    EXPECT_EQ(file.atEnd(), 1);
    EXPECT_EQ(file.writeText("0123456789"), 0);
    EXPECT_EQ(file.seekFromStart(4, 0), 0);
    EXPECT_EQ(file.truncate(), 0);
    EXPECT_EQ(file.size(), 4);
    EXPECT_EQ(file.seekFromEnd(-2, -1), 0);
    EXPECT_EQ(file.position(), 2);
    EXPECT_EQ(file.close(), 0);
    EXPECT_EQ(WinFile::sizeOfFile(path.c_str()), 4);
}

TEST(WinFileHost, CloseWithoutAHandleAnswersInvalidHandleAndTheOpenCountStaysAtZero) {
    TempFolder folder;
    WinFile file;
    EXPECT_EQ(file.close(), kErrorInvalidHandle);
    ASSERT_EQ(file.openPath((folder / "f").c_str(), kWrite, 0, kCreateOrEmpty), 0);
    EXPECT_EQ(file.openCount(), 1);
    EXPECT_EQ(file.close(), 0);
    EXPECT_EQ(file.close(), kErrorInvalidHandle);
    EXPECT_EQ(file.openCount(), 0);
}

TEST(WinFileHost, PathsOver259CharactersAreRefusedNeverCut) {
    TempFolder folder;
    std::string longest = folder / std::string(kPathSize - 2 - folder.path().size(), 'a');
    WinFile file;
    ASSERT_EQ(file.openPath(longest.c_str(), kWrite, 0, kCreateOrEmpty), 0);
    EXPECT_EQ(file.openPath((longest + "b").c_str(), kWrite, 0, kCreateOrEmpty),
              kErrorFilenameTooLong);
    EXPECT_EQ(file.path(), longest);
}

TEST(CopyStream, CopiesInChunksAndStopsAtTheSourcesEnd) {
    std::string pattern(100000, '\0');
    for (size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<char>(i * 7);
    struct Row {
        std::string source;
        int64_t count, chunk;
        std::vector<uint32_t> reads;
        int64_t copied;
    } rows[] = {{pattern, 70000, 30000, {30000, 30000, 10000}, 70000},
                {"abc", 10, 0, {10}, 3},
                // The default chunk, and a chunk capped at 32 MiB.
                {std::string(40000, 'x'), 40000, -1, {32768, 40000 - 32768}, 40000},
                {"y", 50LL * 1024 * 1024, 64 * 1024 * 1024, {32u * 1024 * 1024}, 1},
                {"z", -5, 0, {}, 0}};
    for (const Row& row : rows) {
        MemoryStream source(row.source), destination;
        int64_t read = -1, written = -1;
        EXPECT_EQ(copyStream(destination, source, row.count, &read, &written,
                             static_cast<int>(row.chunk)),
                  0);
        EXPECT_EQ(read, row.copied);
        EXPECT_EQ(written, row.copied);
        EXPECT_EQ(destination.data_, row.source.substr(0, static_cast<size_t>(row.copied)));
        EXPECT_EQ(source.reads, row.reads) << row.count;
    }
}

TEST(CopyStream, ReportsTheFirstReadOrWriteError) {
    MemoryStream source(std::string(100, 'a')), destination, full;
    source.failReadAt = 1;
    full.failWrite = true;
    int64_t read = 0, written = 0;
    EXPECT_EQ(copyStream(destination, source, 100, &read, &written, 40), 23);
    EXPECT_EQ(read + written, 80);
    source.position_ = 0;
    source.failReadAt = -1;
    EXPECT_EQ(copyStream(full, source, 100, &read, &written, 40), 112);
    EXPECT_EQ(read, 40);
    EXPECT_EQ(written, 0);
}
