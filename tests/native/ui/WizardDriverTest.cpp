// The wizard's navigation, buttons and page elements, driven with a handler that records what
// the wizard asked of it.
#include "tests/support/TestInstaller.h"
#include "ui/PageCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {
class WizardInstaller : public PagesInstaller {
  public:
    explicit WizardInstaller(const std::string& dialogs) : PagesInstaller(dialogs) {}
    int isAppRunning(const char* name) override {
        tested.push_back(name);
        return running.count(name) != 0 ? 1 : 0;
    }
    void markFailed() { failed_ = -1; }

    std::set<std::string> running;
    std::vector<std::string> tested;
};

// Keeps the button states and the calls that show or leave pages, in order.
class WizardUI : public RecordingUI {
  public:
    int showPage(int page) override { return log("show " + std::to_string(page)); }
    int leavePage(int page) override { return log("leave " + std::to_string(page)); }
    int storeFields(int page) override { return log("store " + std::to_string(page)); }
    int confirmCancel() override { return confirm; }
    int setNextCaption(const char* text) override {
        next = text;
        return 0;
    }
    int setCancelCaption(const char* text) override {
        cancel = text;
        return 0;
    }
    int enableHelp(int flag) override { return enable(help, "help", flag); }
    int enableBack(int flag) override { return enable(back, "back", flag); }
    int enableNext(int flag) override { return enable(nextOn, "next", flag); }
    int enableCancel(int flag) override { return enable(cancelOn, "cancel", flag); }
    int reportLine(int, int, const char* text, int, int) override {
        return log(std::string("report ") + text);
    }

    // The pages shown since the last call, in order.
    std::vector<int> takeShown() {
        std::vector<int> shown;
        for (const std::string& call : calls) {
            if (call.rfind("show ", 0) == 0)
                shown.push_back(std::stoi(call.substr(5)));
        }
        calls.clear();
        return shown;
    }
    // The calls since the last take whose text starts with one of the prefixes.
    std::vector<std::string> take(std::initializer_list<const char*> prefixes) {
        std::vector<std::string> found;
        for (const std::string& call : calls) {
            for (const char* prefix : prefixes) {
                if (call.rfind(prefix, 0) == 0)
                    found.push_back(call);
            }
        }
        calls.clear();
        return found;
    }
    std::vector<std::string> take(const char* prefix) { return take({prefix}); }
    std::vector<std::string> takeButtons() { return take({"back", "next", "help", "cancel"}); }

    std::string next = "Next";
    std::string cancel = "Cancel";
    int help = 1, back = 1, nextOn = 1, cancelOn = 1;
    int confirm = 0;
    std::vector<std::string> calls;

  private:
    int log(const std::string& call) {
        calls.push_back(call);
        return 0;
    }
    int enable(int& state, const char* name, int flag) {
        state = flag & 0xff;
        return log(std::string(name) + (state != 0 ? " on" : " off"));
    }
};

std::string page(const char* name, const char* attributes = "", const char* body = "") {
    return std::string("<") + name + " " + attributes + ">" + body + "</" + name + ">";
}
} // namespace

TEST(WizardNavigation, NextAndBackFollowConditionsAndStepOverSpecialPages) {
    WizardInstaller installer(page("Welcome") + page("Options", "Condition=\"[MODE]==2\"") +
                              page("Hidden", "Special=\"1\"") + page("Folder") + page("Finish"));
    installer.setVariable("MODE", "1");
    WizardUI ui;
    ASSERT_EQ(installer.showDialog(0, &ui), 0);
    ui.calls.clear();
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(ui.takeShown(), (std::vector<int>{1, 3})); // Options shown, then passed over
    EXPECT_EQ(installer.currentDialog(), 3);
    EXPECT_EQ(installer.previousDialog(&ui), 0);
    EXPECT_EQ(ui.takeShown(), (std::vector<int>{1, 0}));
    EXPECT_EQ(installer.currentDialog(), 0);

    installer.setVariable("MODE", "2");
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.currentDialog(), 1);
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.currentDialog(), 3);
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.currentDialog(), 4);
    EXPECT_EQ(installer.isFinished(), 0);
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.isFinished(), 1);
}

