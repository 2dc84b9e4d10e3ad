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
    std::unique_ptr<unsigned char[]> icon(installer.loadAppIcon());
    ASSERT_NE(icon, nullptr);
    EXPECT_STREQ(reinterpret_cast<char*>(icon.get()), "second");
}

TEST(InstallerPayload, EmptyListOpensAndEveryLookupFails) {
    CraftedPayload payload;
    payload.end();
    PayloadOnlyInstaller installer;
    ASSERT_EQ(openBytes(installer, payload.bytes), 0);
    EXPECT_EQ(installer.payloadEntryCount(), 0);
    EXPECT_EQ(installer.findEntry("install.xml"), -1);
    uint32_t length = 7;
    EXPECT_EQ(installer.loadEntry("install.xml", &length), nullptr);
    EXPECT_EQ(length, 7u) << "a missing entry leaves the length untouched";
}

TEST(InstallerPayload, PayloadBehindAnImageReadsLikeABarePayload) {
    CraftedPayload payload;
    payload.entry("data", "behind the engine").end();
    ByteVector installer(5000, 'M');
    installer.insert(installer.end(), payload.bytes.begin(), payload.bytes.end());
    PayloadOnlyInstaller packed;
    PayloadOnlyInstaller bare;
    ASSERT_EQ(openBytes(packed, installer, 5000), 0);
    ASSERT_EQ(openBytes(bare, payload.bytes, 0), 0);
    EXPECT_EQ(unpacked(packed, "data"), "behind the engine");
    EXPECT_EQ(unpacked(bare, "data"), "behind the engine");
}

TEST(InstallerPayload, OpenFailuresGiveTheirCodes) {
    PayloadOnlyInstaller installer;
    EXPECT_EQ(installer.openPayload("/nonexistent/setup.exe", 0, 0), payload::kCannotOpen);
    CraftedPayload good;
    good.end();
    EXPECT_EQ(openBytes(installer, good.bytes, static_cast<uint32_t>(good.bytes.size()) + 1),
              payload::kCannotSeek);
    for (int word = 0; word < 3; ++word) {
        CraftedPayload bad;
        bad.end();
        bad.bytes[word * 4] ^= 0xff;
        EXPECT_EQ(openBytes(installer, bad.bytes), payload::kBadMagic1 - word);
    }
    EXPECT_EQ(openBytes(installer, ByteVector(6, 0x27)), payload::kBadMagic1);
    ByteVector firstWordOnly(good.bytes.begin(), good.bytes.begin() + 6);
    EXPECT_EQ(openBytes(installer, firstWordOnly), payload::kBadMagic2);
    CraftedPayload unknownType;
    unknownType.record(0x12345678, "x", 0, {}).end();
    EXPECT_EQ(openBytes(installer, unknownType.bytes), payload::kBadRecordType);
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

TEST(InstallerPayload, EveryBoundOfTheListWalkIsAFailure) {
    PayloadOnlyInstaller installer;
    CraftedPayload cutHeader;
    cutHeader.entry("a", "text");
    ByteVector headerPastEnd(cutHeader.bytes.begin(), cutHeader.bytes.begin() + 64 + 300);
    EXPECT_EQ(openBytes(installer, headerPastEnd), payload::kRecordPastEnd);

    CraftedPayload dataPastEnd;
    dataPastEnd.entry("a", "text").end();
    dataPastEnd.setWord(64 + 8, 0x7ffffff0u);
    EXPECT_EQ(openBytes(installer, dataPastEnd.bytes), payload::kRecordPastEnd);

    CraftedPayload noEnd;
    noEnd.entry("a", "text");
    EXPECT_EQ(openBytes(installer, noEnd.bytes), payload::kNoEndRecord);
    noEnd.bytes.push_back(0x03);
    noEnd.bytes.push_back(0x00);
    EXPECT_EQ(openBytes(installer, noEnd.bytes), payload::kNoEndRecord);
    CraftedPayload headerOnly;
    EXPECT_EQ(openBytes(installer, headerOnly.bytes), payload::kNoEndRecord);

    CraftedPayload longName;
    longName.entry(std::string(276, 'n'), "text").end();
    EXPECT_EQ(openBytes(installer, longName.bytes), payload::kNameUnterminated);
    CraftedPayload longestName;
    longestName.entry(std::string(275, 'n'), "text").end();
    EXPECT_EQ(openBytes(installer, longestName.bytes), 0);
    EXPECT_EQ(unpacked(installer, std::string(275, 'n').c_str()), "text");
}

TEST(InstallerPayload, FailedOpenLeavesNoPayloadBehind) {
    PayloadOnlyInstaller installer;
    CraftedPayload good;
    good.entry("a", "text").end();
    ASSERT_EQ(openBytes(installer, good.bytes), 0);
    CraftedPayload bad;
    bad.entry("a", "text");
    EXPECT_EQ(openBytes(installer, bad.bytes), payload::kNoEndRecord);
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

TEST(InstallerPayload, ClosingKeepsTheListButNoData) {
    CraftedPayload payload;
    payload.entry("a", "text").end();
    PayloadOnlyInstaller installer;
    ASSERT_EQ(openBytes(installer, payload.bytes), 0);
    EXPECT_EQ(installer.closePayload(), 0);
    EXPECT_EQ(installer.payloadEntryCount(), 1);
    EXPECT_EQ(unpacked(installer, "a"), "<failed>");
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
