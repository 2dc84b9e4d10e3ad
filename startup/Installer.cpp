// The installer object's life and the base behaviour of the operations that no other folder
// implements yet.
#include "startup/Installer.h"

#include "package/BoundedText.h"
#include "ui/InstallerUI.h"

#include <cstring>

Installer::Installer() = default;

Installer::~Installer() {
    releasePayload();
    if (actionLogFile_ != nullptr)
        std::fclose(actionLogFile_);
}

namespace {
// The product and path getters answer from the description; until one is loaded every value
// is missing, so the caller receives an empty text and -1.
int missingValue(char* out, int size) {
    if (out == nullptr)
        return -1;
    if (size > 0)
        out[0] = '\0';
    return -1;
}

template <typename Record>
Record recordOrZero(const RecordList<Record>& list, int index) {
    Record record;
    std::memset(static_cast<void*>(&record), 0, sizeof record);
    if (index >= 0 && index < list.count())
        record = list[index];
    return record;
}
} // namespace

int Installer::getProductName(char* out, int size) { return missingValue(out, size); }
int Installer::getMajorVersion(char* out, int size) { return missingValue(out, size); }
int Installer::getVersionString(char* out, int size) { return missingValue(out, size); }
int Installer::getWebsite(char* out, int size) { return missingValue(out, size); }
int Installer::getSupportEmail(char* out, int size) { return missingValue(out, size); }
int Installer::getInstallLogFile(char* out, int size) { return missingValue(out, size); }
int Installer::getInstallBackupFile(char* out, int size) { return missingValue(out, size); }
int Installer::getUninstallCmd(char* out, int size) { return missingValue(out, size); }
int Installer::getUninstallXmlFile(char* out, int size) { return missingValue(out, size); }
int Installer::getHelpUrl(char* out, int size) { return missingValue(out, size); }
int Installer::makeTempFileName(char*, int) { return -1; }

DialogInfo Installer::getDialog(int index) { return recordOrZero(dialogs_, index); }
int Installer::dialogCount() { return dialogs_.count(); }
int Installer::currentDialog() { return currentDialog_; }
PageElement Installer::getElement(int index) { return recordOrZero(elements_, index); }
int Installer::elementCount() { return elements_.count(); }
FieldInfo Installer::getField(int index) { return recordOrZero(fields_, index); }
int Installer::fieldCount() { return fields_.count(); }
int Installer::isCancelled() { return cancelled_; }
int Installer::isFinished() { return finished_; }

int Installer::getVariable(const char*, char* out, int size) { return missingValue(out, size); }
int Installer::setVariable(const char*, const char*) { return 0; }
int Installer::showHelpDocument(int) { return 0; }

int Installer::previousDialog(InstallerUI* ui) { return ui == nullptr ? -1 : 0; }
int Installer::nextDialog(InstallerUI* ui) { return ui == nullptr ? -1 : 0; }

int Installer::cancelDialog(InstallerUI* ui) {
    if (ui == nullptr)
        return -1;
    if (ui->confirmCancel() != 0)
        cancelled_ = 1;
    return 0;
}

int Installer::showDialog(int index, InstallerUI* ui) {
    if (ui == nullptr || index < 0 || index >= dialogCount())
        return -1;
    currentDialog_ = index;
    return 0;
}

int Installer::isPreviousVersionInstalled() { return 0; }
int Installer::uninstallPreviousVersion() { return 1; }
int Installer::registerUninstall() { return 1; }
void Installer::fileWritten(const char*, const FileInfo&) {}
