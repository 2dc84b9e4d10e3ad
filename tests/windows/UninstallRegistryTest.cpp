// The uninstall registration in the real registry, read back by the system's own reg.exe, and
// the start of a registered uninstaller with the waits on its events.
#include "system/UninstallRegistry.h"
#include "system/UninstallRegistration.h"
#include "tests/e2e/EngineProcess.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {
const char kProduct[] = "Kestrel Test Product";

UninstallRegistration registration(const std::string& program, const std::string& logPath) {
    return {kProduct,      "2.5.1", "https://example.test/kestrel", program, logPath,
            "C:\\Kestrel", 1234};
}
} // namespace

// The second program path is far beyond the 511 characters a fixed buffer would keep. An empty
// name finds nothing and never deletes the uninstall key itself.
TEST(UninstallRegistry, WritesTheElevenValuesWholeFindsTheProductAndRemovesOnlyItsKey) {
    for (const std::string& program :
         {std::string("C:\\Old\\u.exe"), "C:\\" + std::string(600, 'p')}) {
        UninstallRegistration values = registration(program, program + ".log");
        ASSERT_EQ(UninstallRegistry::write(values), 1);
        std::string listed = EngineProcess::run("reg.exe query \"HKLM\\" +
                                                std::string(UninstallRegistry::kUninstallKey) +
                                                "\\" + kProduct + "\"")
                                 .output;
        const std::string lines[] = {
            "DisplayIcon    REG_SZ    \"" + program + "\"",
            "DisplayName    REG_SZ    Kestrel Test Product",
            "DisplayVersion    REG_SZ    2.5.1",
            "HelpLink    REG_SZ    https://example.test/kestrel",
            "Publisher    REG_SZ    Varnex Group Ltd",
            "UninstallString    REG_SZ    \"" + program + "\"-uninstall=\"" + program +
                ".log\" -uninstallApp=\"Kestrel Test Product\"",
            "InstallLocation    REG_SZ    C:\\Kestrel",
            "EstimatedSize    REG_DWORD    0x4d2",
            "NoModify    REG_DWORD    0x1",
            "NoRepair    REG_DWORD    0x1",
            "QuietUninstallString    REG_SZ    " + values.uninstallString() + " -gui=0 -quiet=1"};
        for (const std::string& line : lines)
            EXPECT_NE(listed.find("    " + line + "\r\n"), std::string::npos) << line;
    }
    for (const char* name : {kProduct, "Kestrel Test", ""})
        EXPECT_EQ(UninstallRegistry::isInstalled(name), std::string(name) == kProduct ? 1 : 0);
    EXPECT_TRUE(UninstallRegistry::remove(""));
    EXPECT_EQ(UninstallRegistry::isInstalled(kProduct), 1);
    EXPECT_TRUE(UninstallRegistry::remove(kProduct));
    EXPECT_EQ(UninstallRegistry::isInstalled(kProduct), 0);
    EXPECT_EQ(UninstallRegistry::runUninstaller(kProduct, false), 0);
}

// The probe signals its events only when its command line holds "signal", and its end only once
// it has written its command line: waited for, that is there as soon as the start returns.
TEST(UninstallRegistry, StartsTheUninstallerAndWaitsForItsEndOnlyAfterItsStart) {
    const std::string probe = EngineProcess::testFolder() + "kestrel_probe.exe";
    const struct {
        const char* logPath;
        bool console;
        std::string tail; // what the probe adds to the registered command
    } rows[] = {{"C:\\silent.log", false, ""},
                {"C:\\signal.log", false, "\nended"},
                {"C:\\signal.log", true, " -gui=0\nended"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.tail);
        DeleteFileA((probe + ".txt").c_str());
        UninstallRegistration values = registration(probe, row.logPath);
        ASSERT_EQ(UninstallRegistry::write(values), 1);
        auto begin = std::chrono::steady_clock::now();
        EXPECT_EQ(UninstallRegistry::runUninstaller(kProduct, row.console), 1);
        // Not a measure of speed: an uninstaller that never signals is not waited for long.
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
        for (int tries = 0; row.tail.empty() && tries < 100 && !fileExists(probe + ".txt"); ++tries)
            Sleep(100);
        EXPECT_EQ(readAll(probe + ".txt"), values.uninstallString() + row.tail);
    }
    UninstallRegistry::remove(kProduct);
}
