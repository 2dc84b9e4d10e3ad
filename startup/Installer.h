// The installer of one process: the composition of its parts. It owns the package, the
// variables, the description with its file and page lists and the wizard, hands each part
// the others it needs, and runs the loading sequence that ends in the UI handler's loop. The
// system side is given to it, so that tests compose it over a recording one.
#pragma once

#include "config/Description.h"
#include "config/FileList.h"
#include "config/PageList.h"
#include "config/VariableStore.h"
#include "package/BoundedText.h"
#include "package/Payload.h"
#include "ui/Wizard.h"
#include "ui/WizardSteps.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>

class InstallerUI;
class Log;
class SystemChanges;
class Transcript;

class Installer : private WizardSteps {
  public:
    explicit Installer(SystemChanges& system);
    ~Installer() override;
    Installer(const Installer&) = delete;
    Installer& operator=(const Installer&) = delete;

    // An installation reads its package; an uninstall reads the action log instead, whose
    // first line names the saved description. A payload code (0 for success).
    int openPayload(const char* path, uint32_t offset, int uninstall);
    // The registration an uninstall removes once it has undone everything; null: none.
    void setRegistrationName(const char* name) { registrationName_ = name; }
    // Called once an uninstall is complete but for the uninstaller program that waits for it.
    void setOutcomeTeller(std::function<void()> tell) { tellOutcome_ = std::move(tell); }
    // Where the run's report lines and questions are also kept (-log); null: nowhere.
    void setTranscript(Transcript* transcript) { transcript_ = transcript; }
    void closePayload();
    // Reads the description and its file sets, pages and fields, and sets the defaults (then
    // the configuration file's, when one is named): false when any of it fails (failure() says
    // why, unless the handler has told the user already).
    bool prepareWizard(InstallerUI* ui, Log* log, const char* configFile);
    // Runs the handler's loop from the first page: false when the handler could not run it.
    bool runWizard(InstallerUI& ui);
    // Undoes an interrupted installation of the package's product, if there is one: 0, or -1 when
    // the description cannot be read or something of that run remains.
    int recoverInterruptedRun(InstallerUI& ui, Log* log);
    // Opens the pictures and texts the uninstall wizard shows: the payload an uninstaller
    // program carries (the action log stays what the uninstall reads). A payload code.
    int openUninstallResources(const char* path, uint32_t offset) {
        return payload_.open(path, offset);
    }
    // Why an uninstall refuses an action log, backup file or saved description: others than
    // the administrators may change it, and it drives what an administrator's uninstall
    // deletes, writes back and starts.
    static std::string undoDataRefusal(const char* path);
    // Why loading failed, for the user; empty when the handler has told them already.
    const char* failure() const { return failure_; }

    Wizard& wizard() { return wizard_; }
    const Payload& payload() const { return payload_; }
    const Description& description() const { return description_; }
    const FileList& files() const { return files_; }
    bool isUninstalling() const override { return actionLogFile_ != nullptr; }

  private:
    bool runCopyProgress(InstallerUI& ui, bool* cancelled) override;
    void runPostInstall(InstallerUI& ui) override;
    void showHelpDocument() override;
    bool hasHelpDocument() const override;
    bool keepsDestinationWhole(const char* variable, const char* folder) override;

    bool fail(Log* log, const char* format, ...) KESTREL_PRINTF(3, 4);
    bool readDescription(Log* log);
    // The file sets, pages and fields of the description.
    bool readWizard(Log* log);
    bool setDefaults(InstallerUI* ui, Log* log, const char* configFile);
    bool readDescriptionFromPayload(Log* log);
    bool readDescriptionFromActionLog(Log* log);

    SystemChanges& system_;
    Payload payload_;
    VariableStore variables_;
    Description description_{variables_};
    FileList files_;
    PageList pages_;
    Wizard wizard_;
    std::FILE* actionLogFile_ = nullptr;
    const char* registrationName_ = nullptr;
    std::function<void()> tellOutcome_;
    Transcript* transcript_ = nullptr;
    Log* debugLog_ = nullptr;
    char failure_[512] = {};
};
