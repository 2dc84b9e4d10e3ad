// The uninstall registration in the real registry, read back by the system's own reg.exe, and
// the start of a registered uninstaller with the waits on its events.
#include "system/UninstallRegistry.h"
#include "system/UninstallRegistration.h"
#include "tests/e2e/EngineProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <sstream>
#include <string>
#include <windows.h>

namespace {
const char kProduct[] = "Kestrel Test Product";

UninstallRegistration registration(const std::string& program, const std::string& logPath) {
    UninstallRegistration values;
    values.productName = kProduct;
    values.versionText = "2.5.1";
    values.website = "https://example.test/kestrel";
    values.uninstallProgram = program;
    values.actionLogPath = logPath;
    values.installLocation = "C:\\Program Files\\Kestrel Test";
    values.estimatedSizeKiB = 1234;
    return values;
}

// "name" -> "type data", as reg.exe lists the values of the product's key.
std::map<std::string, std::string> regQuery() {
    std::string key = std::string("HKLM\\") + UninstallRegistry::kUninstallKey + "\\" + kProduct;
    ProcessResult result = EngineProcess::run("reg.exe query \"" + key + "\"");
    std::map<std::string, std::string> values;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) {
        line.erase(line.find_last_not_of("\r") + 1);
        size_t name = line.find_first_not_of(' ');
        size_t gap = line.find("    ", name);
        if (name == std::string::npos || gap == std::string::npos)
            continue;
        std::string rest = line.substr(line.find_first_not_of(' ', gap));
        size_t typeEnd = rest.find("    ");
        if (typeEnd != std::string::npos)
            values[line.substr(name, gap - name)] =
                rest.substr(0, typeEnd) + " " + rest.substr(typeEnd + 4);
    }
    return values;
}

std::string probeOutput() {
    return EngineProcess::tempFolder() + "kestrel-uninstall-probe.txt";
}

// The probe's record, once it is there (a slow start may take a moment).
std::string readProbeOutput() {
    for (int tries = 0; tries < 100 && !fileExists(probeOutput()); ++tries)
        Sleep(100);
    return readFileBytes(probeOutput());
}

class UninstallRegistryTest : public ::testing::Test {
  protected:
    void TearDown() override { UninstallRegistry::remove(kProduct); }
};
} // namespace

TEST_F(UninstallRegistryTest, WritesTheElevenValuesWholeAndOverwritesThemOnTheNextWrite) {
    UninstallRegistration first = registration("C:\\Old\\uninstall.exe", "C:\\Old\\install.log");
    // Far beyond the 511 characters a fixed buffer would have kept.
    UninstallRegistration second =
        registration("C:\\" + std::string(600, 'p') + "\\uninstall.exe", "D:\\New\\install.log");
    second.versionText = "3.0";
    second.estimatedSizeKiB = 0x10000;
    for (const UninstallRegistration& values : {first, second}) {
        ASSERT_EQ(UninstallRegistry::write(values), 1);
        std::map<std::string, std::string> expected = {
            {"DisplayIcon", "REG_SZ \"" + values.uninstallProgram + "\""},
            {"DisplayName", "REG_SZ Kestrel Test Product"},
            {"DisplayVersion", "REG_SZ " + values.versionText},
            {"HelpLink", "REG_SZ https://example.test/kestrel"},
            {"Publisher", "REG_SZ Varnex Group Ltd"},
            {"UninstallString", "REG_SZ \"" + values.uninstallProgram + "\"-uninstall=\"" +
                                    values.actionLogPath +
                                    "\" -uninstallApp=\"Kestrel Test Product\""},
            {"InstallLocation", "REG_SZ C:\\Program Files\\Kestrel Test"},
            {"EstimatedSize",
             values.estimatedSizeKiB == 1234 ? "REG_DWORD 0x4d2" : "REG_DWORD 0x10000"},
            {"NoModify", "REG_DWORD 0x1"},
            {"NoRepair", "REG_DWORD 0x1"},
            {"QuietUninstallString", "REG_SZ " + values.uninstallString() + " -gui=0 -quiet=1"}};
        EXPECT_EQ(regQuery(), expected);
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
    const std::string probe = EngineProcess::testFolder() + "kestrel_uninstall_probe.exe";
    struct Row {
        const char* logPath; // "signal" makes the probe signal its events
        bool console;
        std::string tail; // behind the registered command
    } rows[] = {{"C:\\silent.log", false, ""},
                {"C:\\signal.log", false, "\nended"},
                {"C:\\signal.log", true, " -gui=0\nended"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.logPath) + row.tail);
        DeleteFileA(probeOutput().c_str());
        UninstallRegistration values = registration(probe, row.logPath);
        ASSERT_EQ(UninstallRegistry::write(values), 1);
        auto begin = std::chrono::steady_clock::now();
        EXPECT_EQ(UninstallRegistry::runUninstaller(kProduct, row.console), 1);
        // Not a measure of speed: an uninstaller that never starts is not waited for long.
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
        EXPECT_EQ(readProbeOutput(), values.uninstallString() + row.tail);
    }
}
