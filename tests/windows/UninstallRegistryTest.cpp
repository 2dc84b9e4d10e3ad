// The uninstall registration in the real registry, read back by the system's own reg.exe, and
// the start of a registered uninstaller with the waits on its events.
#include "system/UninstallRegistry.h"
#include "system/UninstallRegistration.h"
#include "tests/e2e/EngineProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <windows.h>

namespace {
const char kProduct[] = "Kestrel Test Product";

UninstallRegistration registration(const std::string& program, const std::string& logPath) {
    return {kProduct, "2.5.1", "https://example.test/kestrel",
            program,  logPath, "C:\\Program Files\\Kestrel Test",
            1234};
}

class UninstallRegistryTest : public ::testing::Test {
  protected:
    void TearDown() override { UninstallRegistry::remove(kProduct); }
};
} // namespace

TEST_F(UninstallRegistryTest, WritesTheElevenValuesWholeAndOverwritesThemOnTheNextWrite) {
    // The second program path is far beyond the 511 characters a fixed buffer would keep.
    for (const std::string& program :
         {std::string("C:\\Old\\u.exe"), "C:\\" + std::string(600, 'p')}) {
        UninstallRegistration values = registration(program, program + ".log");
        values.estimatedSizeKiB = static_cast<uint32_t>(program.size());
        ASSERT_EQ(UninstallRegistry::write(values), 1);
        std::string key =
            std::string("HKLM\\") + UninstallRegistry::kUninstallKey + "\\" + kProduct;
        std::string listed = EngineProcess::run("reg.exe query \"" + key + "\"").output;
        char size[16];
        snprintf(size, sizeof size, "0x%x", values.estimatedSizeKiB);
        const std::string expected[] = {
            "DisplayIcon    REG_SZ    \"" + program + "\"",
            "DisplayName    REG_SZ    Kestrel Test Product",
            "DisplayVersion    REG_SZ    2.5.1",
            "HelpLink    REG_SZ    https://example.test/kestrel",
            "Publisher    REG_SZ    Varnex Group Ltd",
            "UninstallString    REG_SZ    \"" + program + "\"-uninstall=\"" + program +
                ".log\" -uninstallApp=\"Kestrel Test Product\"",
            "InstallLocation    REG_SZ    C:\\Program Files\\Kestrel Test",
            "EstimatedSize    REG_DWORD    " + std::string(size),
            "NoModify    REG_DWORD    0x1",
            "NoRepair    REG_DWORD    0x1",
            "QuietUninstallString    REG_SZ    " + values.uninstallString() + " -gui=0 -quiet=1"};
        for (const std::string& line : expected)
            EXPECT_NE(listed.find("    " + line + "\r\n"), std::string::npos) << line;
    }
}

TEST_F(UninstallRegistryTest, FindsTheProductByItsNameAndRemovesOnlyItsKey) {
    ASSERT_EQ(UninstallRegistry::write(registration("C:\\u.exe", "C:\\i.log")), 1);
    EXPECT_EQ(UninstallRegistry::isInstalled(kProduct), 1);
    EXPECT_EQ(UninstallRegistry::isInstalled("Kestrel Test"), 0);
    EXPECT_EQ(UninstallRegistry::isInstalled(""), 0);
    // An empty name never deletes the uninstall key itself.
    EXPECT_TRUE(UninstallRegistry::remove(""));
    EXPECT_EQ(UninstallRegistry::isInstalled(kProduct), 1);
    EXPECT_TRUE(UninstallRegistry::remove(kProduct));
    EXPECT_EQ(UninstallRegistry::isInstalled(kProduct), 0);
    EXPECT_EQ(UninstallRegistry::runUninstaller(kProduct, false), 0);
}

TEST_F(UninstallRegistryTest, StartsTheUninstallerAndWaitsForItsEndOnlyAfterItsStart) {
    const std::string output = EngineProcess::tempFolder() + "kestrel-uninstall-probe.txt";
    struct Row {
        const char* logPath; // "signal" makes the probe signal its events
        bool console;
        std::string tail; // what the probe adds to the registered command
    } rows[] = {{"C:\\silent.log", false, ""},
                {"C:\\signal.log", false, "\nended"},
                {"C:\\signal.log", true, " -gui=0\nended"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.tail);
        DeleteFileA(output.c_str());
        UninstallRegistration values =
            registration(EngineProcess::testFolder() + "kestrel_uninstall_probe.exe", row.logPath);
        ASSERT_EQ(UninstallRegistry::write(values), 1);
        auto begin = std::chrono::steady_clock::now();
        EXPECT_EQ(UninstallRegistry::runUninstaller(kProduct, row.console), 1);
        // Not a measure of speed: an uninstaller that never signals is not waited for long.
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
        for (int tries = 0; tries < 100 && !fileExists(output); ++tries)
            Sleep(100);
        EXPECT_EQ(readFileBytes(output), values.uninstallString() + row.tail);
    }
}
