// The wizard over pages read from a small description; the handler keeps captions, button states
// and the pages shown.
#include "package/BoundedText.h"
#include "tests/native/ui/TestWizard.h"
#include "tests/support/RecordingUI.h"

#include <gtest/gtest.h>

namespace {
class WizardUI : public RecordingUI {
  public:
    void showPage(int page) override { shown += std::to_string(page) + ","; }
    void setNextCaption(const char* text) override { next = text; }
    void setCancelCaption(const char* text) override { cancel = text; }
    void enableBack(bool on) override { enable(0, on); }
    void enableNext(bool on) override { enable(1, on); }
    void enableHelp(bool on) override { enable(2, on); }
    void enableCancel(bool on) override { enable(3, on); }
    void enable(int button, bool on) { enabled[button] = on ? '1' : '0'; }
    // The captions, then Back, Next, Help and Cancel as 1 (enabled) or 0.
    std::string buttons() const { return next + "/" + cancel + " " + enabled; }
    // Next starts off: only the page can turn it on.
    std::string next = "Next", cancel = "Cancel", enabled = "1011", shown;
};

// One word a page; "*" special, "?" the condition [MODE]==2, "!" lists the running "held.exe",
// "~" the idle "idle.exe". The first page holds `body`.
std::string pagesOf(const std::string& words, std::string body = "") {
    std::istringstream in(words);
    std::string xml;
    for (std::string word; in >> word;) {
        std::string name = word.substr(0, word.find_first_of("*?!~"));
        auto has = [&word](char mark) { return word.find(mark) != std::string::npos; };
        xml += "<" + name + (has('*') ? " Special=\"1\"" : "") +
               (has('?') ? " Condition=\"[MODE]==2\">" : ">") +
               (has('!') ? "<TestApp>held.exe</TestApp>" : "") +
               (has('~') ? "<TestApp>idle.exe</TestApp>" : "") + std::exchange(body, "") + "</" +
               name + ">";
    }
    return xml;
}

struct Step {
    const char* pages;
    int result;
    std::vector<int> visits;
    char step; // 'n' Next, 'b' Back, ' ' none
    const char* after;
};

// Shows `visits`, takes the step: the pages shown, "held" when Next was refused, "end" ("+post":
// the post-install programs started) when it finished, where it stands and the buttons.
std::string stepped(const Step& test) {
    TestWizard wizard(pagesOf(test.pages), test.result);
    WizardUI ui;
    for (int visit : test.visits)
        wizard.showDialog(visit, &ui);
    ui.shown.clear();
    bool moved = true;
    if (test.step == 'n')
        moved = wizard.nextDialog(&ui);
    else if (test.step == 'b')
        wizard.previousDialog(&ui);
    return ui.shown + (moved ? "" : "held") + (wizard.isFinished() ? "end" : "") +
           (wizard.postInstalls != 0 ? "+post" : "") + " at " +
           std::to_string(wizard.currentDialog()) + " " + ui.buttons();
}
} // namespace

