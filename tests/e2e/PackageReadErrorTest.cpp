// A package that stops being readable while it installs: the engine names the files it cannot
// give, rolls back and ends with -1.
#include "UndoChecks.h"

#include <future>

namespace {
using undochecks::fileItem;
using undochecks::Lines;
using undochecks::removeTree;
using undochecks::undoFilesLeftInTemp;

std::string noise(size_t length, uint32_t seed) {
    std::string bytes(length, '\0');
    for (char& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 24);
    }
    return bytes;
}

const std::string kRoot = "C:\\kestrel-readerror", kApp = kRoot + "\\app";

// Installs the entries named into APP (which holds old.txt) in the order given.
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

// Cut as a dropped share cuts it: by a host program, which share modes do not bind.
bool cutFromTheHost(const std::string& package, const std::string& hostPath, size_t size) {
    std::string line = "/usr/bin/truncate -s " + std::to_string(size) + " " + hostPath;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // Wine starts a host program without a process handle to give: only the start is checked.
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

// Cut among many small files once the first few are in place: each file beyond the cut, new or
// replacing one, fails before anything of it is written.
TEST_F(PackageReadError, APackageCutWhileItInstallsFailsTheFilesBeyondTheCutAndIsRolledBack) {
    Lines names;
    for (int i = 0; i < 1200; ++i)
        names.push_back("f" + std::to_string(1000 + i) + ".bin");
    names.push_back("old.txt");
    testpayload::Entries entries = {{"install.xml", description(names)}};
    for (size_t i = 0; i + 1 < names.size(); ++i)
        entries.push_back({names[i], noise(16384, static_cast<uint32_t>(i))});
    entries.push_back({"old.txt", noise(100, 7)});
    const std::string bytes = testpayload::build(entries);
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
    // The package cut where names[600]'s record starts: its own end record would start there.
    const size_t cut =
        testpayload::build(testpayload::Entries(entries.begin(), entries.begin() + 601)).size() -
        payload::kRecordHeaderSize;
    ASSERT_TRUE(cutFromTheHost(package_, hostPackage_, cut));
    ProcessResult result = run.get();

    EXPECT_EQ(result.exitCode, kMinusOne) << result.output;
    const std::string unread = ": the installer package could not be read\r\n";
    for (const std::string& line : {"Create " + kApp + "\\" + names[0] + "\r\n",
                                    "FAILED to overwrite " + kApp + "\\old.txt" + unread,
                                    std::string("Installation failed.\r\n")})
        EXPECT_NE(result.output.find(line), std::string::npos) << line << result.output;
    // Every failure is for that reason.
    for (size_t at = result.output.find("FAILED"); at != std::string::npos;
         at = result.output.find("FAILED", at + 1))
        EXPECT_EQ(result.output.compare(result.output.find('\n', at) + 1 - unread.size(),
                                        unread.size(), unread),
                  0)
            << result.output.substr(at, 200);
    expectAsBefore(before);
}