TEST(WizardNavigation, ShowingAPageLeavesTheOldOneStoresFieldsThenShowsTheNew) {
    WizardInstaller installer(page("Welcome") + page("Folder") + page("Finish"));
    WizardUI ui;
    installer.showDialog(0, &ui);
    ui.calls.clear();
    installer.showDialog(1, &ui);
    EXPECT_EQ(ui.take({"store", "show"}), (std::vector<std::string>{"store 1", "show 1"}));
    installer.showDialog(2, &ui);
    EXPECT_EQ(ui.take("leave"), (std::vector<std::string>{"leave 1"}));
}

TEST(WizardNavigation, RefusesMissingHandlerAndPagesOutsideTheList) {
    WizardInstaller installer(page("Welcome") + page("Finish"));
    WizardUI ui;
    EXPECT_EQ(installer.showDialog(-1, &ui), -1);
    EXPECT_EQ(installer.showDialog(2, &ui), -1);
    EXPECT_EQ(installer.showDialog(1, nullptr), -1);
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_EQ(installer.currentDialog(), 0);
    EXPECT_EQ(installer.nextDialog(nullptr), -1);
    EXPECT_EQ(installer.previousDialog(nullptr), -1);
    EXPECT_EQ(installer.cancelDialog(nullptr), -1);
    EXPECT_EQ(installer.isFinished(), 0);
}

TEST(WizardNavigation, FirstAndLastReachablePages) {
    WizardInstaller installer(page("A", "Special=\"1\"") + page("B") + page("C") +
                              page("D", "Special=\"2\""));
    EXPECT_EQ(installer.firstDialog(), 1);
    EXPECT_EQ(installer.lastDialog(), 2);
    WizardInstaller none(page("A", "Special=\"1\""));
    EXPECT_EQ(none.firstDialog(), -1);
    EXPECT_EQ(none.lastDialog(), -1);
}

TEST(WizardNavigation, CancelNeedsTheUsersConfirmation) {
    WizardInstaller installer(page("License") + page("Finish"));
    WizardUI ui;
    installer.showDialog(0, &ui);
    EXPECT_EQ(ui.cancel, "I disagree");
    EXPECT_EQ(installer.cancelDialog(&ui), 0);
    EXPECT_EQ(installer.isCancelled(), 0);
    ui.confirm = 1;
    EXPECT_EQ(installer.cancelDialog(&ui), 0);
    EXPECT_EQ(installer.isCancelled(), 1);
}

TEST(WizardButtons, FirstMiddleAndLastPages) {
    WizardInstaller installer(page("Welcome") + page("Folder") + page("Finish"));
    WizardUI ui;
    installer.showDialog(0, &ui);
    EXPECT_EQ(ui.next, "Next");
    EXPECT_EQ(ui.cancel, "Cancel");
    EXPECT_EQ(ui.back, 0);
    EXPECT_EQ(ui.nextOn + ui.help + ui.cancelOn, 3);
    installer.showDialog(1, &ui);
    EXPECT_EQ(ui.back + ui.nextOn + ui.help + ui.cancelOn, 4);
    installer.showDialog(2, &ui);
    EXPECT_EQ(ui.next, "Finish");
    EXPECT_EQ(ui.nextOn, 1);
    EXPECT_EQ(ui.back + ui.help + ui.cancelOn, 0);
}

TEST(WizardButtons, LicenseAgreesOrDisagreesAndKeepsTheEnableStates) {
    WizardInstaller installer(page("Welcome") + page("License") + page("license") + page("Finish"));
    WizardUI ui;
    installer.showDialog(0, &ui);
    ui.help = 0; // a state the License page must leave alone
    installer.showDialog(1, &ui);
    EXPECT_EQ(ui.next, "I agree");
    EXPECT_EQ(ui.cancel, "I disagree");
    EXPECT_EQ(ui.back, 0);
    EXPECT_EQ(ui.help, 0);
    installer.showDialog(2, &ui); // the page type is matched exactly: an ordinary page
    EXPECT_EQ(ui.next, "Next");
    EXPECT_EQ(ui.cancel, "Cancel");
    EXPECT_EQ(ui.back + ui.help, 2);

    WizardInstaller first(page("License") + page("Finish"));
    ui.back = 1;
    ui.nextOn = 0;
    first.showDialog(0, &ui);
    EXPECT_EQ(ui.back, 0);
    EXPECT_EQ(ui.nextOn, 1);
}

