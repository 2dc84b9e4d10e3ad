// The installer object of a run: it owns the payload, the parsed description and every list
// read from it, and reaches every system change through its virtual operations, whose order
// is fixed. The platform-neutral base lives here; WindowsInstaller implements the system side.
// The operations are implemented in the folder of the concern they belong to.
#pragma once

#include "config/DialogInfo.h"
#include "config/FieldInfo.h"
#include "config/FileInfo.h"
#include "config/FileSetInfo.h"
#include "config/VariableStore.h"
#include "config/XmlDocument.h"
#include "package/PayloadEntry.h"
#include "package/RecordList.h"
#include "startup/Log.h"
#include "ui/PageElement.h"

#include <cstdint>
#include <cstdio>

class EntryNameIndex;
class ActionLog;
class InstallerUI;

class Installer {
    // The run opens the installer's action log and, for a rollback, its action-log stream.
    friend class InstallationRun;

  public:
    Installer();
    virtual ~Installer();
    Installer(const Installer&) = delete;
    Installer& operator=(const Installer&) = delete;

    virtual int getProductName(char* out, int size);
    virtual int getMajorVersion(char* out, int size);
    virtual int getVersionString(char* out, int size);
    virtual int getWebsite(char* out, int size);
    virtual int getSupportEmail(char* out, int size);
    virtual unsigned char* loadAppIcon();
    virtual int getInstallLogFile(char* out, int size);
    virtual int getInstallBackupFile(char* out, int size);
    virtual int getUninstallCmd(char* out, int size);
    virtual int getUninstallXmlFile(char* out, int size);
    virtual int makeTempFileName(char* out, int size);
    virtual int getHelpUrl(char* out, int size);
    virtual unsigned char* loadEntry(const char* name, uint32_t* length);
    virtual DialogInfo getDialog(int index);
    virtual int dialogCount();
    virtual int currentDialog();
    virtual PageElement getElement(int index);
    virtual int elementCount();
    virtual FieldInfo getField(int index);
    virtual int fieldCount();
    virtual int isCancelled();
    virtual int isFinished();
    virtual int getVariable(const char* name, char* out, int size);
    virtual int setVariable(const char* name, const char* value);
    virtual int showHelpDocument(int unused);
    virtual int previousDialog(InstallerUI* ui);
    virtual int nextDialog(InstallerUI* ui);
    virtual int cancelDialog(InstallerUI* ui);
    virtual int showDialog(int index, InstallerUI* ui);
    virtual int isPreviousVersionInstalled();
    virtual int uninstallPreviousVersion();
    virtual int registerUninstall();
    virtual int isAppRunning(const char* moduleName) = 0;
    virtual int changeEnvironment(const char* name, const char* value, int mode, char* record,
                                  int capacity, InstallerUI* ui, int isPath) = 0;
    virtual int undoEnvironmentChange(const char* record, InstallerUI* ui) = 0;
    virtual int broadcastEnvironmentChange() = 0;
    virtual int changeIniFile(const char* file, const char* section, const char* key,
                              const char* value, int mode, char* record, int capacity,
                              InstallerUI* ui, int isPath, const char* beforeKey) = 0;
    virtual int undoIniChange(const char* record, InstallerUI* ui) = 0;
    virtual int createShortcut(int kind, const char* path, const char* target,
                               const char* description, const char* arguments,
                               const char* workingFolder, char* record, int capacity,
                               InstallerUI* ui) = 0;
    virtual int undoShortcut(const char* record, InstallerUI* ui) = 0;
    virtual int launch(const char* file, int asDocument, const char* arguments) = 0;
    virtual int getConfigFile(char* out, int size) = 0;
    virtual void fileWritten(const char* destination, const FileInfo& info);

    // The package (implemented in package/InstallerPayload.cpp).
    int openPayload(const char* path, uint32_t offset, int uninstall);
    int closePayload();
    int findEntry(const char* name) const;
    int unpackEntry(const char* name, uint32_t* length, unsigned char** buffer);
    int payloadEntryCount() const { return entries_.count(); }
    const PayloadEntry& payloadEntry(int index) const { return entries_[index]; }

