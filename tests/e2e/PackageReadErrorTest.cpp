// A package that stops being readable while it installs, unattended under Wine: the engine lives,
// names the files it cannot give, rolls back, ends with -1, and the machine is as it was before.
#include "UndoChecks.h"

#include <cstring>
#include <future>

namespace {
using undochecks::fileItem;
using undochecks::Lines;
using undochecks::removeTree;
using undochecks::undoFilesLeftInTemp;

// Where each entry's record starts in a package testpayload::build wrote, so that a test can cut
// it or damage it exactly there.
std::map<std::string, size_t> recordsOf(const std::string& package) {
    std::map<std::string, size_t> records;
    PayloadRecordHeader header;
    for (size_t at = payload::kHeaderSize; at + sizeof header <= package.size();
         at += sizeof header + header.compressedSize) {
        std::memcpy(&header, &package[at], sizeof header);
        if (header.type != payload::kTypeEntry)
            break;
        records[header.name] = at;
    }
    return records;
}

std::string noise(size_t length, uint32_t seed) {
    std::string bytes(length, '\0');
    for (char& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 24);
    }
    return bytes;
}

// Where the data of a record starts.
constexpr size_t kData = payload::kRecordHeaderSize;

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
        Lines names;
        for (int i = 0; i < row.smallFiles; ++i)
            names.push_back("f" + std::to_string(1000 + i) + ".bin");
        names.push_back(row.large ? "large.bin" : "old.txt");
        testpayload::Entries entries = {{"install.xml", description(names)}};
        for (int i = 0; i < row.smallFiles; ++i)
            entries.push_back({names[i], noise(16384, i)});
        entries.push_back({names.back(), noise(row.large ? 24u << 20 : 100, 7)});
        const std::string bytes = testpayload::build(entries);
        const std::map<std::string, size_t> records = recordsOf(bytes);
        size_t cut = row.large ? records.at(names.back()) + kData + (12u << 20)
                               : records.at(names[row.smallFiles / 2]);
        ASSERT_TRUE(writeAll(package_, bytes));
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
