// The engine reads what instpack wrote: the sample installer built at build time from
// tests/e2e/data unpacks entry by entry byte-identical, and a damaged or truncated installer
// ends the engine with one clear line and exit code -1.
#include "package/WinFile.h"
#include "startup/WindowsInstaller.h"
#include "system/WinHandle.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <windows.h>

namespace {
std::string binFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path, length);
    return text.substr(0, text.find_last_of('\\') + 1);
}

std::string testData(const std::string& relative) {
    return binFolder() + "testdata\\" + relative;
}

std::string readWhole(const std::string& path) {
    WinFile file;
    if (file.openPath(path.c_str(), fileaccess::kRead, fileaccess::kShareRead,
                      fileaccess::kOpenExisting) != 0)
        return "<missing " + path + ">";
    std::string content(static_cast<size_t>(file.size()), '\0');
    uint32_t got = 0;
    file.read(content.data(), static_cast<uint32_t>(content.size()), &got);
    return content.substr(0, got);
}

void writeWhole(const std::string& path, const std::string& content) {
    WinFile file;
    ASSERT_EQ(file.openPath(path.c_str(), fileaccess::kWrite, 0, fileaccess::kCreateOrEmpty), 0);
    uint32_t written = 0;
    ASSERT_EQ(file.write(content.data(), static_cast<uint32_t>(content.size()), &written), 0);
}

std::string unpacked(Installer& installer, const char* name) {
    uint32_t length = 0;
    unsigned char* buffer = nullptr;
    if (installer.unpackEntry(name, &length, &buffer) != 0)
        return std::string("<no entry ") + name + ">";
    std::unique_ptr<unsigned char[]> owned(buffer);
    return std::string(reinterpret_cast<char*>(buffer), length);
}

uint32_t engineSize() {
    return static_cast<uint32_t>(WinFile::sizeOfFile((binFolder() + "kestrel.exe").c_str()));
}

struct EngineRun {
    DWORD exitCode = 0;
    std::string output;
};

// Runs a program with the given arguments, its standard output captured.
EngineRun runProgram(const std::string& program, const std::string& arguments) {
    EngineRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return run;
    WinHandle reader(readEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string command = "\"" + program + "\" " + arguments;
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process);
    CloseHandle(writeEnd);
    if (!started)
        return run;
    WinHandle processHandle(process.hProcess);
    WinHandle threadHandle(process.hThread);
    char chunk[512];
    DWORD got = 0;
    while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0)
        run.output.append(chunk, got);
    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    return run;
}

// Copies the sample installer under a new name, changed by `damage`, and runs it on the console.
EngineRun runDamagedCopy(const std::string& name, std::string (*damage)(const std::string&)) {
    std::string copy = testData(name);
    writeWhole(copy, damage(readWhole(testData("sample-setup.exe"))));
    return runProgram(copy, "-gui=0");
}

void expectOneLine(const EngineRun& run, const std::string& fileName, const std::string& what) {
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
    std::string line = run.output;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    EXPECT_EQ(line.find('\n'), std::string::npos) << run.output;
    EXPECT_EQ(line.rfind("The file \"", 0), 0u) << run.output;
    EXPECT_NE(line.find(fileName + "\" " + what + "."), std::string::npos) << run.output;
}
} // namespace

TEST(PayloadEndToEnd, EveryEntryOfThePackedInstallerUnpacksIntact) {
    WindowsInstaller installer;
    ASSERT_EQ(installer.openPayload(testData("sample-setup.exe").c_str(), engineSize(), 0), 0);
    EXPECT_EQ(installer.payloadEntryCount(), 7);
    EXPECT_EQ(unpacked(installer, "install.xml"), readWhole(testData("product\\install.xml")));
    EXPECT_EQ(unpacked(installer, "binsample.dll"),
              readWhole(testData("product\\bin\\sample.dll")));
    EXPECT_EQ(unpacked(installer, "readme"), readWhole(testData("product\\docs\\readme.txt")));
    EXPECT_EQ(unpacked(installer, "docsempty.dat"), "");
    EXPECT_EQ(unpacked(installer, "LicenseText"),
              readWhole(testData("resources\\LicenseText.rtf")));
    EXPECT_EQ(unpacked(installer, "licensetext"), "<no entry licensetext>");
    std::string image = unpacked(installer, "WelcomeLImg");
    ASSERT_EQ(image.size(), 8u + 3 * 2 * 4);
    EXPECT_EQ(image.substr(0, 8), std::string("\3\0\0\0\2\0\0\0", 8));
    EXPECT_EQ(image.substr(8, 4), "\x80\xff\xc0\xff");
    std::unique_ptr<unsigned char[]> icon(installer.loadAppIcon());
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(icon.get()), 12),
              std::string("\2\0\0\0\2\0\0\0\0\0\xff\xff", 12));
    installer.closePayload();
}

TEST(PayloadEndToEnd, BarePayloadThroughTheBinOption) {
    std::string setup = readWhole(testData("sample-setup.exe"));
    writeWhole(testData("sample.bin"), setup.substr(engineSize()));
    WindowsInstaller installer;
    ASSERT_EQ(installer.openPayload(testData("sample.bin").c_str(), 0, 0), 0);
    EXPECT_EQ(unpacked(installer, "readme"), readWhole(testData("product\\docs\\readme.txt")));
}

TEST(PayloadEndToEnd, TruncatedInstallerSaysSoAndExitsWithMinusOne) {
    EngineRun run = runDamagedCopy("truncated-setup.exe", [](const std::string& setup) {
        return setup.substr(0, setup.size() - 1000);
    });
    expectOneLine(run, "truncated-setup.exe", "is truncated");
}

TEST(PayloadEndToEnd, DamagedEntryListIsNamed) {
    EngineRun run = runDamagedCopy("damaged-setup.exe", [](const std::string& setup) {
        std::string copy = setup;
        copy[engineSize() + 64] ^= 0x55; // the first record's type
        return copy;
    });
    expectOneLine(run, "damaged-setup.exe", "has a damaged entry list");
}

TEST(PayloadEndToEnd, EngineWithoutPayloadIsNoInstallerPackage) {
    EngineRun run = runDamagedCopy("engine-only.exe", [](const std::string& setup) {
        std::string engine = setup.substr(0, engineSize());
        size_t field = engine.find("ARYIMAGEOFFSET_");
        engine.replace(field - 4, 4, "_BIN");
        return engine;
    });
    expectOneLine(run, "engine-only.exe", "is not an installer package");
}

TEST(PayloadEndToEnd, MissingBinFileCannotBeOpened) {
    EngineRun run = runProgram(testData("sample-setup.exe"), "-gui=0 -bin=C:\\no\\such.bin");
    expectOneLine(run, "C:\\no\\such.bin", "cannot be opened");
}
