// The engine reads what instpack wrote: the sample installer built at build time from
// tests/e2e/data unpacks entry by entry byte-identical, and a damaged or truncated installer
// ends the engine with one clear line and exit code -1.
#include "EngineProcess.h"
#include "package/WinFile.h"
#include "startup/WindowsInstaller.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <windows.h>

namespace {
std::string testData(const std::string& relative) {
    return EngineProcess::testFolder() + "testdata\\" + relative;
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
    return static_cast<uint32_t>(WinFile::sizeOfFile(EngineProcess::enginePath().c_str()));
}

ProcessResult runProgram(const std::string& program, const std::string& arguments) {
    return EngineProcess::run("\"" + program + "\" " + arguments);
}

// Copies the sample installer under a new name, changed by `damage`, and runs it on the console.
ProcessResult runDamagedCopy(const std::string& name, std::string (*damage)(const std::string&)) {
    std::string copy = testData(name);
    EXPECT_TRUE(writeFileBytes(copy, damage(readFileBytes(testData("sample-setup.exe")))));
    return runProgram(copy, "-gui=0");
}

void expectOneLine(const ProcessResult& run, const std::string& fileName, const std::string& what) {
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
    EXPECT_EQ(unpacked(installer, "install.xml"),
              readFileBytes(testData("data\\product\\install.xml")));
    EXPECT_EQ(unpacked(installer, "binsample.dll"),
              readFileBytes(testData("data\\product\\bin\\sample.dll")));
    EXPECT_EQ(unpacked(installer, "readme"),
              readFileBytes(testData("data\\product\\docs\\readme.txt")));
    EXPECT_EQ(unpacked(installer, "docsempty.dat"), "");
    EXPECT_EQ(unpacked(installer, "LicenseText"),
              readFileBytes(testData("data\\resources\\LicenseText.rtf")));
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
    std::string setup = readFileBytes(testData("sample-setup.exe"));
    ASSERT_TRUE(writeFileBytes(testData("sample.bin"), setup.substr(engineSize())));
    WindowsInstaller installer;
    ASSERT_EQ(installer.openPayload(testData("sample.bin").c_str(), 0, 0), 0);
    EXPECT_EQ(unpacked(installer, "readme"),
              readFileBytes(testData("data\\product\\docs\\readme.txt")));
}

TEST(PayloadEndToEnd, TruncatedInstallerSaysSoAndExitsWithMinusOne) {
    ProcessResult run = runDamagedCopy("truncated-setup.exe", [](const std::string& setup) {
        return setup.substr(0, setup.size() - 1000);
    });
    expectOneLine(run, "truncated-setup.exe", "is truncated");
}

TEST(PayloadEndToEnd, DamagedEntryListIsNamed) {
    ProcessResult run = runDamagedCopy("damaged-setup.exe", [](const std::string& setup) {
        std::string copy = setup;
        copy[engineSize() + 64] ^= 0x55; // the first record's type
        return copy;
    });
    expectOneLine(run, "damaged-setup.exe", "has a damaged entry list");
}

TEST(PayloadEndToEnd, EngineWithoutPayloadIsNoInstallerPackage) {
    ProcessResult run = runDamagedCopy("engine-only.exe", [](const std::string& setup) {
        std::string engine = setup.substr(0, engineSize());
        size_t field = engine.find("ARYIMAGEOFFSET_");
        engine.replace(field - 4, 4, "_BIN");
        return engine;
    });
    expectOneLine(run, "engine-only.exe", "is not an installer package");
}

TEST(PayloadEndToEnd, MissingBinFileCannotBeOpened) {
    ProcessResult run = runProgram(testData("sample-setup.exe"), "-gui=0 -bin=C:\\no\\such.bin");
    expectOneLine(run, "C:\\no\\such.bin", "cannot be opened");
}