// Next and Back step over passed-over and special pages; Next finishes and Back stays when no
// other page can be shown; each kind of page sets its captions and button states.
TEST(WizardNavigation, StepsOverPassedOverAndSpecialPagesAndSetsTheButtons) {
    const char* five = "Welcome Options? Hidden* Folder Finish";
    const Step steps[] = {
        {five, 0, {0}, 'n', "1,3, at 3 &Next >/&Cancel 1111"},
        {five, 0, {3}, 'b', "1,0, at 0 &Next >/&Cancel 0111"},
        {five, 0, {4}, 'n', "end+post at 4 &Finish/Cancel 0100"},
        // A RunningApps page with nothing running is shown and passed over at once.
        {"A RunningApps~ B", 0, {0}, 'n', "1,2, at 2 &Finish/&Cancel 0100"},
        // A failed run shows the BadFinish right behind the Finish page instead.
        {"CopyProgress Finish BadFinish*", 0, {0, 1}, ' ', " at 1 &Finish/&Cancel 0100"},
        {"CopyProgress Finish BadFinish*", -1, {0, 1}, ' ', " at 2 &Finish/&Cancel 0100"},
        {"CopyProgress Finish X* BadFinish*", -1, {0, 1}, ' ', " at 1 &Finish/&Cancel 0100"},
        {"CopyProgress BadFinish* Finish", -1, {0, 2}, ' ', " at 2 &Finish/&Cancel 0100"},
        {"A B? C?", 0, {0}, 'n', "1,2,end+post at 2 &Finish/&Cancel 0100"},
        {"A* B*", 0, {0}, 'n', "end+post at 0 &Finish/Cancel 0100"},
        // After a failed run only special pages follow its BadFinish; nothing is started.
        {"CopyProgress Finish BadFinish* Extra*", -1, {0, 1}, 'n', "end at 2 &Finish/&Cancel 0100"},
        {"A? RunningApps~ B C", 0, {2}, 'b', "1,0,2, at 2 &Next >/&Cancel 1111"},
        {"A B C", 0, {0}, 'b', "0, at 0 &Next >/&Cancel 0111"},
        // Back onto a Finish page whose BadFinish is passed over goes further back; after the
        // run Cancel stays off.
        {"CopyProgress Finish BadFinish*? More End",
         -1,
         {0, 3},
         'b',
         "2,0, at 0 &Next >/&Cancel 0110"},
        // A RunningApps page passed over by its condition does not hold the user; shown, it
        // does while its program runs, and Next says so.
        {"A RunningApps?! B", 0, {0}, 'n', "1,2, at 2 &Finish/&Cancel 0100"},
        {"A RunningApps! B", 0, {1}, 'n', "1,held at 1 &Next >/&Cancel 1111"},
        // The first and the last page are the first and last without "Special".
        {"A* B C D*", 0, {1}, ' ', " at 1 &Next >/&Cancel 0111"},
        {"A* B C D*", 0, {2}, ' ', " at 2 &Finish/Cancel 0100"},
        // "License" changes the captions; its states do not depend on the page before...
        {"Welcome License license Finish", 0, {3, 1}, ' ', " at 1 I &agree/I &disagree 1111"},
        {"Welcome License license Finish", 0, {2}, ' ', " at 2 &Next >/&Cancel 1111"},
        // ...and as the first page it disables Back.
        {"License Finish", 0, {0}, ' ', " at 0 I &agree/I &disagree 0111"},
    };
    for (const Step& test : steps)
        EXPECT_EQ(stepped(test), test.after) << test.pages << " " << test.step;
}

// The post-install programs belong to the installation: an uninstall's Finish starts none.
TEST(WizardNavigation, AnUninstallsFinishStartsNoPostInstallProgram) {
    for (bool uninstalling : {false, true}) {
        TestWizard wizard(pagesOf("Welcome Finish"));
        wizard.uninstalling = uninstalling;
        WizardUI ui;
        wizard.showDialog(1, &ui);
        wizard.nextDialog(&ui);
        EXPECT_TRUE(wizard.isFinished());
        EXPECT_EQ(wizard.postInstalls, uninstalling ? 0 : 1) << uninstalling;
    }
}

// Every step works without a handler to show it.
TEST(WizardNavigation, EveryStepWorksWithoutAHandler) {
    TestWizard wizard(pagesOf("Welcome Folder Finish"));
    WizardUI ui;
    wizard.showDialog(-1, &ui);
    wizard.showDialog(3, &ui);
    wizard.showDialog(1, nullptr);
    wizard.previousDialog(nullptr);
    wizard.cancelDialog(nullptr);
    EXPECT_FALSE(wizard.nextDialog(nullptr));
    EXPECT_EQ(ui.shown + std::to_string(wizard.currentDialog()), "-1");
    EXPECT_FALSE(wizard.isCancelled());
}