    // The loader (config/).
    int loadDescription(InstallerUI* ui, Log* log);
    int readProductDescription();
    int readFileSets();
    int readDialogs(int uninstalling);
    int readFields(int uninstalling);
    // Defaults of one document (the description or a configuration file): 0, or -1 when the
    // document has none.
    int applyDefaultValues(XmlDocument& document);
    int initializeDefaults(InstallerUI* ui);

    // Variables (config/InstallerVariables.cpp). expandVariables refuses (-1) a text with an
    // undefined variable or one that does not fit the buffer whole.
    int expandVariables(const char* text, char* out, int size);
    int evaluateCondition(const char* condition);
    int writeVariables(ActionLog& actionLog);
    int readVariables();

    // The runs (engine/). runInstallation: 0 when completed, -1 when cancelled at the
    // previous-version questions, without a temporary name, or rolled back. runUninstall: 0
    // when every deletion and removal succeeded, else -1; a null backup path reads it from the
    // action log.
    int runInstallation(InstallerUI* ui);
    int runUninstall(InstallerUI* ui, const char* backupPath);
    // The "PostInstall" or "PreUninstall" programs and documents.
    int runActions(InstallerUI* ui, const char* kind);
    // The environment, INI and shortcut items of the description: 0 on success.
    int applyEnvironmentItems(ActionLog& actionLog, InstallerUI* ui);
    int applyIniItems(ActionLog& actionLog, InstallerUI* ui);
    int applyShortcutItems(ActionLog& actionLog, InstallerUI* ui);

    const XmlDocument& description() const { return description_; }
    int fileSetCount() const { return fileSets_.count(); }
    const FileSetInfo& fileSet(int index) const { return fileSets_[index]; }
    int fileCount() const { return files_.count(); }
    const FileInfo& file(int index) const { return files_[index]; }

    void setDebugLog(Log* log) { debugLog_ = log; }
    Log* debugLog() const { return debugLog_; }
    bool isUninstalling() const { return actionLogFile_ != nullptr; }
    int hasFailed() const { return failed_; }

    // The wizard (ui/WizardDriver.cpp): the first and the last page that Back and Next can
    // reach (special flag 0), or -1 when there is none.
    int firstDialog();
    int lastDialog();

  protected:
    unsigned char* payload_ = nullptr;
    uint32_t payloadLength_ = 0;
    RecordList<PayloadEntry> entries_;
    RecordList<FileSetInfo> fileSets_;
    RecordList<FileInfo> files_;
    RecordList<DialogInfo> dialogs_;
    RecordList<FieldInfo> fields_;
    RecordList<PageElement> elements_;
    XmlDocument description_;
    VariableStore variables_;
    Log actionLog_;
    std::FILE* actionLogFile_ = nullptr;
    int currentDialog_ = -1;
    int cancelled_ = 0;
    int finished_ = 0;
    int failed_ = 0;
    // The "CopyProgress" page runs the installation or the uninstall once per process.
    int copyProgressDone_ = 0;
    Log* debugLog_ = nullptr;

  private:
    void releasePayload();
    int indexPayload();
    // Inflates entry `index`; the buffer (terminated behind the data) belongs to the caller.
    unsigned char* unpackFound(int index, uint32_t* length);
    int readDescriptionText(Log* log);
    int readDescriptionFromActionLog(Log* log);
    // The text of the element at the lenient path, or null.
    const char* descriptionText(const char* path) const;
    // Copies the text of the element at the lenient path; -1 when missing or without text.
    int copyDescriptionText(const char* path, char* out, int size) const;
    // The same, with the variables substituted; -1 as well when it cannot be expanded whole.
    int expandDescriptionText(const char* path, char* out, int size);
    int readFiles(int fileSetElement, int fileSetIndex, const EntryNameIndex& entryNames);
    int applyDefaultValue(XmlDocument& document, int node);
    int expandDollarReferences(const char* text, char* out, int size);

    // The wizard's steps (ui/WizardDriver.cpp).
    void releasePageElements();
    void readPageElements(int page);
    void setWizardButtons(int index, InstallerUI* ui);
    void runCopyProgress(InstallerUI* ui);
    void attachRunningAppsCheck(int page, InstallerUI* ui);
    // True when the page is passed over: its condition does not hold, or its check lets the
    // user through without stopping.
    bool isPassedOver(int index, InstallerUI* ui);
    bool isWizardEnd(int index, int last);
    int searchForward(int from);
    int searchBackward(int from);
};
