// What the wizard asks of the rest of the installer at its pages with a meaning of their own:
// the run of the "CopyProgress" page, the post-install actions after the last page and the
// help document.
#pragma once

class InstallerUI;

class WizardSteps {
  public:
    virtual ~WizardSteps() = default;
    // The installation (or, for an uninstall, the uninstall): true when it completed, false when
    // it failed or was undone; `cancelled` is set when the user aborted before anything changed.
    virtual bool runCopyProgress(InstallerUI& ui, bool* cancelled) = 0;
    virtual void runPostInstall(InstallerUI& ui) = 0;
    virtual void showHelpDocument() = 0;
    virtual bool hasHelpDocument() const = 0;
    // Whether every file placed below the folder (the value of the variable) keeps a whole
    // destination path.
    virtual bool keepsDestinationWhole(const char* variable, const char* folder) = 0;
    virtual bool isUninstalling() const = 0;
};
