#include "package/WinFile.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {
constexpr uint32_t kReadWrite = fileaccess::kRead | fileaccess::kWrite;

// A stream that serves or takes bytes from memory and can be told to fail, for the copy loop.
class MemoryStream : public WinFile {
  public:
    explicit MemoryStream(std::string data = "") : data_(std::move(data)) {}
    int read(void* buffer, uint32_t count, uint32_t* got) override {
        reads.push_back(count);
        if (failReadAt >= 0 && static_cast<int>(reads.size()) > failReadAt)
            return 23;
        uint32_t n = static_cast<uint32_t>(std::min<size_t>(count, data_.size() - position_));
        std::memcpy(buffer, data_.data() + position_, n);
        position_ += n;
        *got = n;
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

TEST(WinFileHost, LengthPrefixedStringsRoundTrip) {
    TempFolder folder;
    std::string path = folder / "strings.bin";
    {
        WinFile file;
        ASSERT_EQ(file.openPath(path.c_str(), kReadWrite, fileaccess::kShareRead,
                                fileaccess::kCreateOrEmpty),
                  0);
        uint32_t written = 0;
        EXPECT_EQ(file.writeString("hello", 5, &written), 0);
        EXPECT_EQ(written, 7u);
        EXPECT_EQ(file.writeString("", 0, &written), 0);
        EXPECT_EQ(written, 2u);
        EXPECT_EQ(file.writeString("abcdefgh", 8, &written), 0);
    }
    EXPECT_EQ(readAll(path), std::string("\x05\x00hello\x00\x00\x08\x00"
                                         "abcdefgh",
                                         19));

    WinFile file;
    ASSERT_EQ(file.openPath(path.c_str(), fileaccess::kRead, fileaccess::kShareRead,
                            fileaccess::kOpenExisting),
              0);
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    uint16_t length = 99;
    uint32_t got = 0;
    EXPECT_EQ(file.readString(buffer, &length, &got), 0);
    EXPECT_EQ(length, 5);
    EXPECT_EQ(got, 7u);
    EXPECT_EQ(std::string(buffer, 6), "hellox"); // no terminator added

    uint16_t capacity = sizeof buffer;
    EXPECT_EQ(file.readText(buffer, &capacity, &got), 0); // stored length 0
    EXPECT_EQ(capacity, sizeof buffer);                   // left unchanged

    capacity = 8; // the stored length equals the capacity: refused, nothing more read
    EXPECT_EQ(file.readText(buffer, &capacity, &got), -1);
    EXPECT_EQ(file.position(), 11); // only the prefix was consumed
    EXPECT_EQ(file.atEnd(), 0);
}

TEST(WinFileHost, ReadTextTerminatesAndReportsLength) {
    TempFolder folder;
    std::string path = folder / "text.bin";
    writeAll(path, std::string("\x03\x00"
                               "abc\x05\x00"
                               "xy",
                               9));
    WinFile file;
    ASSERT_EQ(file.openPath(path.c_str(), fileaccess::kRead, fileaccess::kShareRead,
                            fileaccess::kOpenExisting),
              0);
    char buffer[4];
    uint16_t capacity = sizeof buffer;
    uint32_t got = 0;
    EXPECT_EQ(file.readText(buffer, &capacity, &got), 0);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(capacity, 3);
    EXPECT_EQ(got, 5u);
    // A stored length that runs past the end of the file terminates after what arrived.
    char more[8];
    capacity = sizeof more;
    EXPECT_EQ(file.readText(more, &capacity, &got), 0);
    EXPECT_STREQ(more, "xy");
    EXPECT_EQ(file.atEnd(), 1);
    // A truncated length prefix is an error.
    EXPECT_EQ(file.readString(more, &capacity, &got), -1);
}

TEST(WinFileHost, ModesAndErrors) {
    TempFolder folder;
    std::string missing = folder / "missing.txt";
    WinFile file;
    EXPECT_EQ(file.openPath(missing.c_str(), fileaccess::kRead, fileaccess::kShareRead, 0), 2);
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.openCount(), 0);

    std::string path = folder / "data.txt";
    ASSERT_EQ(file.openPath(path.c_str(), kReadWrite, fileaccess::kShareRead, 2), 0);
    EXPECT_EQ(file.atEnd(), 1); // empty file
    EXPECT_EQ(file.writeText("0123456789"), 0);
    EXPECT_EQ(file.size(), 10);
    EXPECT_EQ(file.seekFromStart(4, 0), 0);
    EXPECT_EQ(file.truncate(), 0);
    EXPECT_EQ(file.size(), 4);
    EXPECT_EQ(file.seekFromEnd(-2, -1), 0);
    EXPECT_EQ(file.position(), 2);
    EXPECT_EQ(file.openCount(), 1);
    EXPECT_EQ(file.close(), 0);
    EXPECT_EQ(file.openCount(), 0);
    EXPECT_NE(file.close(), 0); // no handle
    EXPECT_EQ(WinFile::sizeOfFile(path.c_str()), 4);
    EXPECT_EQ(WinFile::sizeOfFile(missing.c_str()), -1);

    // A path that does not fit the 260-byte field is refused, never cut.
    std::string longPath = folder.path() + "/" + std::string(300, 'a');
    EXPECT_EQ(file.openPath(longPath.c_str(), kReadWrite, 0, 2), fileaccess::kErrorFilenameTooLong);
    EXPECT_STREQ(file.path(), path.c_str());
}

TEST(CopyStream, ChunksAndTotals) {
    std::string pattern(100000, '\0');
    for (size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<char>(i * 7);
    struct Row {
        std::string source;
        int64_t count, chunk;
        std::vector<uint32_t> reads;
        int64_t copied;
    };
    const Row rows[] = {{pattern, 70000, 30000, {30000, 30000, 10000}, 70000},
                        // Asking for more than the source holds stops after the short read.
                        {"abc", 10, 0, {10}, 3},
                        // The default chunk, and a chunk capped at 32 MiB.
                        {std::string(40000, 'x'), 40000, -1, {32768, 40000 - 32768}, 40000},
                        {"y", 50LL * 1024 * 1024, 64 * 1024 * 1024, {32u * 1024 * 1024}, 1},
                        {"z", 0, 0, {}, 0},
                        {"z", -5, 0, {}, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.count);
        MemoryStream source(row.source), destination;
        int64_t read = -1, written = -1;
        EXPECT_EQ(copyStream(destination, source, row.count, &read, &written,
                             static_cast<int>(row.chunk)),
                  0);
        EXPECT_EQ(read, row.copied);
        EXPECT_EQ(written, row.copied);
        EXPECT_EQ(destination.data_, row.source.substr(0, static_cast<size_t>(row.copied)));
        EXPECT_EQ(source.reads, row.reads);
    }
}

TEST(CopyStream, ReportsTheFirstError) {
    MemoryStream source(std::string(100, 'a')), destination;
    source.failReadAt = 1;
    int64_t read = 0, written = 0;
    EXPECT_EQ(copyStream(destination, source, 100, &read, &written, 40), 23);
    EXPECT_EQ(read, 40);
    EXPECT_EQ(written, 40);

    MemoryStream source2(std::string(100, 'a')), full;
    full.failWrite = true;
    EXPECT_EQ(copyStream(full, source2, 100, &read, &written, 40), 112);
    EXPECT_EQ(read, 40);
    EXPECT_EQ(written, 0);
}
