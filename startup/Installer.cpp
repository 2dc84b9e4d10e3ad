// The installer object's life and the base behaviour of the operations that no other folder
// implements yet. The description's getters, variables, dialogs and fields are in config/, the
// wizard's navigation in ui/.
#include "startup/Installer.h"

#include "package/BoundedText.h"

#include <cstring>

Installer::Installer() = default;

Installer::~Installer() {
    releasePageElements();
    releasePayload();
    if (actionLogFile_ != nullptr)
        std::fclose(actionLogFile_);
}

namespace {
template <typename Record> Record recordOrZero(const RecordList<Record>& list, int index) {
    Record record;
    std::memset(static_cast<void*>(&record), 0, sizeof record);
    if (index >= 0 && index < list.count())
        record = list[index];
    return record;
}
} // namespace

int Installer::makeTempFileName(char*, int) {
    return -1;
}

DialogInfo Installer::getDialog(int index) {
    return recordOrZero(dialogs_, index);
}
int Installer::dialogCount() {
    return dialogs_.count();
}
int Installer::currentDialog() {
    return currentDialog_;
}
PageElement Installer::getElement(int index) {
    return recordOrZero(elements_, index);
}
int Installer::elementCount() {
    return elements_.count();
}
int Installer::fieldCount() {
    return fields_.count();
}
int Installer::isCancelled() {
    return cancelled_;
}
int Installer::isFinished() {
    return finished_;
}

int Installer::showHelpDocument(int) {
    return 0;
}

int Installer::isPreviousVersionInstalled() {
    return 0;
}
int Installer::uninstallPreviousVersion() {
    return 1;
}
int Installer::registerUninstall() {
    return 1;
}
void Installer::fileWritten(const char*, const FileInfo&) {}