TEST(WizardButtons, AOnePageWizardFinishesAtOnce) {
    WizardInstaller installer(page("Welcome"));
    WizardUI ui;
    installer.showDialog(0, &ui);
    EXPECT_EQ(ui.next, "Finish");
    EXPECT_EQ(ui.nextOn, 1);
    EXPECT_EQ(ui.back + ui.help + ui.cancelOn, 0);
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.isFinished(), 1);
}

TEST(WizardFinish, AFailedRunShowsBadFinishInsteadOfFinish) {
    WizardInstaller installer(page("Welcome") + page("Finish") +
                              page("BadFinish", "Special=\"1\""));
    WizardUI ui;
    installer.showDialog(0, &ui);
    installer.nextDialog(&ui);
    EXPECT_EQ(installer.currentDialog(), 1); // no failure: the special page is never reached
    installer.markFailed();
    installer.showDialog(1, &ui);
    EXPECT_EQ(installer.currentDialog(), 2);
    EXPECT_EQ(ui.next, "Finish");
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.isFinished(), 1);
}

TEST(WizardFinish, NoSubstitutionWithoutABadFinishRightBehindOrAtTheEnd) {
    WizardInstaller installer(page("Finish") + page("Other", "Special=\"1\"") +
                              page("BadFinish", "Special=\"1\"") + page("Finish"));
    installer.markFailed();
    WizardUI ui;
    installer.showDialog(0, &ui);
    EXPECT_EQ(installer.currentDialog(), 0);
    installer.showDialog(3, &ui);
    EXPECT_EQ(installer.currentDialog(), 3);
}

TEST(WizardFinish, NextOnABadFinishFollowedOnlyBySpecialPagesFinishes) {
    WizardInstaller installer(page("Welcome") + page("Finish") +
                              page("BadFinish", "Special=\"1\"") + page("Extra", "Special=\"1\""));
    installer.markFailed();
    WizardUI ui;
    installer.showDialog(0, &ui);
    installer.nextDialog(&ui);
    ASSERT_EQ(installer.currentDialog(), 2);
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.isFinished(), 1);
}

TEST(WizardRunningApps, HoldsTheUserWhileAListedProgramRuns) {
    WizardInstaller installer(page("Welcome") +
                              page("RunningApps", "",
                                   "<TestApp>a.exe</TestApp><Text x=\"1\" y=\"1\">Close"
                                   "</Text><testapp>b.exe</testapp>") +
                              page("Finish"));
    installer.running = {"a.exe", "b.exe"};
    WizardUI ui;
    installer.showDialog(0, &ui);
    ui.calls.clear();
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.currentDialog(), 1);
    EXPECT_EQ(ui.take("report"), (std::vector<std::string>{"report a.exe", "report b.exe"}));
    EXPECT_EQ(installer.elementCount(), 1);

    installer.running = {"a.exe"};
    installer.tested.clear();
    EXPECT_EQ(installer.nextDialog(&ui), -1);
    EXPECT_EQ(installer.currentDialog(), 1);
    // Both names are tested even though the first one runs; the page lists what still runs.
    EXPECT_EQ(installer.tested, (std::vector<std::string>{"a.exe", "b.exe", "a.exe", "b.exe"}));
    EXPECT_EQ(ui.take("report"), (std::vector<std::string>{"report a.exe"}));

    installer.running.clear();
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.currentDialog(), 2);
    EXPECT_TRUE(ui.take("report").empty());
    // Back passes over the page too, now that nothing runs.
    EXPECT_EQ(installer.previousDialog(&ui), 0);
    EXPECT_EQ(installer.currentDialog(), 0);
}

TEST(WizardRunningApps, APageWithNothingRunningIsShownAndPassedOver) {
    WizardInstaller installer(page("Welcome") +
                              page("RunningApps", "", "<TestApp>a.exe</TestApp>") + page("Finish"));
    WizardUI ui;
    installer.showDialog(0, &ui);
    ui.calls.clear();
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(ui.takeShown(), (std::vector<int>{1, 2}));
    EXPECT_EQ(installer.getDialog(1).pageCheck->check(&installer, &ui), 1);
}

