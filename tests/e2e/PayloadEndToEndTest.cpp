// The engine reads what instpack wrote: the sample installer built at build time from
// tests/e2e/data unpacks entry by entry byte-identical, and a damaged or truncated installer
// ends the engine with one clear line and exit code -1.
#include "EngineProcess.h"
#include "package/Payload.h"
#include "package/WinFile.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <windows.h>

namespace {
std::string testData(const std::string& relative) {
    return EngineProcess::testFolder() + "testdata\\" + relative;
}

std::string unpacked(const Payload& payload, const char* name) {
    uint32_t length = 0;
    std::unique_ptr<unsigned char[]> data = payload.unpack(name, &length);
    if (!data)
        return std::string("<no entry ") + name + ">";
    return std::string(reinterpret_cast<char*>(data.get()), length);
}

uint32_t engineSize() {
    return static_cast<uint32_t>(WinFile::sizeOfFile(EngineProcess::enginePath().c_str()));
}

ProcessResult runProgram(const std::string& program, const std::string& arguments) {
    return EngineProcess::run("\"" + program + "\" " + arguments);
}

void expectOneLine(const ProcessResult& run, const std::string& fileName, const std::string& what) {
    SCOPED_TRACE(fileName);
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
    Payload installer;
    ASSERT_EQ(installer.open(testData("sample-setup.exe").c_str(), engineSize()), 0);
    EXPECT_EQ(installer.entryCount(), 7);
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
    // The pixels themselves are the image converter's business.
    EXPECT_EQ(unpacked(installer, "WelcomeLImg").size(), 8u + 3 * 2 * 4);
    EXPECT_EQ(unpacked(installer, "AppIcon").substr(0, 12),
              std::string("\2\0\0\0\2\0\0\0\0\0\xff\xff", 12));
}

TEST(PayloadEndToEnd, DamagedInstallersSayWhatIsWrongAndExitWithMinusOne) {
    const struct {
        const char* name;
        const char* what;
        std::string (*damage)(const std::string&);
    } copies[] = {
        {"truncated-setup.exe", "is truncated",
         [](const std::string& setup) { return setup.substr(0, setup.size() - 1000); }},
        {"damaged-setup.exe", "has a damaged entry list",
         [](const std::string& setup) {
             std::string copy = setup;
             copy[engineSize() + 64] ^= 0x55; // the first record's type
             return copy;
         }},
        {"engine-only.exe", "is not an installer package",
         [](const std::string& setup) {
             std::string engine = setup.substr(0, engineSize());
             engine.replace(engine.find("ARYIMAGEOFFSET_") - 4, 4, "_BIN");
             return engine;
         }},
    };
    for (const auto& copy : copies) {
        std::string path = testData(copy.name);
        EXPECT_TRUE(writeFileBytes(path, copy.damage(readFileBytes(testData("sample-setup.exe")))));
        expectOneLine(runProgram(path, "-gui=0"), copy.name, copy.what);
    }
}
