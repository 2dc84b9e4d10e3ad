// The console dialogue byte for byte, over a wizard of real pages.
#include "ui/ConsoleUI.h"

#include "tests/native/ui/TestWizard.h"

#include <gtest/gtest.h>

namespace {
std::string value(const Wizard& wizard, const char* name) {
    char text[1024] = "";
    return wizard.getVariable(name, text, sizeof text) >= 0 ? text : "-";
}

std::string rest(std::FILE* file) {
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text.push_back(static_cast<char>(c));
    return text;
}

// Acts on a console that reads `typed`: what it printed, "|", and what it left unread.
template <typename Act> std::string console(const std::string& typed, bool quiet, Act act) {
    std::FILE* input = std::tmpfile();
    std::FILE* output = std::tmpfile();
    std::fputs(typed.c_str(), input);
    std::rewind(input);
    {
        // Gathered output is written at the latest when the console goes away.
        ConsoleUI ui(input, output);
        ui.setQuiet(quiet);
        // Drives C: and D: exist, with nothing on them.
        ui.setFolderProbe([](const char* path) {
            return std::string(path) == "C:\\" || std::string(path) == "D:\\"
                       ? platform::PathKind::kDirectory
                       : platform::PathKind::kNothing;
        });
        act(ui);
    }
    std::rewind(output);
    std::string text = rest(output) + "|" + rest(input);
    std::fclose(input);
    std::fclose(output);
    return text;
}

// Runs the wizard from its first page with DIR at `dir`.
std::string run(Wizard& wizard, const std::string& typed, bool quiet = false,
                const char* dir = "C:\\Old") {
    wizard.setVariable("DIR", dir);
    wizard.start();
    return console(typed, quiet, [&wizard](ConsoleUI& ui) {
        ui.setWizard(&wizard);
        EXPECT_TRUE(ui.run());
    });
}

const std::string kFields =
    "<Folder><Field Type=\"Directory\" Label=\"Install to\">DIR</Field>"
    "<Field Type=\"CheckBox\" Label=\"Docs\" Condition=\"[MODE]==2\">DOCS</Field>"
    "<Field Type=\"RadioButtons\" Label=\"Mode\" Content=\"A;B\">MODE</Field></Folder>"
    "<Finish></Finish>";
} // namespace

TEST(ConsoleDialogue, AsksEachFieldOnceAndKeepsAnAnswerWholeUpTo1023BytesOrRefusesIt) {
    const std::string prompt = "Type new value or <Enter> to keep the default: ";
    const std::string longest = "D:\\" + std::string(1020, 'x');
    struct Case {
        std::string typed;
        bool refused;
        std::string values;
    };
    const Case cases[] = {
        {"D:\\\\New\n\n2\n", false, "D:\\New 2 -"},
        {"\n", false, "C:\\Old 1 -"}, // empty answers and the end of input keep the values
        // The field whose condition is false is asked blank; its answer changes no field.
        {"\nhidden\n\n", false, "C:\\Old 1 hidden"},
        // A folder cut to fit would be another folder: a longer answer is refused whole.
        {longest + "x\n\n2\n", true, "C:\\Old 2 -"},
        {longest + "\n\n2\n", false, longest + " 2 -"},
        {longest + "\r\n\n2\n", false, longest + " 2 -"}};
    for (const Case& test : cases) {
        TestWizard wizard(kFields);
        EXPECT_EQ(run(wizard, test.typed),
                  "Starting installation.\nInstall to=C:\\Old\n" + prompt +
                      (test.refused ? "The value is too long; the previous value is kept.\n" : "") +
                      "=\n" + prompt + "Mode=1\n" + prompt + "Installation completed.\n|");
        EXPECT_EQ(value(wizard, "DIR") + " " + value(wizard, "MODE") + " " + value(wizard, "") +
                      value(wizard, "DOCS"),
                  test.values + "-");
    }
}

