#include "package/PayloadFormat.h"
#include "startup/Installer.h"
#include "tests/native/package/CraftedPayload.h"
#include "tests/support/TestInstaller.h"

#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace {
// The payload operations under test live in the platform-neutral base class.
using PayloadOnlyInstaller = TestInstaller;

int openBytes(Installer& installer, const ByteVector& bytes, uint32_t offset = 0) {
    TempFile file(bytes);
    return installer.openPayload(file.path(), offset, 0);
}

std::string unpacked(Installer& installer, const char* name) {
    uint32_t length = 0xdead;
    unsigned char* buffer = nullptr;
    if (installer.unpackEntry(name, &length, &buffer) != 0)
        return "<failed>";
    std::unique_ptr<unsigned char[]> owned(buffer);
    EXPECT_EQ(buffer[length], 0) << "a zero byte follows the data";
    return std::string(reinterpret_cast<char*>(buffer), length);
}

// One entry named `name` holding "text", with or without the end record.
CraftedPayload oneEntry(const std::string& name = "a", bool ended = true) {
    CraftedPayload payload;
    payload.entry(name, "text");
    if (ended)
        payload.end();
    return payload;
}

ByteVector withWord(size_t at, uint32_t value) {
    CraftedPayload payload = oneEntry();
    payload.setWord(at, value);
    return payload.bytes;
}

ByteVector firstBytes(const ByteVector& bytes, size_t count) {
    return ByteVector(bytes.begin(), bytes.begin() + count);
}
} // namespace

TEST(InstallerPayload, EntriesUnpackByNameLastOfANameWinsCaseCounts) {
    CraftedPayload payload;
    payload.entry("install.xml", "<a/>").entry("AppIcon", "first").entry("AppIcon", "second");
    payload.entry("empty", "").end();
    PayloadOnlyInstaller installer;
    ASSERT_EQ(openBytes(installer, payload.bytes), 0);
    EXPECT_EQ(installer.payloadEntryCount(), 4);
    EXPECT_EQ(unpacked(installer, "install.xml"), "<a/>");
    EXPECT_EQ(installer.findEntry("AppIcon"), 2);
    EXPECT_EQ(unpacked(installer, "AppIcon"), "second");
    EXPECT_EQ(installer.findEntry("appicon"), -1);
    EXPECT_EQ(unpacked(installer, "appicon"), "<failed>");
    EXPECT_EQ(unpacked(installer, "empty"), "");
    uint32_t length = 7;
    EXPECT_EQ(installer.loadEntry("missing", &length), nullptr);
    EXPECT_EQ(length, 7u) << "a missing entry leaves the length untouched";
    std::unique_ptr<unsigned char[]> icon(installer.loadAppIcon());
    ASSERT_NE(icon, nullptr);
    EXPECT_STREQ(reinterpret_cast<char*>(icon.get()), "second");
}

TEST(InstallerPayload, PayloadBehindAnImageReadsLikeABarePayload) {
    ByteVector installer(5000, 'M');
    ByteVector payload = oneEntry().bytes;
    installer.insert(installer.end(), payload.begin(), payload.end());
    PayloadOnlyInstaller packed;
    ASSERT_EQ(openBytes(packed, installer, 5000), 0);
    EXPECT_EQ(unpacked(packed, "a"), "text");
}

TEST(InstallerPayload, EveryDamageAndEveryBoundOfTheListWalkGivesItsCode) {
    ByteVector good = oneEntry().bytes;
    ByteVector unended = oneEntry("a", false).bytes;
    ByteVector strayBytes = unended;
    strayBytes.push_back(0x03);
    strayBytes.push_back(0x00);
    struct Case {
        const char* what;
        ByteVector bytes;
        uint32_t offset;
        int code;
    } cases[] = {
        {"empty list", CraftedPayload().end().bytes, 0, 0},
        {"offset beyond the file", good, static_cast<uint32_t>(good.size()) + 1,
         payload::kCannotSeek},
        {"magic word 1", withWord(0, 0), 0, payload::kBadMagic1},
        {"magic word 2", withWord(4, 0), 0, payload::kBadMagic2},
        {"magic word 3", withWord(8, 0), 0, payload::kBadMagic3},
        {"shorter than the first word", ByteVector(6, 0x27), 0, payload::kBadMagic1},
        {"cut in the second word", firstBytes(good, 6), 0, payload::kBadMagic2},
        {"unknown record type", withWord(64, 0x12345678), 0, payload::kBadRecordType},
        {"record header past the end", firstBytes(unended, 64 + 300), 0, payload::kRecordPastEnd},
        {"record data past the end", withWord(64 + 8, 0x7ffffff0u), 0, payload::kRecordPastEnd},
        {"no end record", unended, 0, payload::kNoEndRecord},
        {"two bytes where the end record belongs", strayBytes, 0, payload::kNoEndRecord},
        {"header only", CraftedPayload().bytes, 0, payload::kNoEndRecord},
        {"name of 276 bytes", oneEntry(std::string(276, 'n')).bytes, 0, payload::kNameUnterminated},
    };
    PayloadOnlyInstaller installer;
    for (const Case& row : cases)
        EXPECT_EQ(openBytes(installer, row.bytes, row.offset), row.code) << row.what;
    EXPECT_EQ(installer.openPayload("/nonexistent/setup.exe", 0, 0), payload::kCannotOpen);
    std::string longest(275, 'n');
    ASSERT_EQ(openBytes(installer, oneEntry(longest).bytes), 0);
    EXPECT_EQ(unpacked(installer, longest.c_str()), "text");
}

