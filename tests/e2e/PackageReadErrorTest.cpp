// Packages that stop being readable while they install, or that are damaged, installed unattended
// under Wine: whatever the package does, the engine lives, names the files it cannot give,
// rolls back, ends with -1, and the machine is as it was before.
#include "EngineProcess.h"
#include "MachineSnapshot.h"
#include "UndoChecks.h"
#include "package/PayloadEntry.h"
#include "package/PayloadFormat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <zlib.h>

namespace {
using undochecks::fileItem;
using undochecks::Lines;
using undochecks::removeTree;
using undochecks::undoFilesLeftInTemp;

// A package in the payload layout whose entries' places are known, so that a test can cut it or
// damage it exactly there. Noise is stored, as it would not shrink anyway, so packing is quick.
class TestPackage {
  public:
    TestPackage() {
        for (uint32_t magic : {payload::kMagic1, payload::kMagic2, payload::kMagic3})
            putWord(magic);
        bytes_.resize(payload::kHeaderSize, '\0');
    }
    // Returns where the entry's record starts.
    size_t add(const std::string& name, const std::string& data, int level) {
        uLongf size = compressBound(static_cast<uLong>(data.size()));
        std::string packed(size, '\0');
        compress2(reinterpret_cast<Bytef*>(&packed[0]), &size,
                  reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
                  level);
        packed.resize(size);
        PayloadRecordHeader header;
        std::memset(&header, 0, sizeof header);
        header.type = payload::kTypeEntry;
        header.size = static_cast<uint32_t>(data.size());
        header.compressedSize = static_cast<uint32_t>(packed.size());
        std::memcpy(header.name, name.c_str(), name.size() + 1);
        size_t at = bytes_.size();
        bytes_.append(reinterpret_cast<const char*>(&header), sizeof header);
        bytes_ += packed;
        return at;
    }
    std::string finish() {
        putWord(payload::kTypeEnd);
        bytes_.resize(bytes_.size() + payload::kRecordHeaderSize - 4, '\0');
        return bytes_;
    }

  private:
    void putWord(uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes_.push_back(static_cast<char>(value >> (8 * i)));
    }
    std::string bytes_;
};

std::string noise(size_t length, uint32_t seed) {
    std::string bytes(length, '\0');
    for (char& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 24);
    }
    return bytes;
}

// Where the data of a record starts, and where its header fields are.
constexpr size_t kData = payload::kRecordHeaderSize;
constexpr size_t kSizeField = 4, kCompressedSizeField = 8;
constexpr size_t kNameField = offsetof(PayloadRecordHeader, name);

const std::string kRoot = "C:\\kestrel-readerror", kApp = kRoot + "\\app";

// The description of a package that installs into APP (where old.txt already exists) the
// entries named, each under its own name, in the order given; the undo files go to APP\u.
// The engine takes the files of a set from the last one listed to the first.
std::string description(const Lines& names) {
    std::string files;
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        files += fileItem("[APP]", *name, *name);
    return "<VarnexGroupInstallation><ProductDesc><Fullname>Read errors</Fullname></ProductDesc>"
           "<Dialogs><CopyProgress></CopyProgress></Dialogs><Installation><Uninstall>"
           "<InstallLogFile>[APP]\\u\\install.log</InstallLogFile><InstallBackupFile>"
           "[APP]\\u\\backup.bin</InstallBackupFile><UninstallXmlFile>[APP]\\u\\install.xml"
           "</UninstallXmlFile></Uninstall><DefValues><Value Name=\"APP\" DataType=\"value\">" +
           kApp + "</Value></DefValues><FileSet Name=\"All\">" + files +
           "</FileSet></Installation></VarnexGroupInstallation>";
}

// The report lines that say a change failed.
Lines failures(const std::string& output) {
    Lines found;
    for (size_t at = output.find("FAILED"); at != std::string::npos;
         at = output.find("FAILED", at + 1))
        found.push_back(output.substr(at, output.find('\r', at) - at));
    return found;
}

