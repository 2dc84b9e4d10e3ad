// The graphical wizard's handler. The window itself is still to come: until then `run` ends
// at once without finishing the wizard, and questions are asked in message boxes.
#pragma once

#include "ui/InstallerUI.h"

class Wizard;

class WindowUI : public InstallerUI {
  public:
    void setWizard(Wizard* wizard) { wizard_ = wizard; }

    int run() override;
    int finish() override { return 0; }
    int showFields(int) override { return 0; }
    int showPage(int) override { return 0; }
    int storeFields(int) override { return wizard_ == nullptr ? -1 : 0; }
    int leavePage(int) override { return 0; }
    int confirmCancel() override;
    int setHelpCaption(const char*) override { return 0; }
    int setBackCaption(const char*) override { return 0; }
    int setNextCaption(const char*) override { return 0; }
    int setCancelCaption(const char*) override { return 0; }
    int enableHelp(int) override { return 0; }
    int enableBack(int) override { return 0; }
    int enableNext(int) override { return 0; }
    int enableCancel(int) override { return 0; }
    int showHelp(int) override { return -1; }
    int showBack(int) override { return -1; }
    int showNext(int) override { return -1; }
    int showCancel(int) override { return -1; }
    int setOverallProgress(int) override { return -1; }
    int setCurrentProgress(int) override { return -1; }
    int setStatusText(const char*) override { return 0; }
    int processEvents(int, int, int, int) override { return 0; }
    int reportLine(int, int, const char*, int, int) override { return 0; }
    int ask(const char* text, int kind) override;

  private:
    Wizard* wizard_ = nullptr;
};
