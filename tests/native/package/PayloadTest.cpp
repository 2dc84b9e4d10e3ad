#include "package/Payload.h"
#include "package/PayloadFormat.h"
#include "package/WinFile.h"
#include "tests/native/TempFolder.h"
#include "tests/support/TestPayload.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <zlib.h>

namespace {
const std::string kHeader = testpayload::build({}).substr(0, payload::kHeaderSize);
const std::string kEnd = testpayload::build({}).substr(payload::kHeaderSize);

// One entry record, header and deflated data, as the packer writes it.
std::string record(const std::string& name, const std::string& data) {
    std::string bytes = testpayload::build({{name, data}});
    return bytes.substr(kHeader.size(), bytes.size() - kHeader.size() - kEnd.size());
}

std::string withWord(std::string bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i));
    return bytes;
}

// A record whose data is stored rather than deflated, as noise would be: quick at any size.
std::string storedRecord(const std::string& name, const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string packed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(&packed[0]), &size,
              reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
              Z_NO_COMPRESSION);
    packed.resize(size);
    std::string header = record(name, "").substr(0, payload::kRecordHeaderSize);
    header = withWord(withWord(header, 4, static_cast<uint32_t>(data.size())), 8,
                      static_cast<uint32_t>(packed.size()));
    return header + packed;
}

std::string noise(size_t length) {
    std::string bytes(length, '\0');
    uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

class PayloadTest : public ::testing::Test {
  protected:
    int open(const std::string& bytes, uint32_t offset = 0) {
        writeAll(folder / "package.bin", bytes);
        return payload.open((folder / "package.bin").c_str(), offset);
    }
    std::string unpacked(const char* name) {
        uint32_t length = 0xdead;
        std::unique_ptr<unsigned char[]> data = payload.unpack(name, &length);
        if (!data)
            return length == 0 ? "<failed>" : "<failed, length left>";
        EXPECT_EQ(data[length], 0) << "a zero byte follows the data";
        return std::string(reinterpret_cast<char*>(data.get()), length);
    }
    // How the piece-by-piece read of the entry ended, and the pieces it handed on.
    std::pair<Payload::EntryRead, std::string> inflated(const char* name) {
        std::string bytes;
        Payload::EntryRead read = payload.inflate(
            payload.find(name), [&bytes](const unsigned char* piece, uint32_t length) {
                bytes.append(reinterpret_cast<const char*>(piece), length);
                return true;
            });
        return {read, bytes};
    }

    TempFolder folder;
    Payload payload;
};
} // namespace

// An entry must inflate to exactly its stated size: more or less is damage.
TEST_F(PayloadTest, EntriesUnpackByNameTheLastOfANameWinsAndOnlyToTheirStatedSize) {
    std::string bytes = kHeader + record("install.xml", "<a/>") + record("AppIcon", "first") +
                        record("AppIcon", "second") + record("empty", "") +
                        withWord(record("longer", std::string(1023, 'x')), 4, 0) +
                        withWord(record("shorter", std::string(1033, 'x')), 4, 10) +
                        withWord(record("overflows", std::string(1024, 'x')), 4, 0) +
                        withWord(record("garbage", "0123456789"), 608, 0x04030201) + kEnd;
    // Behind an executable image the payload reads like a bare one.
    ASSERT_EQ(open(std::string(5000, 'M') + bytes, 5000), 0);
    EXPECT_EQ(payload.entryCount(), 8);
    EXPECT_EQ(payload.find("AppIcon"), 2);
    EXPECT_EQ(payload.find("appicon"), -1);
    const char* rows[][2] = {
        {"install.xml", "<a/>"}, {"AppIcon", "second"},     {"empty", ""},
        {"appicon", "<failed>"}, {"overflows", "<failed>"}, {"garbage", "<failed>"},
        {"longer", "<failed>"},  {"shorter", "<failed>"}};
    for (const auto& row : rows) {
        EXPECT_EQ(unpacked(row[0]), row[1]) << row[0];
        auto [read, bytes] = inflated(row[0]);
        EXPECT_EQ(read == Payload::EntryRead::kWhole ? bytes : "<failed>", row[1]) << row[0];
    }
    payload.close();
    EXPECT_EQ(payload.entryCount(), 0);
    EXPECT_EQ(unpacked("AppIcon"), "<failed>");
}

