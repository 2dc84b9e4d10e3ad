// The wizard's navigation, buttons and page elements, driven with a handler that records what
// the wizard asked of it.
#include "tests/support/TestInstaller.h"

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
        tested += std::string(name) + ",";
        return running.count(name) != 0 ? 1 : 0;
    }
    void markFailed() { failed_ = -1; }

    std::set<std::string> running;
    std::string tested;
};

// Keeps the button states, and logs what the wizard asked of the handler, one text per kind.
class WizardUI : public RecordingUI {
  public:
    int showPage(int page) override {
        log(shown, std::to_string(page));
        return log(pages, "show " + std::to_string(page));
    }
    int leavePage(int page) override { return log(pages, "leave " + std::to_string(page)); }
    int storeFields(int page) override { return log(pages, "store " + std::to_string(page)); }
    int confirmCancel() override { return confirm; }
    int setNextCaption(const char* text) override { return (next = text, 0); }
    int setCancelCaption(const char* text) override { return (cancel = text, 0); }
    int enableBack(int flag) override { return enable(0, "back", flag); }
    int enableNext(int flag) override { return enable(1, "next", flag); }
    int enableHelp(int flag) override { return enable(2, "help", flag); }
    int enableCancel(int flag) override { return enable(3, "cancel", flag); }
    int reportLine(int, int, const char* text, int, int) override { return log(reported, text); }

    // The captions, then Back, Next, Help and Cancel as 1 (enabled) or 0.
    std::string buttons() const { return next + "/" + cancel + " " + enabled; }

    std::string next = "Next", cancel = "Cancel", enabled = "1111";
    int confirm = 0;
    // "leave", "store" and "show" calls in order; the pages shown; the lines reported; the
    // buttons switched on or off.
    std::string pages, shown, reported, switches;

  private:
    static int log(std::string& to, const std::string& text) {
        to += text + ",";
        return 0;
    }
    int enable(int button, const char* name, int flag) {
        enabled[button] = (flag & 0xff) != 0 ? '1' : '0';
        return log(switches, std::string(name) + (enabled[button] == '1' ? " on" : " off"));
    }
};

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The log's text, leaving it empty for the next step.
std::string take(std::string& log) {
    std::string text;
    text.swap(log);
    return text;
}

std::string page(const char* name, const char* attributes = "", const std::string& body = "") {
    return std::string("<") + name + " " + attributes + ">" + body + "</" + name + ">";
}

// Kind, position, size, alignments, name and text of each element of the page shown.
std::vector<std::string> elementsOf(Installer& installer) {
    std::vector<std::string> elements;
    for (int i = 0; i < installer.elementCount(); ++i) {
        PageElement e = installer.getElement(i);
        char numbers[200];
        boundedFormat(numbers, sizeof numbers, "%d %d,%d %dx%d %d/%d ", e.kind, e.x, e.y, e.w, e.h,
                      e.horizontalAlignment, e.verticalAlignment);
        elements.push_back(numbers + std::string(e.name) + "|" + e.text);
    }
    return elements;
}
} // namespace

TEST(WizardNavigation, NextAndBackFollowConditionsAndStepOverSpecialPages) {
    WizardInstaller installer(page("Welcome") + page("Options", "Condition=\"[MODE]==2\"") +
                              page("Hidden", "Special=\"1\"") + page("Folder") + page("Finish"));
    installer.setVariable("MODE", "1");
    WizardUI ui;
    ASSERT_EQ(installer.showDialog(0, &ui), 0);
    take(ui.pages);
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    // Each showing leaves the old page, stores the new page's fields and shows it; Options is
    // shown, then passed over.
    EXPECT_EQ(take(ui.pages), "leave 0,store 1,show 1,leave 1,store 3,show 3,");
    EXPECT_EQ(installer.currentDialog(), 3);
    EXPECT_EQ(installer.previousDialog(&ui), 0);
    EXPECT_EQ(take(ui.pages), "leave 3,store 1,show 1,leave 1,store 0,show 0,");
    EXPECT_EQ(installer.currentDialog(), 0);

    installer.setVariable("MODE", "2");
    for (int expected : {1, 3, 4}) {
        EXPECT_EQ(installer.nextDialog(&ui), 0);
        EXPECT_EQ(installer.currentDialog(), expected);
    }
    EXPECT_EQ(installer.isFinished(), 0);
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.isFinished(), 1);
}

