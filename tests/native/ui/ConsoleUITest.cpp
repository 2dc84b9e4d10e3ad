// The console dialogue byte for byte: the field questions and their answers, the three kinds of
// question, quiet mode, the end of input and the closing lines.
#include "ui/ConsoleUI.h"
#include "tests/support/TestInstaller.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {
// How the wizard ends is set by the test; the pages are real.
class ConsoleInstaller : public PagesInstaller {
  public:
    enum Ending { kFinish, kFail, kCancel, kRefuse, kFinishedAtOnce };

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
        return rest(output_);
    }
    // What is left unread on standard input.
    std::string unread() { return rest(input_); }

  private:
    static std::string rest(std::FILE* file) {
        std::string text;
        for (int c; (c = std::fgetc(file)) != EOF;)
            text.push_back(static_cast<char>(c));
        return text;
    }

    std::FILE* input_;
    std::FILE* output_;
    ConsoleUI console_;
};

const std::string kPrompt = "Type new value or <Enter> to keep the default: ";

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
    const std::string tooLong = "The value is too long; the previous value is kept.\n";
    struct Case {
        std::string typed, refused;
        const char *dir, *mode, *unnamed;
    };
    const Case cases[] = {
        {"D:\\\\New\n\n2\n", "", "D:\\New", "2", "<undefined>"},
        // Empty answers and the end of input keep the values.
        {"\n", "", "C:\\Old", "1", "<undefined>"},
        // The field whose condition is false is asked blank; its answer changes no field.
        {"\nhidden\n\n", "", "C:\\Old", "1", "hidden"},
        // A folder cut to fit would be another folder: the whole answer is refused.
        {"D:\\" + std::string(600, 'x') + "\n\n2\n", tooLong, "C:\\Old", "2", "<undefined>"},
        {"D:\\" + std::string(512, 'x') + "\n\n2\n", tooLong, "C:\\Old", "2", "<undefined>"},
        // The longest answer the line holds is kept whole, with either line end.
        {"D:\\" + std::string(508, 'x') + "\n\n2\n", "", nullptr, "2", "<undefined>"},
        {"D:\\" + std::string(508, 'x') + "\r\n\n2\n", "", nullptr, "2", "<undefined>"}};
    for (const Case& test : cases) {
        ConsoleInstaller installer(fieldPages());
        installer.setVariable("DIR", "C:\\Old");
        installer.setVariable("MODE", "1");
        Console console(test.typed);
        EXPECT_EQ(console.run(installer), "Starting installation.\nInstall to=C:\\Old\n" + kPrompt +
                                              test.refused + "=\n" + kPrompt + "Mode=1\n" +
                                              kPrompt + "Installation completed.\n");
        std::string typedFolder = test.typed.substr(0, test.typed.find_first_of("\r\n"));
        EXPECT_EQ(variable(installer, "DIR"), test.dir ? test.dir : typedFolder) << test.typed;
        EXPECT_EQ(variable(installer, "MODE"), test.mode) << test.typed;
        EXPECT_EQ(variable(installer, ""), test.unnamed) << test.typed;
        EXPECT_EQ(variable(installer, "DOCS"), "<undefined>") << test.typed;
        EXPECT_EQ(installer.isFinished(), 1);
        EXPECT_EQ(console.ui().isRunning(), 1);
        console.ui().finish();
        EXPECT_EQ(console.ui().isRunning(), 0);
    }
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
        int steps;
    };
    const Case cases[] = {{ConsoleInstaller::kFinish, "Installation completed.\n", 2},
                          {ConsoleInstaller::kFail, "Installation failed.\n", 2},
                          {ConsoleInstaller::kCancel, "Installation was cancelled.\n", 1},
                          {ConsoleInstaller::kRefuse, "Installation cannot continue.\n", 1},
                          // Finished by its first page, the wizard takes no step at all.
                          {ConsoleInstaller::kFinishedAtOnce, "Installation completed.\n", 0}};
    for (const Case& test : cases) {
        ConsoleInstaller installer("<Welcome></Welcome><Finish></Finish>");
        installer.ending = test.ending;
        if (test.ending == ConsoleInstaller::kFinishedAtOnce)
            installer.finishNow();
        EXPECT_EQ(Console("").run(installer), std::string("Starting installation.\n") + test.line);
        EXPECT_EQ(installer.steps, test.steps) << test.line;
    }
}

TEST(ConsoleQuestions, PromptsAndAnswersOfEachKind) {
    const char* prompts[] = {"Type 'ok' or 'cancel': ", "Press <Enter>", "Type 'yes' or 'no' :"};
    struct Case {
        int kind;
        std::string typed;
        int result;
    };
    // The ok answer longer than the line buffer is read whole and is not "ok".
    const Case cases[] = {{0, "OK\n", 1},       {0, "cancel\n", 0},
                          {0, "o\n", 0},        {0, "ok" + std::string(700, ' ') + "\n", 0},
                          {1, "anything\n", 1}, {2, "Yes\n", 1},
                          {2, "y\n", 0},        {2, "", 0},
                          {0, "", 0},           {7, "yes\n", 0}};
    for (const Case& test : cases) {
        bool endOfInput = test.typed.empty();
        Console console(endOfInput ? "" : test.typed + "next\n");
        EXPECT_EQ(console.ui().ask("Question?", test.kind), test.result) << test.typed;
        EXPECT_EQ(console.printed(),
                  std::string("Question?\n") + (test.kind < 3 ? prompts[test.kind] : ""))
            << test.kind;
        // Exactly one line was read, whatever the kind.
        EXPECT_EQ(console.unread(), endOfInput ? "" : "next\n") << test.typed;
    }
}
