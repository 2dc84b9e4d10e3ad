// The console wizard of a packed installer under Wine, every printed line checked (its
// "RunningApps" page, with nothing running, is passed over).
#include "EngineProcess.h"

#include <gtest/gtest.h>

// The engine's standard output is in text mode: its line feeds arrive as CR LF.
TEST(WizardConsole, AnsweredOnStandardInputItReachesTheEndAndExitsZero) {
    // A new folder, the documentation off, setup type 1 (which brings in the Samples field, asked
    // with its value), then the Samples box on.
    std::string installer = EngineProcess::testFolder() + "testdata\\wizard-setup.exe";
    ProcessResult run =
        EngineProcess::run(inQuotes(installer) + " -gui=0", "C:\\Apps\\Kestrel\n0\n1\n1\n");
    const std::string prompt = "\r\nType new value or <Enter> to keep the default: ";
    EXPECT_EQ(run.output, "Starting installation.\r\nInstall to=C:\\Kestrel Wizard" + prompt +
                              "Documentation=1" + prompt + "Setup type=0" + prompt + "Samples=0" +
                              prompt + "Installation completed.\r\n");
    EXPECT_EQ(run.exitCode, 0u);
}
