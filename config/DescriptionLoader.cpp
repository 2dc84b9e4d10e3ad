// Loading the description: obtaining its text (from the package, or for an uninstall from the
// file named on the action log's first line), parsing it, reading the product data, the file
// sets, the dialogs and fields and the default values, and then starting the UI.
#include "startup/Installer.h"

#include "engine/ActionLog.h"
#include "ui/InstallerUI.h"

#include <cstring>
#include <memory>
#include <new>

namespace {
constexpr int kPathLineSize = 512;

// The description file read whole, NUL-terminated; null on any failure.
char* readWholeFile(const char* path, size_t* length) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return nullptr;
    char* text = nullptr;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    if (size >= 0 && size < 0x7fffffffL && std::fseek(file, 0, SEEK_SET) == 0)
        text = new (std::nothrow) char[static_cast<size_t>(size) + 1];
    if (text != nullptr) {
        size_t got = std::fread(text, 1, static_cast<size_t>(size), file);
        if (got == static_cast<size_t>(size)) {
            text[got] = '\0';
            *length = got;
        } else {
            delete[] text;
            text = nullptr;
        }
    }
    std::fclose(file);
    return text;
}

} // namespace

int Installer::loadDescription(InstallerUI* ui, Log* log) {
    if (ui == nullptr) {
        logMessage(log, "No installer UI handler specified");
        return -1;
    }
    if (readDescriptionText(log) != 0)
        return -1;
    logMessage(log, "Getting product description");
    if (readProductDescription() != 0)
        return -1;
    logMessage(log, "Getting file sets");
    readFileSets();
    logMessage(log, "Getting UI dialogs");
    if (readDialogs(isUninstalling()) != 0)
        return -1;
    logMessage(log, "Getting fields");
    readFields(isUninstalling());
    logMessage(log, "Initializing default values");
    if (initializeDefaults(ui) != 0)
        return -1;
    logMessage(log, "Starting installation UI");
    currentDialog_ = 0;
    int result = ui->run();
    logMessage(log, "Ending installation UI");
    ui->finish();
    if (result != 0)
        logMessage(log, "There were errors during the installation");
    return result;
}

// Obtains and parses the text: the steps up to "Parsing installation file".
int Installer::readDescriptionText(Log* log) {
    if (isUninstalling())
        return readDescriptionFromActionLog(log);
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
    description_.parse(reinterpret_cast<const char*>(text.get()), length);
    return 0;
}

int Installer::readDescriptionFromActionLog(Log* log) {
    logMessage(log, "Reading installation file name from action log");
    char path[kPathLineSize];
    // A path line that does not fit would name a different file: it is refused.
    if (!ActionLog::readLine(actionLogFile_, path, sizeof path)) {
        logMessage(log, "Could not obtain installation file from action log");
        return -1;
    }
    logMessage(log, "Reading installation file");
    size_t length = 0;
    std::unique_ptr<char[]> text(readWholeFile(path, &length));
    if (!text) {
        logMessage(log, "Error reading installation file");
        logMessage(log, "Cannot continue due to error(s)");
        return -1;
    }
    logMessage(log, "Parsing installation file");
    description_.parse(text.get(), length);
    return 0;
}