TEST(WizardNavigation, CancelNeedsConfirmationAndEveryStepNeedsAHandler) {
    WizardInstaller installer(page("Welcome") + page("Finish"));
    WizardUI ui;
    EXPECT_EQ(installer.showDialog(-1, &ui), -1);
    EXPECT_EQ(installer.showDialog(2, &ui), -1);
    EXPECT_EQ(installer.showDialog(1, nullptr), -1);
    EXPECT_EQ(ui.pages, "");
    EXPECT_EQ(installer.currentDialog(), 0);
    EXPECT_EQ(installer.nextDialog(nullptr), -1);
    EXPECT_EQ(installer.previousDialog(nullptr), -1);
    EXPECT_EQ(installer.cancelDialog(nullptr), -1);
    EXPECT_EQ(installer.isFinished(), 0);

    EXPECT_EQ(installer.cancelDialog(&ui), 0);
    EXPECT_EQ(installer.isCancelled(), 0);
    ui.confirm = 1;
    EXPECT_EQ(installer.cancelDialog(&ui), 0);
    EXPECT_EQ(installer.isCancelled(), 1);
}

TEST(WizardButtons, CaptionsAndStatesOfEachKindOfPage) {
    const std::string three = page("Welcome") + page("Folder") + page("Finish");
    const std::string inner =
        page("A", "Special=\"1\"") + page("B") + page("C") + page("D", "Special=\"2\"");
    const std::string license =
        page("Welcome") + page("License") + page("license") + page("Finish");
    struct Case {
        std::string dialogs;
        std::vector<int> shown;
        const char* buttons;
    };
    const Case cases[] = {
        {three, {0}, "Next/Cancel 0111"},
        {three, {1}, "Next/Cancel 1111"},
        {three, {2}, "Finish/Cancel 0100"},
        // The first and the last page are the first and last without "Special".
        {inner, {1}, "Next/Cancel 0111"},
        {inner, {2}, "Finish/Cancel 0100"},
        {page("Welcome"), {0}, "Finish/Cancel 0100"}, // one page: first and last at once
        {page("A", "Special=\"1\"") + page("B", "Special=\"1\""), {0}, "Finish/Cancel 0100"},
        // "License" changes the captions but leaves the states as the page before set them.
        {license, {3, 1}, "I agree/I disagree 0100"},
        {license, {2}, "Next/Cancel 1111"}, // the page type is matched exactly
        // As the first page, it still disables Back and enables Next.
        {page("License") + page("Finish"), {0}, "I agree/I disagree 0111"},
    };
    for (const Case& test : cases) {
        WizardInstaller installer(test.dialogs);
        WizardUI ui;
        ui.enabled = "1011"; // Next off: only the page can turn it on
        for (int shown : test.shown)
            installer.showDialog(shown, &ui);
        EXPECT_EQ(ui.buttons(), test.buttons) << test.dialogs << " " << test.shown.back();
    }
}

TEST(WizardFinish, AFailedRunShowsBadFinishOnlyWhenItFollowsAFinish) {
    WizardInstaller installer(page("Welcome") + page("Finish") +
                              page("BadFinish", "Special=\"1\"") + page("Extra", "Special=\"1\""));
    WizardUI ui;
    installer.showDialog(1, &ui);
    EXPECT_EQ(installer.currentDialog(), 1); // no failure: the special page is never reached
    installer.markFailed();
    installer.showDialog(1, &ui);
    EXPECT_EQ(installer.currentDialog(), 2);
    EXPECT_EQ(ui.next, "Finish");
    // Only special pages follow the substitute: Next there finishes.
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.isFinished(), 1);

    WizardInstaller apart(page("Finish") + page("Other", "Special=\"1\"") +
                          page("BadFinish", "Special=\"1\"") + page("Finish"));
    apart.markFailed();
    apart.showDialog(0, &ui);
    EXPECT_EQ(apart.currentDialog(), 0);
    apart.showDialog(3, &ui);
    EXPECT_EQ(apart.currentDialog(), 3);
}