TEST(InstallerPayload, ReadFailureGivesMinusFour) {
    // A folder opens for reading natively but cannot be read, the way a failing device reads.
    char folder[] = "/tmp/kestrel-folder-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    struct stat info;
    ASSERT_EQ(stat(folder, &info), 0);
    PayloadOnlyInstaller installer;
    int result = installer.openPayload(folder, 0, 0);
    rmdir(folder);
    if (info.st_size == 0)
        GTEST_SKIP() << "this file system gives folders no size";
    EXPECT_EQ(result, payload::kCannotRead);
}

TEST(InstallerPayload, FailedOpenLeavesNoPayloadAndClosingKeepsOnlyTheList) {
    PayloadOnlyInstaller installer;
    ASSERT_EQ(openBytes(installer, oneEntry().bytes), 0);
    EXPECT_EQ(installer.closePayload(), 0);
    EXPECT_EQ(installer.payloadEntryCount(), 1);
    EXPECT_EQ(unpacked(installer, "a"), "<failed>");

    ASSERT_EQ(openBytes(installer, oneEntry().bytes), 0);
    EXPECT_EQ(openBytes(installer, oneEntry("a", false).bytes), payload::kNoEndRecord);
    EXPECT_EQ(installer.payloadEntryCount(), 0);
    EXPECT_EQ(unpacked(installer, "a"), "<failed>");
}

TEST(InstallerPayload, EntryMayInflateToItsSizePlus1023ButNoMore) {
    CraftedPayload payload;
    payload.record(payload::kTypeEntry, "fits", 0, deflateBest(std::string(1023, 'x')));
    payload.record(payload::kTypeEntry, "overflows", 0, deflateBest(std::string(1024, 'x')));
    payload.record(payload::kTypeEntry, "garbage", 10, ByteVector{1, 2, 3, 4});
    payload.end();
    PayloadOnlyInstaller installer;
    ASSERT_EQ(openBytes(installer, payload.bytes), 0);
    EXPECT_EQ(unpacked(installer, "fits"), std::string(1023, 'x'));
    uint32_t length = 99;
    unsigned char* buffer = reinterpret_cast<unsigned char*>(&length);
    EXPECT_EQ(installer.unpackEntry("overflows", &length, &buffer), -1);
    EXPECT_EQ(length, 0u) << "an existing entry clears the outs before unpacking";
    EXPECT_EQ(buffer, nullptr);
    length = 99;
    EXPECT_EQ(installer.loadEntry("garbage", &length), nullptr);
    EXPECT_EQ(length, 0u);
}

TEST(InstallerPayload, UninstallModeOnlyOpensTheActionLog) {
    PayloadOnlyInstaller installer;
    EXPECT_EQ(installer.openPayload("/nonexistent/action.log", 0, 1), payload::kActionLogMissing);
    TempFile notAPayload(ByteVector{'n', 'o', 't'});
    EXPECT_EQ(installer.openPayload(notAPayload.path(), 0, 1), 0);
    EXPECT_TRUE(installer.isUninstalling());
    EXPECT_EQ(installer.payloadEntryCount(), 0);
    installer.closePayload();
    EXPECT_FALSE(installer.isUninstalling());
}

TEST(InstallerPayload, EveryFailureIsDescribedForAPerson) {
    EXPECT_STREQ(payload::describeOpenFailure(payload::kCannotOpen), "cannot be opened");
    EXPECT_STREQ(payload::describeOpenFailure(payload::kNoEndRecord), "is truncated");
    EXPECT_STREQ(payload::describeOpenFailure(payload::kBadMagic2), "is not an installer package");
    EXPECT_STREQ(payload::describeOpenFailure(payload::kNameUnterminated),
                 "has a damaged entry list");
}
