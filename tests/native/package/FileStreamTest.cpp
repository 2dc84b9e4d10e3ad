#include "package/WinFile.h"

#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {
using namespace fileaccess;

// A stream over memory for the copy loop; given an error, it fails every write and every read
// after the first.
class MemoryStream : public WinFile {
  public:
    explicit MemoryStream(std::string data = "", int error = 0) : data(data), error(error) {}
    int read(void* buffer, uint32_t count, uint32_t* got) override {
        reads.push_back(count);
        if (error != 0 && reads.size() > 1)
            return error;
        *got = static_cast<uint32_t>(std::min<size_t>(count, data.size() - position));
        std::memcpy(buffer, data.data() + position, *got);
        position += *got;
        return 0;
    }
    int write(const void* bytes, uint32_t count, uint32_t* written) override {
        data.append(static_cast<const char*>(bytes), error != 0 ? 0 : count);
        *written = error != 0 ? 0 : count;
        return error;
    }
    std::string data;
    int error;
    size_t position = 0;
    std::vector<uint32_t> reads;
};
} // namespace

TEST(WinFileHost, LengthPrefixedTextsAreReadWholeOrRefused) {
    TempFolder folder;
    std::string path = folder / "texts.bin";
    WinFile file;
    ASSERT_EQ(file.openPath(path.c_str(), kRead | kWrite, kShareRead, kCreateOrEmpty), 0);
    uint32_t done = 0;
    for (const char* text : {"hello", "", "abc", "abcdefgh"})
        file.writeString(text, static_cast<uint16_t>(std::strlen(text)), &done);
    file.write("\x05\x00xy", 4, &done); // a length that runs past the end
    EXPECT_EQ(readAll(path), std::string("\x05\0hello\0\0\x03\0abc\x08\0abcdefgh\x05\0xy", 28));
    ASSERT_EQ(file.seekFromStart(0, 0), 0);
    char buffer[16] = "xxxxxxxxxxxxxxx";
    uint16_t length = 0;
    EXPECT_EQ(file.readString(buffer, &length, &done), 0);
    EXPECT_EQ(std::string(buffer, 6) + std::to_string(length), "hellox5"); // not terminated
    EXPECT_EQ(file.readText(buffer, &(length = 16), &done), 0);
    EXPECT_EQ(length, 16) << "an empty text leaves the capacity";
    EXPECT_EQ(file.readText(buffer, &(length = 4), &done), 0);
    EXPECT_EQ(buffer + std::to_string(length), "abc3");
    // A text as long as the buffer would be cut: refused, and only its prefix is consumed.
    EXPECT_EQ(file.readText(buffer, &(length = 8), &done), -1);
    EXPECT_EQ(file.seekFromCurrent(8, 0), 0);
    EXPECT_EQ(file.readText(buffer, &(length = 8), &done), 0);
    EXPECT_STREQ(buffer, "xy");
    EXPECT_EQ(file.atEnd(), 1);
    EXPECT_EQ(file.readString(buffer, &length, &done), -1);
    EXPECT_EQ(file.seekFromEnd(-4, -1), 0);
    EXPECT_EQ(file.truncate(), 0);
    EXPECT_EQ(WinFile::sizeOfFile(path.c_str()), 24);
}

TEST(WinFileHost, CloseWithoutAHandleAnswersInvalidHandleAndTheOpenCountStaysAtZero) {
    TempFolder folder;
    WinFile file;
    EXPECT_EQ(file.openPath((folder / "missing").c_str(), kRead, kShareRead, kOpenExisting), 2);
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

TEST(CopyStream, CopiesInChunksUpToTheSourcesEndAndStopsAtTheFirstError) {
    std::string pattern(100000, '\0');
    for (size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<char>(i * 7);
    struct Row {
        std::string source;
        int64_t count, chunk;
        int sourceError, destinationError, result;
        std::vector<uint32_t> reads;
        int64_t read, written;
    } rows[] = {{pattern, 70000, 30000, 0, 0, 0, {30000, 30000, 10000}, 70000, 70000},
                {"abc", 10, 0, 0, 0, 0, {10}, 3, 3},
                // The default chunk, and a chunk capped at 32 MiB.
                {std::string(40000, 'x'), 40000, -1, 0, 0, 0, {32768, 7232}, 40000, 40000},
                {"y", 50LL << 20, 64 << 20, 0, 0, 0, {32u << 20}, 1, 1},
                {"z", -5, 0, 0, 0, 0, {}, 0, 0},
                {pattern, 100, 40, 23, 0, 23, {40, 40}, 40, 40},
                {pattern, 100, 40, 0, 112, 112, {40}, 40, 0}};
    for (const Row& row : rows) {
        MemoryStream source(row.source, row.sourceError), destination("", row.destinationError);
        int64_t read = -1, written = -1;
        EXPECT_EQ(copyStream(destination, source, row.count, &read, &written,
                             static_cast<int>(row.chunk)),
                  row.result);
        EXPECT_EQ(read, row.read);
        EXPECT_EQ(written, row.written);
        EXPECT_EQ(destination.data, row.source.substr(0, static_cast<size_t>(row.written)));
        EXPECT_EQ(source.reads, row.reads) << row.count;
    }
}