TEST(WizardRunningApps, HoldsTheUserOnlyWhileAListedProgramRuns) {
    WizardInstaller installer(page("Welcome") +
                              page("RunningApps", "Condition=\"[CHECK]==1\"",
                                   "<TestApp>a.exe</TestApp><Text x=\"1\" y=\"1\">Close"
                                   "</Text><testapp>b.exe</testapp>") +
                              page("Finish"));
    WizardUI ui;
    installer.showDialog(0, &ui);
    // Passed over by its condition, the page holds nobody, whatever runs.
    installer.setVariable("CHECK", "0");
    installer.running = {"a.exe"};
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.currentDialog(), 2);

    // With nothing running it is shown and passed over at once, by Next and by Back.
    installer.setVariable("CHECK", "1");
    installer.running.clear();
    installer.showDialog(0, &ui);
    take(ui.shown);
    take(ui.reported);
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(take(ui.shown), "1,2,");
    EXPECT_EQ(installer.previousDialog(&ui), 0);
    EXPECT_EQ(installer.currentDialog(), 0);

    installer.running = {"a.exe", "b.exe"};
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.currentDialog(), 1);
    EXPECT_EQ(take(ui.reported), "a.exe,b.exe,");

    installer.running = {"a.exe"};
    installer.tested.clear();
    EXPECT_EQ(installer.nextDialog(&ui), -1);
    EXPECT_EQ(installer.currentDialog(), 1);
    // Both names are tested even though the first one runs; the page lists what still runs.
    EXPECT_EQ(installer.tested, "a.exe,b.exe,a.exe,b.exe,");
    EXPECT_EQ(take(ui.reported), "a.exe,");

    installer.running.clear();
    EXPECT_EQ(installer.nextDialog(&ui), 0);
    EXPECT_EQ(installer.currentDialog(), 2);
    EXPECT_EQ(ui.reported, "");
}

TEST(WizardEndlessSteps, BackFromTheFirstShowablePageStaysThere) {
    WizardInstaller installer(page("Intro", "Condition=\"[MODE]==2\"") +
                              page("RunningApps", "", "<TestApp>a.exe</TestApp>") + page("Folder") +
                              page("Finish"));
    installer.setVariable("MODE", "1");
    WizardUI ui;
    installer.showDialog(1, &ui); // attaches the page's check
    installer.showDialog(2, &ui);
    take(ui.shown);
    EXPECT_EQ(installer.previousDialog(&ui), 0);
    EXPECT_EQ(take(ui.shown), "1,0,2,");
    EXPECT_EQ(installer.currentDialog(), 2);
    // On the first page itself, Back shows it again and stays.
    installer.showDialog(0, &ui);
    take(ui.shown);
    EXPECT_EQ(installer.previousDialog(&ui), 0);
    EXPECT_EQ(take(ui.shown), "0,");
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
    take(ui.shown);
    EXPECT_EQ(installer.previousDialog(&ui), 0);
    EXPECT_EQ(take(ui.shown), "2,0,");
    EXPECT_EQ(installer.currentDialog(), 0);
}