TEST(WizardRunningApps, APagePassedOverByItsConditionHoldsNobody) {
    WizardInstaller installer(
        page("Welcome") +
        page("RunningApps", "Condition=\"[CHECK]==1\"", "<TestApp>a.exe</TestApp>") +
        page("Folder") + page("Finish"));
    installer.setVariable("CHECK", "0");
    installer.running = {"a.exe"};
    WizardUI ui;
    installer.showDialog(0, &ui);
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.currentDialog(), 2);
    installer.setVariable("CHECK", "1");
    installer.showDialog(0, &ui);
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.currentDialog(), 1);
    EXPECT_EQ(installer.nextDialog(&ui), -1);
    EXPECT_EQ(installer.currentDialog(), 1);
}

TEST(WizardEndlessSteps, BackFromTheFirstShowablePageStaysThere) {
    WizardInstaller installer(page("Intro", "Condition=\"[MODE]==2\"") +
                              page("RunningApps", "", "<TestApp>a.exe</TestApp>") + page("Folder") +
                              page("Finish"));
    installer.setVariable("MODE", "1");
    WizardUI ui;
    installer.showDialog(2, &ui);
    installer.showDialog(1, &ui); // attaches the page's check
    installer.showDialog(2, &ui);
    ui.calls.clear();
    EXPECT_EQ(installer.previousDialog(&ui), 0);
    EXPECT_EQ(ui.takeShown(), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(installer.currentDialog(), 2);
    // On the first page itself, Back shows it again and stays.
    installer.showDialog(0, &ui);
    ui.calls.clear();
    EXPECT_EQ(installer.previousDialog(&ui), 0);
    EXPECT_EQ(ui.takeShown(), (std::vector<int>{0}));
    EXPECT_EQ(installer.currentDialog(), 0);
}

TEST(WizardEndlessSteps, BackOntoAPassedOverBadFinishGoesFurtherBack) {
    WizardInstaller installer(page("Welcome") + page("Finish") +
                              page("BadFinish", "Special=\"1\" Condition=\"[MODE]==2\"") +
                              page("More") + page("End"));
    installer.setVariable("MODE", "1");
    installer.markFailed();
    WizardUI ui;
    installer.showDialog(3, &ui);
    ui.calls.clear();
    EXPECT_EQ(installer.previousDialog(&ui), 0);
    EXPECT_EQ(ui.takeShown(), (std::vector<int>{2, 0}));
    EXPECT_EQ(installer.currentDialog(), 0);
}

TEST(WizardEndlessSteps, NextFinishesWhenEveryLaterPageIsPassedOverOrSpecial) {
    WizardInstaller installer(page("A") + page("B", "Condition=\"[MODE]==2\"") +
                              page("C", "Condition=\"[MODE]==2\""));
    installer.setVariable("MODE", "1");
    WizardUI ui;
    installer.showDialog(0, &ui);
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.currentDialog(), 2);
    EXPECT_EQ(installer.isFinished(), 1);

    WizardInstaller special(page("A", "Special=\"1\"") + page("B", "Special=\"1\""));
    special.showDialog(0, &ui);
    EXPECT_EQ(ui.next, "Finish");
    EXPECT_EQ(special.nextDialog(&ui), 0);
    EXPECT_EQ(special.isFinished(), 1);
}

TEST(WizardCopyProgress, RunsOnceAndShowsItsResultWhenShownAgain) {
    WizardInstaller installer(page("Welcome") + page("CopyProgress") + page("Folder") +
                              page("Finish"));
    WizardUI ui;
    installer.showDialog(0, &ui);
    ui.calls.clear();
    installer.nextDialog(&ui);
    ASSERT_EQ(installer.currentDialog(), 1);
    // All four buttons are off while the run works, then Help, Next and Cancel come back.
    std::vector<std::string> run = {"back off", "next off", "help off", "cancel off",
                                    "back off", "next on",  "help on",  "cancel on"};
    std::vector<std::string> buttons = ui.takeButtons();
    ASSERT_GE(buttons.size(), run.size());
    EXPECT_EQ(std::vector<std::string>(buttons.end() - run.size(), buttons.end()), run);
    int failed = installer.hasFailed();

    installer.nextDialog(&ui);
    EXPECT_EQ(installer.currentDialog(), 2);
    ui.calls.clear();
    installer.previousDialog(&ui);
    EXPECT_EQ(installer.currentDialog(), 1);
    std::vector<std::string> again = ui.takeButtons();
    std::vector<std::string> result = {"back off", "next on", "help on", "cancel on"};
    ASSERT_GE(again.size(), result.size());
    EXPECT_EQ(std::vector<std::string>(again.end() - result.size(), again.end()), result);
    EXPECT_EQ(std::count(again.begin(), again.end(), "next off"), 0);
    EXPECT_EQ(installer.hasFailed(), failed);
}

