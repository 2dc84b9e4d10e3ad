// The console dialogue byte for byte: the field questions, the three kinds of question, quiet
// mode, the end of input and the closing lines.
#include "ui/ConsoleUI.h"
#include "tests/support/TestInstaller.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {
// How the wizard ends is set by the test; the pages are real.
class ConsoleInstaller : public PagesInstaller {
  public:
    enum Ending { kFinish, kFail, kCancel, kRefuse };

    explicit ConsoleInstaller(const std::string& dialogs) : PagesInstaller(dialogs) {}
    int nextDialog(InstallerUI* ui) override {
        ++steps;
        if (ending == kRefuse)
            return -1;
        failed_ = ending == kFail ? -1 : 0;
        cancelled_ = ending == kCancel ? 1 : 0;
        return Installer::nextDialog(ui);
    }
    void finishNow() { finished_ = 1; }

    Ending ending = kFinish;
    int steps = 0;
};

// Feeds `typed` to standard input and gives back what was printed.
class Console {
  public:
    explicit Console(const std::string& typed, int quiet = 0)
        : input_(std::tmpfile()), output_(std::tmpfile()), console_(input_, output_) {
        std::fputs(typed.c_str(), input_);
        std::rewind(input_);
        console_.setQuiet(quiet);
    }
    ~Console() {
        std::fclose(input_);
        std::fclose(output_);
    }
    ConsoleUI& ui() { return console_; }
    std::string run(Installer& installer) {
        console_.setInstaller(&installer);
        EXPECT_EQ(console_.run(), 0);
        return printed();
    }
    std::string printed() {
        std::fflush(output_);
        std::rewind(output_);
        std::string shown;
        for (int c; (c = std::fgetc(output_)) != EOF;)
            shown.push_back(static_cast<char>(c));
        std::rewind(output_);
        return shown;
    }
    // What is left unread on standard input.
    std::string unread() {
        std::string rest;
        for (int c; (c = std::fgetc(input_)) != EOF;)
            rest.push_back(static_cast<char>(c));
        return rest;
    }

  private:
    std::FILE* input_;
    std::FILE* output_;
    ConsoleUI console_;
};

const char kPrompt[] = "Type new value or <Enter> to keep the default: ";

std::string variable(Installer& installer, const char* name) {
    char value[1024] = "";
    return installer.getVariable(name, value, sizeof value) >= 0 ? value : "<undefined>";
}

std::string fieldPages() {
    return "<Folder><Field Type=\"Directory\" Label=\"Install to\">DIR</Field>"
           "<Field Type=\"CheckBox\" Label=\"Docs\" Condition=\"[MODE]==2\">DOCS</Field>"
           "<Field Type=\"RadioButtons\" Label=\"Mode\" Content=\"A;B\">MODE</Field></Folder>"
           "<Finish></Finish>";
}
} // namespace

TEST(ConsoleDialogue, AsksEveryFieldOnceThenStepsToTheEnd) {
    ConsoleInstaller installer(fieldPages());
    installer.setVariable("DIR", "C:\\Old");
    installer.setVariable("MODE", "1");
    Console console("D:\\\\New\n\n2\n");
    std::string expected = std::string("Starting installation.\n") + "Install to=C:\\Old\n" +
                           kPrompt + "=\n" + kPrompt + "Mode=1\n" + kPrompt +
                           "Installation completed.\n";
    EXPECT_EQ(console.run(installer), expected);
    EXPECT_EQ(variable(installer, "DIR"), "D:\\New");
    EXPECT_EQ(variable(installer, "MODE"), "2");
    EXPECT_EQ(installer.isFinished(), 1);
    EXPECT_EQ(console.ui().isRunning(), 1);
    console.ui().finish();
    EXPECT_EQ(console.ui().isRunning(), 0);
}

TEST(ConsoleDialogue, AnAnswerForAFieldLeftOutIsStoredUnderTheEmptyName) {
    ConsoleInstaller installer(fieldPages());
    installer.setVariable("MODE", "1");
    Console console("\nhidden\n\n");
    console.run(installer);
    EXPECT_EQ(variable(installer, ""), "hidden");
    EXPECT_EQ(variable(installer, "DOCS"), "<undefined>");
}