TEST(WizardEndlessSteps, NextFinishesWhenNoLaterPageCanBeShown) {
    const std::string wizards[] = {
        page("A") + page("B", "Condition=\"[MODE]==2\"") + page("C", "Condition=\"[MODE]==2\""),
        page("A", "Special=\"1\"") + page("B", "Special=\"1\""), page("Welcome")};
    for (const std::string& dialogs : wizards) {
        WizardInstaller installer(dialogs);
        installer.setVariable("MODE", "1");
        WizardUI ui;
        installer.showDialog(0, &ui);
        EXPECT_EQ(installer.nextDialog(&ui), 0) << dialogs;
        EXPECT_EQ(installer.isFinished(), 1) << dialogs;
    }
}

TEST(WizardCopyProgress, RunsOnceAndShowsItsResultWhenShownAgain) {
    WizardInstaller installer(page("Welcome") + page("CopyProgress") + page("Folder") +
                              page("Finish"));
    WizardUI ui;
    installer.showDialog(0, &ui);
    ui.switches.clear();
    installer.nextDialog(&ui);
    ASSERT_EQ(installer.currentDialog(), 1);
    // All four buttons are off while the run works, then Help, Next and Cancel come back.
    const std::string result = "back off,next on,help on,cancel on,";
    EXPECT_TRUE(endsWith(ui.switches, "back off,next off,help off,cancel off," + result))
        << ui.switches;
    int failed = installer.hasFailed();

    installer.nextDialog(&ui);
    EXPECT_EQ(installer.currentDialog(), 2);
    ui.switches.clear();
    installer.previousDialog(&ui);
    EXPECT_EQ(installer.currentDialog(), 1);
    EXPECT_TRUE(endsWith(ui.switches, result)) << ui.switches;
    EXPECT_EQ(ui.switches.find("next off"), std::string::npos) << ui.switches;
    EXPECT_EQ(installer.hasFailed(), failed);
}

TEST(PageElements, ReadsTheElementsOfThePageShown) {
    std::string longName(150, 'n');
    WizardInstaller installer(
        page("Welcome", "",
             "<text x=\"1\" y=\"2\" w=\"3\" h=\"4\" HAlign=\"RIGHT\" VAlign=\"bottom\" "
             "Name=\"Title\">One\\nTwo\\\\n</text>"
             "<Image x=\"5\" y=\"6\">WelcomeLImg</Image>"
             "<HLine x=\"1\">dropped: no y</HLine>"
             "<Progress y=\"1\">dropped: no x</Progress>"
             "<List x=\"7\" y=\"8\" Condition=\"[MODE]==2\">only in mode 2</List>"
             "<RichEditText x=\"9\" y=\"10\" HAlign=\"center\" VAlign=\"middle\">LicenseText"
             "</RichEditText>"
             "<TestApp x=\"1\" y=\"1\">not an element</TestApp>"
             "<Progress x=\"0\" y=\"0\" HAlign=\"left\" VAlign=\"TOP\" Name=\"Overall\"></Progress>"
             "<HLine x=\"0\" y=\"0\" Name=\"" +
                 longName + "\"></HLine>") +
        page("Empty"));
    installer.setVariable("MODE", "1");
    WizardUI ui;
    installer.showDialog(0, &ui);
    EXPECT_EQ(elementsOf(installer),
              (std::vector<std::string>{
                  "10 1,2 3x4 23/24 Title|One\r\nTwo\\\r\n", "11 5,6 0x0 0/0 |WelcomeLImg",
                  "13 9,10 0x0 22/0 |LicenseText", "14 0,0 0x0 20/21 Overall|",
                  "12 0,0 0x0 0/0 " + longName.substr(0, 99) + "|"}));
    PageElement outside = installer.getElement(5);
    EXPECT_EQ(outside.kind, 0);
    EXPECT_EQ(outside.text, nullptr);

    // The list is rebuilt on every showing, with the conditions as they are then.
    installer.setVariable("MODE", "2");
    installer.showDialog(0, &ui);
    ASSERT_EQ(installer.elementCount(), 6);
    EXPECT_EQ(installer.getElement(2).kind, 15);
    installer.showDialog(1, &ui);
    EXPECT_EQ(installer.elementCount(), 0);
}
