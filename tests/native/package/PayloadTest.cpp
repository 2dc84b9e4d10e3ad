#include "package/Payload.h"
#include "package/PayloadFormat.h"
#include "package/WinFile.h"
#include "tests/native/TempFolder.h"
#include "tests/support/TestPayload.h"

#include <gtest/gtest.h>

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