TEST_F(PayloadTest, EveryDamageOfTheEntryListGivesItsCodeAndLeavesNothingOpen) {
    const std::string good = kHeader + record("a", "text") + kEnd;
    const std::string unended = kHeader + record("a", "text");
    const std::string longName(275, 'n');
    const std::pair<std::string, int> rows[] = {
        {kHeader + kEnd, payload::kOk}, // an empty list
        {withWord(good, 0, 0), payload::kBadMagic1},
        {withWord(good, 4, 0), payload::kBadMagic2},
        {withWord(good, 8, 0), payload::kBadMagic3},
        {std::string(3, '\x27'), payload::kBadMagic1}, // shorter than the first word
        {good.substr(0, 6), payload::kBadMagic2},
        {withWord(good, kHeader.size(), 0x12345678), payload::kBadRecordType},
        {good.substr(0, kHeader.size() + 300), payload::kRecordPastEnd}, // the record header
        {withWord(good, kHeader.size() + 8, 0x7ffffff0u), payload::kRecordPastEnd}, // its data
        {unended, payload::kNoEndRecord},
        {unended + std::string("\x03\0", 2), payload::kNoEndRecord},
        {kHeader, payload::kNoEndRecord},
        // Byte 607 of a record is the last of its name field.
        {kHeader + record(longName, "text").replace(607, 1, "n") + kEnd,
         payload::kNameUnterminated}};
    for (size_t row = 0; row < std::size(rows); ++row) {
        ASSERT_EQ(open(good), 0);
        EXPECT_EQ(open(rows[row].first), rows[row].second) << "row " << row;
        EXPECT_EQ(payload.entryCount(), 0);
    }
    EXPECT_EQ(open(good, static_cast<uint32_t>(good.size()) + 1), payload::kCannotSeek);
    ASSERT_EQ(open(kHeader + record(longName, "text") + kEnd), 0);
    EXPECT_EQ(unpacked(longName.c_str()), "text");
    EXPECT_EQ(payload.open((folder / "missing.bin").c_str(), 0), payload::kCannotOpen);
    // A folder opens for reading natively but cannot be read, the way a failing device reads.
    if (WinFile::sizeOfFile(folder.path().c_str()) > 0)
        EXPECT_EQ(payload.open(folder.path().c_str(), 0), payload::kCannotRead);
}

// A package that shrinks while open fails only the entries whose bytes are gone: an entry cut
// mid-stream hands on only the pieces read whole. The large entry spans two read windows.
TEST_F(PayloadTest, BytesLostAfterOpeningFailOnlyTheEntriesThatNeedThem) {
    using Read = Payload::EntryRead;
    const std::string large = noise(12u << 20);
    const std::string bytes =
        kHeader + record("first", "first entry") + storedRecord("large", large) + kEnd;
    struct Row {
        size_t cut;
        Read first, large;
        bool piecesHanded;
    };
    const Row rows[] = {{bytes.size(), Read::kWhole, Read::kWhole, true},
                        {9u << 20, Read::kWhole, Read::kUnreadable, true},   // in the second window
                        {100, Read::kUnreadable, Read::kUnreadable, false}}; // in the first record
    for (const Row& row : rows) {
        ASSERT_EQ(open(bytes), 0);
        std::filesystem::resize_file(folder / "package.bin", row.cut);
        Read read = Read::kMissing;
        uint32_t length = 0;
        std::unique_ptr<unsigned char[]> first = payload.unpack("first", &length, &read);
        EXPECT_EQ(read, row.first) << row.cut;
        EXPECT_EQ(first != nullptr, row.first == Read::kWhole) << row.cut;
        std::unique_ptr<unsigned char[]> whole = payload.unpack("large", &length, &read);
        EXPECT_EQ(read, row.large) << row.cut;
        if (whole)
            EXPECT_EQ(std::string(reinterpret_cast<char*>(whole.get()), length), large);
        auto [pieces, taken] = inflated("large");
        EXPECT_EQ(pieces, row.large) << row.cut;
        EXPECT_EQ(!taken.empty(), row.piecesHanded) << row.cut;
        EXPECT_TRUE(large.compare(0, taken.size(), taken) == 0) << row.cut;
        EXPECT_EQ(taken.size() == large.size(), row.large == Read::kWhole) << row.cut;
    }
    EXPECT_EQ(open(bytes.substr(0, 9u << 20)), payload::kRecordPastEnd);
}