TEST(PageElements, ReadsTheElementsOfThePageShown) {
    WizardInstaller installer(page(
        "Welcome", "",
        "<text x=\"1\" y=\"2\" w=\"3\" h=\"4\" HAlign=\"RIGHT\" VAlign=\"bottom\" Name=\"Title\">"
        "One\\nTwo\\\\n</text>"
        "<Image x=\"5\" y=\"6\">WelcomeLImg</Image>"
        "<HLine x=\"1\">dropped: no y</HLine>"
        "<Progress y=\"1\">dropped: no x</Progress>"
        "<List x=\"7\" y=\"8\" Condition=\"[MODE]==2\">only in mode 2</List>"
        "<RichEditText x=\"9\" y=\"10\" HAlign=\"center\" VAlign=\"middle\">LicenseText"
        "</RichEditText>"
        "<TestApp x=\"1\" y=\"1\">not an element</TestApp>"
        "<Progress x=\"0\" y=\"0\" HAlign=\"left\" VAlign=\"TOP\" Name=\"Overall\"></Progress>"));
    installer.setVariable("MODE", "1");
    WizardUI ui;
    installer.showDialog(0, &ui);
    ASSERT_EQ(installer.elementCount(), 4);
    PageElement text = installer.getElement(0);
    EXPECT_STREQ(text.name, "Title");
    EXPECT_EQ(text.kind, 10);
    EXPECT_EQ(text.x + 10 * text.y + 100 * text.w + 1000 * text.h, 4321);
    EXPECT_EQ(text.horizontalAlignment, 23);
    EXPECT_EQ(text.verticalAlignment, 24);
    EXPECT_STREQ(text.text, "One\r\nTwo\\\r\n");
    PageElement image = installer.getElement(1);
    EXPECT_EQ(image.kind, 11);
    EXPECT_STREQ(image.name, "");
    EXPECT_EQ(image.w + image.h, 0);
    EXPECT_STREQ(image.text, "WelcomeLImg");
    PageElement rich = installer.getElement(2);
    EXPECT_EQ(rich.kind, 13);
    EXPECT_EQ(rich.horizontalAlignment, 22);
    EXPECT_EQ(rich.verticalAlignment, 0);
    PageElement progress = installer.getElement(3);
    EXPECT_EQ(progress.kind, 14);
    EXPECT_EQ(progress.horizontalAlignment, 20);
    EXPECT_EQ(progress.verticalAlignment, 21);
    EXPECT_STREQ(progress.text, "");
    PageElement outside = installer.getElement(4);
    EXPECT_EQ(outside.kind, 0);
    EXPECT_EQ(outside.text, nullptr);

    // The list is rebuilt on every showing, with the conditions as they are then.
    installer.setVariable("MODE", "2");
    installer.showDialog(0, &ui);
    ASSERT_EQ(installer.elementCount(), 5);
    EXPECT_EQ(installer.getElement(2).kind, 15);
}

TEST(PageElements, LongNamesAreCutAndTheOtherPagesElementsAreGone) {
    std::string name(150, 'n');
    WizardInstaller installer(
        page("Welcome", "", ("<HLine x=\"0\" y=\"0\" Name=\"" + name + "\"></HLine>").c_str()) +
        page("Empty"));
    WizardUI ui;
    installer.showDialog(0, &ui);
    ASSERT_EQ(installer.elementCount(), 1);
    EXPECT_EQ(std::string(installer.getElement(0).name), name.substr(0, 99));
    EXPECT_EQ(installer.getElement(0).kind, 12);
    installer.showDialog(1, &ui);
    EXPECT_EQ(installer.elementCount(), 0);
}