class PackageReadError : public ::testing::Test {
  protected:
    void SetUp() override {
        TearDown();
        for (const std::string& folder : {kRoot, kApp, folder_})
            CreateDirectoryA(folder.c_str(), nullptr);
        ASSERT_TRUE(writeAll(kApp + "\\old.txt", "the previous content"));
    }
    void TearDown() override {
        removeTree(kRoot);
        removeTree(folder_);
    }
    MachineSnapshot snapshot() const { return MachineSnapshot({kRoot, "C:\\Program Files"}); }
    std::string command() const { return undochecks::installCommand(package_); }
    // The run undone, the machine is as before and no temporary undo file is left behind.
    void expectAsBefore(const MachineSnapshot& before) const {
        EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
        EXPECT_FALSE(undoFilesLeftInTemp());
    }

    // The package lies on the host's drive Z:, so that the host can reach it by its own name.
    std::string unique_ =
        std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
    std::string folder_ = "Z:\\tmp\\kestrel-readerror-" + unique_;
    std::string package_ = folder_ + "\\package.bin";
    std::string hostPackage_ = "/tmp/kestrel-readerror-" + unique_ + "/package.bin";
};

// The installer holds its package open denying writers, which is right on a local disk: no
// Windows program can cut it meanwhile. A share that drops cuts it nonetheless, and the host
// side does exactly that: Wine starts a host program, which Windows share modes do not bind.
// Wine gives no handle for a host program, so the new size is awaited instead.
bool cutFromTheHost(const std::string& package, const std::string& hostPath, size_t size) {
    std::string line = "/usr/bin/truncate -s " + std::to_string(size) + " " + hostPath;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    WinHandle processHandle(process.hProcess), threadHandle(process.hThread);
    for (int wait = 0; wait < 10000; ++wait) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(package.c_str(), GetFileExInfoStandard, &data) &&
            data.nFileSizeHigh == 0 && data.nFileSizeLow == size)
            return true;
        Sleep(1);
    }
    return false;
}

bool awaitFile(const std::string& path, std::future<ProcessResult>& run) {
    while (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        if (run.wait_for(std::chrono::milliseconds(1)) == std::future_status::ready)
            return false;
    return true;
}
} // namespace

