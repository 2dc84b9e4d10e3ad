// The engine reads what instpack wrote: the sample installer built at build time from
// tests/e2e/data unpacks entry by entry byte-identical.
#include "EngineProcess.h"
#include "package/Payload.h"
#include "package/WinFile.h"

#include <gtest/gtest.h>

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
    const std::pair<const char*, std::string> entries[] = {
        {"install.xml", readAll(testData("data\\product\\install.xml"))},
        {"binsample.dll", readAll(testData("data\\product\\bin\\sample.dll"))},
        {"readme", readAll(testData("data\\product\\docs\\readme.txt"))},
        {"LicenseText", readAll(testData("data\\resources\\LicenseText.rtf"))},
        {"docsempty.dat", ""}};
    for (const auto& [name, content] : entries)
        EXPECT_EQ(unpacked(installer, name), content) << name;
}
