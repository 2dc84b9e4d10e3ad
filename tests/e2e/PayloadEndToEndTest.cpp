// The engine reads what instpack wrote: the sample installer built at build time from
// tests/e2e/data unpacks entry by entry byte-identical; a damaged or truncated copy is refused.
#include "EngineProcess.h"
#include "package/Payload.h"
#include "package/WinFile.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>
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
} // namespace

TEST(PayloadEndToEnd, EveryEntryOfThePackedInstallerUnpacksIntact) {
    Payload installer;
    ASSERT_EQ(installer.open(testData("sample-setup.exe").c_str(), engineSize()), 0);
    EXPECT_EQ(installer.entryCount(), 7);
    const std::pair<const char*, const char*> sources[] = {
        {"install.xml", "data\\product\\install.xml"},
        {"binsample.dll", "data\\product\\bin\\sample.dll"},
        {"readme", "data\\product\\docs\\readme.txt"},
        {"LicenseText", "data\\resources\\LicenseText.rtf"}};
    for (const auto& [name, source] : sources)
        EXPECT_EQ(unpacked(installer, name), readAll(testData(source))) << name;
    EXPECT_EQ(unpacked(installer, "docsempty.dat"), "");
    EXPECT_EQ(unpacked(installer, "licensetext"), "<no entry licensetext>");
    // The pixels themselves are the image converter's business.
    EXPECT_EQ(unpacked(installer, "WelcomeLImg").size(), 8u + 3 * 2 * 4);
    EXPECT_EQ(unpacked(installer, "AppIcon").substr(0, 12),
              std::string("\2\0\0\0\2\0\0\0\0\0\xff\xff", 12));
}

// One clear line and exit code -1.
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
        EXPECT_TRUE(writeAll(path, copy.damage(readAll(testData("sample-setup.exe")))));
        ProcessResult run = EngineProcess::run("\"" + path + "\" -gui=0");
        EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
        EXPECT_EQ(run.output, "The file \"" + path + "\" " + copy.what + ".\r\n");
    }
}
