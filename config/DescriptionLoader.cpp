// The loading sequence of the description. The parser and the readers of the description's
// parts are not here yet: a description that can be obtained is reported as unparsable.
#include "startup/Installer.h"

#include "ui/InstallerUI.h"

#include <memory>

int Installer::loadDescription(InstallerUI* ui, Log* log) {
    if (ui == nullptr) {
        logMessage(log, "No installer UI handler specified");
        return -1;
    }
    logMessage(log, "Decompressing installation file");
    uint32_t length = 0;
    unsigned char* raw = nullptr;
    if (unpackEntry("install.xml", &length, &raw) != 0) {
        logMessage(log, "Error decompressing installation file");
        logMessage(log, "Cannot continue due to error(s)");
        return -1;
    }
    std::unique_ptr<unsigned char[]> text(raw);
    logMessage(log, "Parsing installation file");
    logMessage(log, "Error parsing installation file");
    return -1;
}
