// A wizard with its own description, variables, steps and system, for the wizard's and the
// console's tests. MODE is 1, "held.exe" and "also.exe" run; the run of "CopyProgress" ends as
// `result` says: 0 completed, -1 failed, 1 cancelled by the user.
#pragma once

#include "config/PageList.h"
#include "config/VariableStore.h"
#include "config/XmlDocument.h"
#include "tests/support/RecordingSystem.h"
#include "ui/Wizard.h"
#include "ui/WizardSteps.h"

#include <functional>
#include <string>

struct WizardParts : WizardSteps {
    bool runCopyProgress(InstallerUI& ui, bool* cancelled) override {
        ++runs;
        if (duringRun)
            duringRun(ui);
        *cancelled = result == 1;
        return *cancelled || result == 0;
    }
    void runPostInstall(InstallerUI&) override { ++postInstalls; }
    void showHelpDocument() override {}
    bool hasHelpDocument() const override { return hasHelp; }
    bool keepsDestinationWhole(const char*, const char*) override { return true; }
    bool isUninstalling() const override { return uninstalling; }
    XmlDocument document;
    PageList pages;
    VariableStore variables;
    RecordingSystem system;
    int result = 0, runs = 0, postInstalls = 0;
    bool hasHelp = true, uninstalling = false;
    std::function<void(InstallerUI&)> duringRun;
};

class TestWizard : public WizardParts, public Wizard {
  public:
    explicit TestWizard(const std::string& dialogs, int copyResult = 0)
        : Wizard(pages, document, variables, *this, system) {
        document.parse(("<Dialogs>" + dialogs + "</Dialogs>").c_str());
        pages.readDialogs(document, 0, nullptr);
        pages.readFields(document, 0, nullptr);
        variables.set("MODE", "1");
        system.runningPrograms = {"held.exe", "also.exe"};
        result = copyResult;
    }
};
