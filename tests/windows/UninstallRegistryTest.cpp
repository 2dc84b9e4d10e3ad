// The uninstall registration in the real registry, read back by reg.exe; the start of a
// registered uninstaller and the wait until that uninstall has really ended.
#include "system/UninstallRegistry.h"
#include "system/RegistryKey.h"
#include "system/RegistryValue.h"
#include "system/UninstallRegistration.h"
#include "system/UninstallerPresence.h"
#include "tests/e2e/EngineProcess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {
const char kProduct[] = "Kestrel Test Product";
using WaitEnd = UninstallerPresence::WaitEnd;
using Clock = std::chrono::steady_clock;
const long long kTickMs = 32; // the bounds are kept with the tick count, in steps of about 16 ms

UninstallRegistration registration(const std::string& program, const std::string& logPath) {
    return {kProduct,           "2.5.1", "https://example.test/kestrel",
            "Varnex Group Ltd", program, logPath,
            "C:\\Kestrel",      1234};
}

void expectWaited(Clock::time_point begin, long long minMs, long long maxMs) {
    long long elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin).count();
    EXPECT_GE(elapsed + kTickMs, minMs);
    EXPECT_LT(elapsed, maxMs);
}

std::string probePath() {
    return EngineProcess::testFolder() + "kestrel_probe.exe";
}
} // namespace

// A program path far beyond a fixed buffer's 511 characters is kept whole; an empty name finds
// nothing.
TEST(UninstallRegistry, WritesTheElevenValuesWholeFindsTheProductAndRemovesOnlyItsKey) {
    for (const std::string& program :
         {std::string("C:\\Old\\u.exe"), "C:\\" + std::string(600, 'p')}) {
        UninstallRegistration values = registration(program, program + ".log");
        ASSERT_TRUE(UninstallRegistry::write(values));
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
            "UninstallString    REG_SZ    \"" + program + "\" -uninstall=\"" + program +
                ".log\" -uninstallApp=\"Kestrel Test Product\"",
            "InstallLocation    REG_SZ    C:\\Kestrel",
            "EstimatedSize    REG_DWORD    0x4d2",
            "NoModify    REG_DWORD    0x1",
            "NoRepair    REG_DWORD    0x1",
            "QuietUninstallString    REG_SZ    " + values.uninstallString() + " -gui=0 -quiet=1"};
        for (const std::string& line : lines)
            EXPECT_NE(listed.find("    " + line + "\r\n"), std::string::npos) << line;
    }
    // A name that would reach another key is refused, and says so.
    UninstallRegistration nested = registration("C:\\u.exe", "C:\\u.log");
    nested.productName = "Kestrel\\..\\Other";
    EXPECT_EQ(UninstallRegistry::write(nested).failure,
              "the product's name cannot name a registry key");
    for (const char* name : {kProduct, "Kestrel Test", ""})
        EXPECT_EQ(UninstallRegistry::isInstalled(name), std::string(name) == kProduct);
    EXPECT_TRUE(UninstallRegistry::remove(kProduct));
    EXPECT_FALSE(UninstallRegistry::isInstalled(kProduct));
    EXPECT_FALSE(
        UninstallRegistry::runUninstaller(kProduct, false, UninstallRegistry::kAnnounceBoundMs)
            .started);
}

