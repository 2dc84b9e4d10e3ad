// The wizard: the pages of the description with their buttons and elements, the pages with a
// meaning of their own ("License", "Finish" / "BadFinish", "CopyProgress", "RunningApps"), and
// Back, Next and Cancel. This is the object the UI handlers drive; its operations keep the
// handler interface's order.
#pragma once

#include "package/RecordList.h"
#include "ui/PageElement.h"
#include "ui/RunningAppsCheck.h"

#include <set>

#include "config/DialogInfo.h"
#include "config/FieldInfo.h"
#include "config/VariableStore.h"

class InstallerUI;
class PageList;
class SystemChanges;
class WizardSteps;
class XmlDocument;

class Wizard {
  public:
    Wizard(PageList& pages, const XmlDocument& description, VariableStore& variables,
           WizardSteps& steps, SystemChanges& system);
    ~Wizard();
    Wizard(const Wizard&) = delete;
    Wizard& operator=(const Wizard&) = delete;

    DialogInfo getDialog(int index) const;
    int dialogCount() const;
    int currentDialog() const { return currentDialog_; }
    PageElement getElement(int index) const;
    int elementCount() const { return elements_.count(); }
    FieldInfo getField(int index) const;
    int fieldCount() const;
    bool isCancelled() const { return cancelled_; }
    bool isFinished() const { return finished_; }
    int getVariable(const char* name, char* out, int size) const;
    VariableStore::SetResult setVariable(const char* name, const char* value);
    void showHelpDocument();
    // Without a handler the navigation does nothing.
    void previousDialog(InstallerUI* ui);
    // False when the wizard stays where it is: no handler, or the page holds the user.
    bool nextDialog(InstallerUI* ui);
    void cancelDialog(InstallerUI* ui);
    // Shows nothing for a page that is not there.
    void showDialog(int index, InstallerUI* ui);

    // The window's close box. Before the run of the "CopyProgress" page it cancels; once the run
    // has ended, or on the last page, it ends the wizard as Finish does, without the
    // post-install actions. The window ignores it while a run goes on.
    void closeWindow();
    // Whether the description names a help document for the Help button.
    bool hasHelpDocument() const;
    bool isUninstalling() const;
    // Whether every file the installation places below `folder`, given to `variable`, has a
    // destination the installation keeps whole.
    bool keepsDestinationWhole(const char* variable, const char* folder);

    // The run of the "CopyProgress" page failed (or was undone).
    bool hasFailed() const { return failed_; }
    // The run of the "CopyProgress" page has ended.
    bool hasRun() const { return copyProgressDone_; }
    // Puts the wizard on its first page before the handler runs.
    void start() { currentDialog_ = 0; }
    // The first and the last page that Back and Next can reach (special flag 0), or -1.
    int firstDialog() const;
    int lastDialog() const;

  private:
    void releasePageElements();
    void readPageElements(int page);
    void setWizardButtons(int index, InstallerUI* ui);
    void runCopyProgress(InstallerUI* ui);
    void attachRunningAppsCheck(int page, InstallerUI* ui);
    // True when the page is passed over: its condition does not hold, or its check lets the
    // user through without stopping.
    bool isPassedOver(int index, InstallerUI* ui);
    bool isWizardEnd(int index, int last) const;
    int searchForward(int from) const;
    int searchBackward(int from) const;
    bool isNamed(int index, const char* name) const;
    // The check the page holds the user with, or null.
    PageCheck* checkOf(int page);

    PageList& pages_;
    const XmlDocument& description_;
    VariableStore& variables_;
    WizardSteps& steps_;
    RunningAppsCheck runningApps_;
    // The pages that hold the user while a listed program runs.
    std::set<int> checkedPages_;
    RecordList<PageElement> elements_;
    int currentDialog_ = -1;
    bool cancelled_ = false;
    bool finished_ = false;
    bool failed_ = false;
    // The "CopyProgress" page runs the installation or the uninstall once per process.
    bool copyProgressDone_ = false;
};
