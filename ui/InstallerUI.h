// The wizard's handler: its window or console dialogue, pages, buttons and fields. The runs
// below the wizard see it only as a RunReporter.
// What only acts returns nothing; what a caller decides on returns true for success or "go on".
#pragma once

#include "package/RunReporter.h"

class InstallerUI : public RunReporter {
  public:
    virtual ~InstallerUI() = default;
    // False when the handler could not run the wizard at all (no wizard, no window).
    virtual bool run() = 0;
    virtual void finish() = 0;
    virtual void showFields(int page) = 0;
    virtual void showPage(int page) = 0;
    virtual void storeFields(int page) = 0;
    virtual void leavePage(int page) = 0;
    // True when the user confirms the cancel.
    virtual bool confirmCancel() = 0;
    virtual void setHelpCaption(const char* text) = 0;
    virtual void setBackCaption(const char* text) = 0;
    virtual void setNextCaption(const char* text) = 0;
    virtual void setCancelCaption(const char* text) = 0;
    virtual void enableHelp(bool enabled) = 0;
    virtual void enableBack(bool enabled) = 0;
    virtual void enableNext(bool enabled) = 0;
    virtual void enableCancel(bool enabled) = 0;
    virtual void showHelp(bool shown) = 0;
    virtual void showBack(bool shown) = 0;
    virtual void showNext(bool shown) = 0;
    virtual void showCancel(bool shown) = 0;
    virtual void setOverallProgress(int percent) = 0;
    virtual void setCurrentProgress(int percent) = 0;
    virtual void setStatusText(const char* text) = 0;
    // Lets the window answer its messages; true while the run may go on.
    virtual bool processEvents() = 0;
    // One line of the run's report; true while the run may go on.
    virtual bool reportLine(const char* text) = 0;
    // True for OK or Yes (a notice has only OK).
    virtual bool ask(const char* text, Question kind) = 0;

    // What the runs below the wizard see of the handler.
    bool report(const char* text) final { return !reportLine(text); }
    bool confirm(const char* text, Question kind) final { return ask(text, kind); }
    void showStatus(const char* text) final { setStatusText(text); }
    void showProgress(int percent) final { setOverallProgress(percent); }
    bool keepResponsive() final { return !processEvents(); }
};