// The quiet command is taken as it stands, in console mode too; only a REG_SZ that is not empty
// counts as one. A command line beyond the system's 32,766 characters is not started, not cut.
TEST(UninstallRegistry, StartsTheQuietUninstallerWhenRegisteredElseTheInteractiveOne) {
    const std::string probe = probePath();
    UninstallRegistration values = registration(probe, "C:\\silent.log");
    const std::string quiet = values.quietUninstallString(), program = inQuotes(probe) + " ";
    const std::string longest = program + std::string(32766 - program.size(), 'x');
    const struct {
        DWORD type; // REG_NONE: no quiet command
        std::string quiet;
        bool console;
        std::string commandLine; // empty: not started
    } rows[] = {
        {REG_SZ, quiet, true, quiet},
        {REG_NONE, "", true, values.uninstallString() + " -gui=0"},
        {REG_NONE, "", false, values.uninstallString()},
        {REG_EXPAND_SZ, quiet, false, values.uninstallString()},
        {REG_SZ, "", true, values.uninstallString() + " -gui=0"},
        {REG_SZ, longest, false, longest},
        {REG_SZ, longest + "x", false, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.quiet.substr(0, 80));
        DeleteFileA((probe + ".txt").c_str());
        ASSERT_TRUE(UninstallRegistry::write(values));
        RegistryKey product;
        ASSERT_TRUE(
            product.open(HKEY_LOCAL_MACHINE,
                         (std::string(UninstallRegistry::kUninstallKey) + "\\" + kProduct).c_str(),
                         KEY_SET_VALUE));
        if (row.type == REG_NONE)
            RegDeleteValueA(product.get(), "QuietUninstallString");
        else
            ASSERT_TRUE(RegistryValue::writeText(product.get(), "QuietUninstallString", row.type,
                                                 row.quiet));
        UninstallRegistry::UninstallerRun run =
            UninstallRegistry::runUninstaller(kProduct, row.console, 0);
        EXPECT_EQ(run.started, !row.commandLine.empty());
        EXPECT_EQ(readAll(probe + ".txt"), row.commandLine);
    }
    UninstallRegistry::remove(kProduct);
}

// The probe is the installed uninstaller, whose copy takes 3 s to start: the wait lasts until the
// copy has ended, however short the bound after a handover; a dying copy releases it at once; an
// earlier version's copy (events only) is waited for by its end; a silent command for the bound.
TEST(UninstallRegistry, WaitsUntilTheRelaunchedUninstallHasReallyEnded) {
    const std::string probe = probePath();
    const struct {
        const char* logPath; // names the probe's modes
        unsigned long boundMs;
        WaitEnd end;
        bool removed; // the copy removed the registration before the wait ended
        long long minMs, maxMs;
    } rows[] = {
        {"C:\\#relaunch.log", 30000, WaitEnd::Ended, true, 4500, 25000},
        {"C:\\#relaunch#handover.log", 300, WaitEnd::Ended, true, 4500, 25000},
        {"C:\\#relaunch#die.log", 60000, WaitEnd::Abandoned, false, 4500, 25000},
        {"C:\\signal.log", 30000, WaitEnd::Ended, false, 1500, 25000},
        {"C:\\silent.log", 1500, WaitEnd::Silent, false, 1500, 9000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.logPath);
        DeleteFileA((probe + ".txt").c_str());
        UninstallRegistration values = registration(probe, row.logPath);
        ASSERT_TRUE(UninstallRegistry::write(values));
        Clock::time_point begin = Clock::now();
        UninstallRegistry::UninstallerRun run =
            UninstallRegistry::runUninstaller(kProduct, false, row.boundMs);
        expectWaited(begin, row.minMs, row.maxMs);
        EXPECT_TRUE(run.started);
        EXPECT_EQ(run.end, row.end);
        EXPECT_EQ(UninstallRegistry::isInstalled(kProduct), !row.removed);
        const std::string copyLine = inQuotes(probe) + " -probe=copy " +
                                     values.uninstallArguments() + " -gui=0 -quiet=1\nended";
        EXPECT_EQ(readAll(probe + ".txt") == copyLine, row.removed);
    }
    UninstallRegistry::remove(kProduct);
}

// What the probe cannot show (a mutex belongs to a thread): after the command has ended, the wait
// lasts while the copy holds its presence, past the bound, and ends when it lets it go.
TEST(UninstallerPresence, TheWaitAfterTheCommandEndsLastsWhileTheCopyHoldsItsPresence) {
    WinHandle process(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    WinHandle started(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    WinHandle ended(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    WinHandle ready(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::atomic<bool> held{false};
    Clock::time_point begin = Clock::now();
    std::thread copy([&] {
        UninstallerPresence presence;
        held = presence.held();
        SetEvent(ready.get());
        Sleep(800);
    });
    WaitForSingleObject(ready.get(), INFINITE);
    EXPECT_EQ(UninstallerPresence::waitForUninstall(process.get(), started.get(), ended.get(), 100),
              WaitEnd::Released);
    expectWaited(begin, 800, 5800);
    copy.join();
    EXPECT_TRUE(held);
}
