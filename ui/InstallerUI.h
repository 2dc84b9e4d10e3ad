// The wizard's handler: its window or console dialogue, pages, buttons and fields. The runs
// below the wizard see it only as a RunReporter; every caller passes 0 for the unused integers.
#pragma once

#include "package/RunReporter.h"

class InstallerUI : public RunReporter {
  public:
    static constexpr int kAskOkCancel = 0;
    static constexpr int kAskNotice = 1;
    static constexpr int kAskYesNo = 2;

    virtual ~InstallerUI() = default;
    virtual int run() = 0;
    virtual int finish() = 0;
    virtual int showFields(int page) = 0;
    virtual int showPage(int page) = 0;
    virtual int storeFields(int page) = 0;
    virtual int leavePage(int page) = 0;
    virtual int confirmCancel() = 0;
    virtual int setHelpCaption(const char* text) = 0;
    virtual int setBackCaption(const char* text) = 0;
    virtual int setNextCaption(const char* text) = 0;
    virtual int setCancelCaption(const char* text) = 0;
    virtual int enableHelp(int flag) = 0;
    virtual int enableBack(int flag) = 0;
    virtual int enableNext(int flag) = 0;
    virtual int enableCancel(int flag) = 0;
    virtual int showHelp(int flag) = 0;
    virtual int showBack(int flag) = 0;
    virtual int showNext(int flag) = 0;
    virtual int showCancel(int flag) = 0;
    virtual int setOverallProgress(int percent) = 0;
    virtual int setCurrentProgress(int percent) = 0;
    virtual int setStatusText(const char* text) = 0;
    virtual int processEvents(int a, int b, int c, int d) = 0;
    virtual int reportLine(int a, int b, const char* text, int c, int d) = 0;
    virtual int ask(const char* text, int kind) = 0;

    // What the runs below the wizard see of the handler.
    bool report(const char* text) final { return reportLine(0, 0, text, 0, 0) != 0; }
    bool confirm(const char* text, Question kind) final {
        return ask(text, kind == Question::kYesNo    ? kAskYesNo
                         : kind == Question::kNotice ? kAskNotice
                                                     : kAskOkCancel) == 1;
    }
    void showStatus(const char* text) final { setStatusText(text); }
    void showProgress(int percent) final { setOverallProgress(percent); }
    bool keepResponsive() final { return processEvents(0, 0, 0, 0) != 0; }
};