// The package is cut while the installation runs, once the first few files are in place and long
// before the cut is reached: among many small files (each file beyond the cut, new or replacing
// one, fails before anything of it is written), or inside one large file that is then being
// written (the file cut mid-stream is written no further and removed by the rollback).
TEST_F(PackageReadError, APackageCutWhileItInstallsFailsTheFilesBeyondTheCutAndIsRolledBack) {
    const struct {
        const char* what;
        int smallFiles;
        bool large; // a large file behind the small ones, and the cut inside it
        std::string failed;
    } rows[] = {
        {"many files", 1200, false, "FAILED to overwrite " + kApp + "\\old.txt"},
        {"one large file", 600, true, "FAILED to create " + kApp + "\\large.bin"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TestPackage package;
        Lines names;
        for (int i = 0; i < row.smallFiles; ++i)
            names.push_back("f" + std::to_string(1000 + i) + ".bin");
        names.push_back(row.large ? "large.bin" : "old.txt");
        package.add("install.xml", description(names), Z_BEST_COMPRESSION);
        size_t cut = 0;
        for (int i = 0; i < row.smallFiles; ++i) {
            size_t at = package.add(names[i], noise(16384, i), Z_NO_COMPRESSION);
            if (!row.large && i == row.smallFiles / 2)
                cut = at;
        }
        size_t last =
            package.add(names.back(), noise(row.large ? 24u << 20 : 100, 7), Z_NO_COMPRESSION);
        if (row.large)
            cut = last + kData + (12u << 20);
        ASSERT_TRUE(writeAll(package_, package.finish()));
        MachineSnapshot before = snapshot();

        std::future<ProcessResult> run =
            std::async(std::launch::async, [this] { return EngineProcess::run(command()); });
        ASSERT_TRUE(awaitFile(kApp + "\\" + names[4], run)) << run.get().output;
        EXPECT_FALSE(WinHandle(CreateFileA(package_.c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, 0, nullptr))
                         .valid())
            << "the installer lets writers in";
        ASSERT_TRUE(cutFromTheHost(package_, hostPackage_, cut)) << "the host did not cut it";
        ProcessResult result = run.get();

        EXPECT_EQ(result.exitCode, kMinusOne) << result.output;
        for (const std::string& line :
             {"Create " + kApp + "\\" + names[0] + "\r\n",
              row.failed + ": the installer package could not be read\r\n",
              std::string("Installation failed.\r\n")})
            EXPECT_NE(result.output.find(line), std::string::npos) << line << result.output;
        for (const std::string& failure : failures(result.output))
            EXPECT_NE(failure.find(": the installer package could not be read"), std::string::npos)
                << failure;
        expectAsBefore(before);
    }
}

// One bit flipped in each part of a package: in its header or an entry list that no longer
// holds together, the run ends with the reason before anything is written; in one entry's
// record or data, that entry's file fails (a large one as it is being written) and the run is
// rolled back.
TEST_F(PackageReadError, ABitFlippedInAnyPartOfThePackageChangesNothingOnTheMachine) {
    TestPackage package;
    const Lines names = {"old.txt", "a.txt", "large.bin"};
    size_t xml = package.add("install.xml", description(names), Z_BEST_COMPRESSION);
    size_t old = package.add("old.txt", "replacement", Z_BEST_COMPRESSION);
    size_t small = package.add("a.txt", std::string(5000, 'a') + "end", Z_BEST_COMPRESSION);
    size_t large = package.add("large.bin", noise(3u << 20, 3), Z_NO_COMPRESSION);
    const std::string sound = package.finish();
    const std::string notPackage = "is not an installer package.\r\n",
                      damagedList = "has a damaged entry list.\r\n";
    const struct {
        const char* part;
        size_t byte;
        unsigned char bit;
        std::string printed;
    } rows[] = {
        {"first magic word", 0, 0x01, notPackage},
        {"third magic word", 11, 0x80, notPackage},
        {"the first record's type", xml, 0x10, damagedList},
        {"a record's compressed size", small + kCompressedSizeField, 0x01, damagedList},
        {"a record's size", small + kSizeField, 0x02, "FAILED to create " + kApp + "\\a.txt\r\n"},
        {"a record's name", small + kNameField, 0x20,
         "FAILED to create " + kApp + "\\a.txt: the installer package holds no entry a.txt\r\n"},
        {"the description's data", xml + kData + 20, 0x04,
         "The installer package is damaged: its install.xml entry cannot be unpacked.\r\n"},
        {"a replacing file's data", old + kData + 4, 0x08,
         "FAILED to overwrite " + kApp + "\\old.txt\r\n"},
        {"a small file's data", small + kData + 10, 0x40,
         "FAILED to create " + kApp + "\\a.txt\r\n"},
        {"a large file's data near its end", large + kData + (3u << 20) - 10, 0x01,
         "FAILED to create " + kApp + "\\large.bin\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.part);
        std::string damaged = sound;
        damaged[row.byte] = static_cast<char>(damaged[row.byte] ^ row.bit);
        ASSERT_TRUE(writeAll(package_, damaged));
        MachineSnapshot before = snapshot();
        ProcessResult result = EngineProcess::run(command());
        EXPECT_EQ(result.exitCode, kMinusOne) << result.output;
        EXPECT_NE(result.output.find(row.printed), std::string::npos) << result.output;
        // The flip is the only fault: at most the damaged entry's file fails.
        EXPECT_LE(failures(result.output).size(), 1u) << result.output;
        expectAsBefore(before);
    }
    // Unflipped, the same package installs: each row failed for its flip alone.
    ASSERT_TRUE(writeAll(package_, sound));
    ProcessResult result = EngineProcess::run(command());
    EXPECT_EQ(result.exitCode, 0u) << result.output;
    EXPECT_EQ(readAll(kApp + "\\large.bin").size(), 3u << 20);
}
