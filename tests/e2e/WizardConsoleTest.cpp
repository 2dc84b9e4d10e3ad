// The console wizard of a packed installer under Wine, every printed line checked: answers on
// standard input, quiet mode, a "RunningApps" page holding the user while a listed program
// runs, and the exit code of each ending.
#include "EngineProcess.h"
#include "tests/support/WaitingProgram.h"

#include <gtest/gtest.h>

namespace {
// The engine's standard output is in text mode: its line feeds arrive as CR LF.
const std::string kPrompt = "Type new value or <Enter> to keep the default: ";
const std::string kStart = "Starting installation.\r\n";
const std::string kCompleted = "Installation completed.\r\n";

ProcessResult runWizard(const std::string& options, const std::string& input = "") {
    std::string installer = EngineProcess::testFolder() + "testdata\\wizard-setup.exe";
    return EngineProcess::run("\"" + installer + "\" " + options, input);
}

// The four field questions, each with the value shown; the fourth field is left out (blank)
// while the setup type is not 1.
std::string fieldQuestions(const std::string& samples) {
    return "Install to=C:\\Kestrel Wizard\r\n" + kPrompt + "Documentation=1\r\n" + kPrompt +
           "Setup type=0\r\n" + kPrompt + samples + "\r\n" + kPrompt;
}
} // namespace

TEST(WizardConsole, AnsweredOnStandardInputItReachesTheEndAndExitsZero) {
    // A new folder, the documentation off, setup type 1 (which brings in the Samples field),
    // then the Samples box on.
    ProcessResult run = runWizard("-gui=0", "D:\\Apps\\Kestrel\n0\n1\n1\n");
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.output, kStart + fieldQuestions("Samples=0") + kCompleted);
    EXPECT_EQ(run.exitCode, 0u);
}

TEST(WizardConsole, ARunningListedProgramHoldsTheWizard) {
    WaitingProgram program;
    ASSERT_TRUE(program.started());
    // The page lists the program when it is shown, and again when Next is refused.
    std::string held =
        "kestrel_waiter.exe\r\nkestrel_waiter.exe\r\nInstallation cannot continue.\r\n";
    ProcessResult run = runWizard("-gui=0", ""); // the end of input keeps every default
    EXPECT_EQ(run.output, kStart + fieldQuestions("=") + held);
    EXPECT_EQ(run.exitCode, kMinusOne);
    // Quiet mode asks nothing, but prints the same lines.
    run = runWizard("-gui=0 -quiet=1", "D:\\Elsewhere\n");
    EXPECT_EQ(run.output, kStart + held);
    EXPECT_EQ(run.exitCode, kMinusOne);

    // Closed, it no longer holds anyone: the page is passed over.
    program.end();
    run = runWizard("-gui=0 -quiet=1", "D:\\Elsewhere\n");
    EXPECT_EQ(run.output, kStart + kCompleted);
    EXPECT_EQ(run.exitCode, 0u);
}