TEST(WizardCopyProgress, RunsOncePerProcessAndShowsItsResultWhenShownAgain) {
    TestWizard wizard(pagesOf("Welcome CopyProgress Folder Finish"), -1);
    WizardUI ui;
    std::string buttonsWhileRunning;
    wizard.duringRun = [&](InstallerUI&) { buttonsWhileRunning = ui.buttons(); };
    wizard.showDialog(0, &ui);
    wizard.nextDialog(&ui);
    wizard.nextDialog(&ui);
    wizard.previousDialog(&ui);
    EXPECT_EQ(wizard.currentDialog(), 1);
    EXPECT_EQ(wizard.runs, 1);
    EXPECT_TRUE(wizard.hasFailed());
    // Every button is off while the run works; after it, Back and Cancel stay off, also on the
    // pages that follow: the run cannot be cancelled any more.
    EXPECT_EQ(buttonsWhileRunning, "&Next >/&Cancel 0000");
    EXPECT_EQ(ui.buttons(), "&Next >/&Cancel 0110");
    wizard.nextDialog(&ui);
    EXPECT_EQ(ui.buttons(), "&Next >/&Cancel 1110");
}

// Closing the window cancels before the run and ends the wizard after it or on its last page;
// the post-install programs start only from Finish.
TEST(WizardNavigation, ClosingCancelsBeforeTheRunAndFinishesAfterIt) {
    const struct {
        const char* pages;
        std::vector<int> visits;
        const char* outcome;
    } cases[] = {
        {"Welcome CopyProgress More Finish", {0, 1}, "finished"},
        {"Welcome Finish", {1}, "finished"},
    };
    for (const auto& test : cases) {
        TestWizard wizard(pagesOf(test.pages));
        WizardUI ui;
        for (int visit : test.visits)
            wizard.showDialog(visit, &ui);
        wizard.closeWindow();
        std::string outcome = wizard.isCancelled() ? "cancelled" : "";
        outcome += wizard.isFinished() ? "finished" : "";
        EXPECT_EQ(outcome, test.outcome) << test.pages << " " << test.visits.size();
        EXPECT_EQ(wizard.postInstalls, 0);
    }
}

TEST(PageElements, ReadsTheElementsOfThePageShownUnderTheConditionsOfThatMoment) {
    std::string longName(150, 'n');
    TestWizard wizard(
        pagesOf("Welcome Empty",
                "<text x=\"1\" y=\"2\" w=\"3\" h=\"4\" HAlign=\"RIGHT\" VAlign=\"bottom\" "
                "Name=\"Title\">One\\nTwo\\\\n</text><HLine x=\"1\">no y</HLine>"
                "<List x=\"7\" y=\"8\" Condition=\"[MODE]==2\">in mode 2</List>"
                "<RichEditText x=\"9\" y=\"10\" HAlign=\"center\" VAlign=\"middle\">Licence"
                "</RichEditText><TestApp x=\"1\" y=\"1\">not an element</TestApp>"
                "<Progress x=\"0\" y=\"0\" HAlign=\"left\" VAlign=\"TOP\" Name=\"" +
                    longName + "\"></Progress>"));
    WizardUI ui;
    wizard.showDialog(0, &ui);
    std::vector<std::string> elements;
    for (int i = 0; i <= wizard.elementCount(); ++i) {
        PageElement e = wizard.getElement(i);
        char numbers[100];
        boundedFormat(numbers, sizeof numbers, "%d %d,%d %dx%d %d/%d ", static_cast<int>(e.kind),
                      e.x, e.y, e.w, e.h, static_cast<int>(e.horizontalAlignment),
                      static_cast<int>(e.verticalAlignment));
        elements.push_back(numbers + std::string(e.name) + "|" + (e.text ? e.text : "-"));
    }
    EXPECT_EQ(elements, (std::vector<std::string>{
                            "10 1,2 3x4 23/24 Title|One\r\nTwo\\\r\n", "13 9,10 0x0 22/0 |Licence",
                            "14 0,0 0x0 20/21 " + longName.substr(0, 99) + "|",
                            "0 0,0 0x0 0/0 |-"})); // outside the list
    // Rebuilt on every showing, under the conditions of that moment.
    wizard.setVariable("MODE", "2");
    wizard.showDialog(0, &ui);
    EXPECT_EQ(wizard.getElement(1).kind, PageElement::Kind::kList);
    EXPECT_EQ(wizard.elementCount(), 4);
    wizard.showDialog(1, &ui);
    EXPECT_EQ(wizard.elementCount(), 0);
}