TEST(ConsoleDialogue, EndOfInputKeepsEveryDefault) {
    ConsoleInstaller installer(fieldPages());
    installer.setVariable("DIR", "C:\\Old");
    installer.setVariable("MODE", "2");
    Console console("");
    console.run(installer);
    EXPECT_EQ(variable(installer, "DIR"), "C:\\Old");
    EXPECT_EQ(variable(installer, "MODE"), "2");
    EXPECT_EQ(installer.isFinished(), 1);
}

TEST(ConsoleDialogue, QuietModeAsksNothingButStillPrintsItsLines) {
    ConsoleInstaller installer(fieldPages());
    installer.setVariable("DIR", "C:\\Old");
    Console console("D:\\New\nyes\n", 1);
    console.ui().reportLine(0, 0, "Create C:\\Old\\a.txt", 0, 0);
    EXPECT_EQ(console.ui().ask("Roll back?", InstallerUI::kAskYesNo), 1);
    EXPECT_EQ(console.ui().ask("Continue?", InstallerUI::kAskOkCancel), 1);
    EXPECT_EQ(console.ui().ask("Notice", InstallerUI::kAskNotice), 1);
    EXPECT_EQ(console.run(installer), "Create C:\\Old\\a.txt\nStarting installation.\n"
                                      "Installation completed.\n");
    EXPECT_EQ(variable(installer, "DIR"), "C:\\Old");
    EXPECT_EQ(console.unread(), "D:\\New\nyes\n");
}

TEST(ConsoleDialogue, TheClosingLineTellsHowTheWizardEnded) {
    struct Case {
        ConsoleInstaller::Ending ending;
        const char* line;
    };
    const Case cases[] = {{ConsoleInstaller::kFinish, "Installation completed.\n"},
                          {ConsoleInstaller::kFail, "Installation failed.\n"},
                          {ConsoleInstaller::kCancel, "Installation was cancelled.\n"},
                          {ConsoleInstaller::kRefuse, "Installation cannot continue.\n"}};
    for (const Case& test : cases) {
        ConsoleInstaller installer("<Welcome></Welcome><Finish></Finish>");
        installer.ending = test.ending;
        Console console("");
        EXPECT_EQ(console.run(installer), std::string("Starting installation.\n") + test.line);
    }
}

TEST(ConsoleDialogue, AWizardFinishedByItsFirstPageTakesNoStep) {
    ConsoleInstaller installer("<Welcome></Welcome><Finish></Finish>");
    installer.finishNow();
    Console console("");
    EXPECT_EQ(console.run(installer), "Starting installation.\nInstallation completed.\n");
    EXPECT_EQ(installer.steps, 0);
}

TEST(ConsoleQuestions, PromptsAndAnswersOfEachKind) {
    struct Case {
        int kind;
        const char* typed;
        const char* prompt;
        int result;
    };
    const Case cases[] = {{0, "OK\n", "Type 'ok' or 'cancel': ", 1},
                          {0, "cancel\n", "Type 'ok' or 'cancel': ", 0},
                          {0, "o\n", "Type 'ok' or 'cancel': ", 0},
                          {1, "anything\n", "Press <Enter>", 1},
                          {2, "Yes\n", "Type 'yes' or 'no' :", 1},
                          {2, "y\n", "Type 'yes' or 'no' :", 0},
                          {2, "", "Type 'yes' or 'no' :", 0},
                          {0, "", "Type 'ok' or 'cancel': ", 0},
                          {7, "yes\n", "", 0}};
    for (const Case& test : cases) {
        bool endOfInput = test.typed[0] == '\0';
        Console console(endOfInput ? "" : std::string(test.typed) + "next\n");
        EXPECT_EQ(console.ui().ask("Question?", test.kind), test.result) << test.typed;
        EXPECT_EQ(console.printed(), std::string("Question?\n") + test.prompt) << test.kind;
        // Exactly one line was read, whatever the kind.
        EXPECT_EQ(console.unread(), endOfInput ? "" : "next\n") << test.typed;
    }
}

TEST(ConsoleQuestions, AnOverLongAnswerIsReadWholeAndCountsAsNegative) {
    Console console("ok" + std::string(700, ' ') + "\nnext\n");
    EXPECT_EQ(console.ui().ask("Go on?", InstallerUI::kAskOkCancel), 0);
    EXPECT_EQ(console.unread(), "next\n");
}