TEST(ConsoleDialogue, TheClosingLineTellsHowTheWizardEnded) {
    const std::string copy = "<CopyProgress></CopyProgress><Finish></Finish>";
    const std::string held = "<RunningApps><TestApp>held.exe</TestApp><TestApp>idle.exe</TestApp>"
                             "<TestApp>also.exe</TestApp></RunningApps><Finish></Finish>";
    const std::string twice = "held.exe\nalso.exe\n";
    struct Case {
        std::string dialogs;
        int copyResult;
        bool quiet;
        std::string printed;
        int page;
        bool uninstalling = false;
        const char* dir = "C:\\Old";
    };
    const Case cases[] = {
        {"<Welcome></Welcome><Finish></Finish>", 0, false, "Installation completed.\n", 1},
        // A run that failed (and was undone) must not read as completed.
        {copy, -1, false, "Installation failed.\n", 1},
        {copy, 1, false, "Installation was cancelled.\n", 0},
        // A program that keeps running ends the dialogue instead of holding it for ever, quiet or
        // not; every name is tested, so that the user sees all the programs to close at once.
        {held, 0, false, twice + twice + "Installation cannot continue.\n", 0},
        {held, 0, true, twice + twice + "Installation cannot continue.\n", 0},
        {kFields, 0, true, "Installation completed.\n", 1}, // quiet: no field is asked
        // An uninstall says so, from its first line to its last.
        {copy, 0, true, "Uninstall completed.\n", 1, true},
        {copy, -1, true, "Uninstall failed.\n", 1, true},
        // Unattended, no page shows the folder: one the installation could not use stops the run
        // before anything changes, saying why, instead of failing while it copies.
        {kFields, 0, true,
         "The drive or network share E:\\ of \"E:\\New\" does not exist.\n"
         "Installation cannot continue.\n",
         0, false, "E:\\New"},
    };
    for (const Case& test : cases) {
        TestWizard wizard(test.dialogs, test.copyResult);
        wizard.uninstalling = test.uninstalling;
        std::string first =
            test.uninstalling ? "Starting uninstall.\n" : "Starting installation.\n";
        EXPECT_EQ(run(wizard, "D:\\New\n", test.quiet, test.dir),
                  first + test.printed + "|D:\\New\n");
        EXPECT_EQ(wizard.currentDialog(), test.page) << test.printed;
        EXPECT_EQ(wizard.isFinished(), test.page == 1) << test.printed;
        EXPECT_EQ(value(wizard, "DIR"), test.dir);
    }
}

TEST(ConsoleQuestions, EachKindReadsExactlyOneLineAndQuietModeAnswersYesToAll) {
    using Question = RunReporter::Question;
    const char* prompts[] = {"Type 'ok' or 'cancel': ", "Press <Enter>", "Type 'yes' or 'no' :"};
    struct Case {
        Question kind;
        std::string typed;
        bool agreed;
    };
    // The ok answer longer than the line buffer is read whole and is not "ok".
    const Case cases[] = {{Question::kOkCancel, "OK\n", true},
                          {Question::kOkCancel, "cancel\n", false},
                          {Question::kOkCancel, "ok" + std::string(700, ' ') + "\n", false},
                          {Question::kNotice, "anything\n", true},
                          {Question::kYesNo, "Yes\n", true},
                          {Question::kYesNo, "y\n", false},
                          {Question::kYesNo, "", false}};
    for (const Case& test : cases) {
        bool agreed = !test.agreed;
        std::string typed = test.typed.empty() ? "" : test.typed + "next\n";
        EXPECT_EQ(console(typed, false, [&](ConsoleUI& ui) { agreed = ui.ask("Q?", test.kind); }),
                  "Q?\n" + std::string(prompts[static_cast<int>(test.kind)]) + "|" +
                      (typed.empty() ? "" : "next\n"));
        EXPECT_EQ(agreed, test.agreed) << test.typed;
    }
    EXPECT_EQ(console("no\n", true,
                      [](ConsoleUI& ui) {
                          EXPECT_TRUE(ui.ask("?", Question::kOkCancel) &&
                                      ui.ask("?", Question::kNotice) &&
                                      ui.ask("?", Question::kYesNo));
                          ui.reportLine("Create a");
                      }),
              "?\nCreate a\n|no\n"); // a notice is still said: unattended it is the only trace
}
