// Everything the engine shows or asks goes through this handler. The order of the
// operations is fixed; every caller passes 0 for the unused integers.
#pragma once

class InstallerUI {
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
};
