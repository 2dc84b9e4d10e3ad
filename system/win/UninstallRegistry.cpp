#include "system/UninstallRegistry.h"

#include "package/Paths.h"
#include "system/NamedEvent.h"
#include "system/ProcessStart.h"
#include "system/RegistryKey.h"
#include "system/RegistryValue.h"
#include "system/UninstallRegistration.h"
#include "system/WinHandle.h"

#include <string>
#include <vector>

namespace {
const char kConsoleOption[] = " -gui=0";
// CreateProcessA takes at most this many characters with the terminating zero.

// A key name holds no backslash (it would name a key further down) and is at most 255
// characters; an empty one would be the uninstall key itself.
bool isKeyName(const char* name) {
    if (name == nullptr || name[0] == '\0')
        return false;
    std::string text = name;
    return text.size() <= 255 && text.find('\\') == std::string::npos;
}

// The run record's values, each with the field it holds.
struct RunValue {
    const char* name;
    std::string* text;
};
std::vector<RunValue> runValues(RunRecord& record) {
    return {{"KestrelRunActionLog", &record.actionLog},
            {"KestrelRunBackupFile", &record.backup},
            {"KestrelRunFinalActionLog", &record.finalActionLog},
            {"KestrelRunFinalBackupFile", &record.finalBackup}};
}

bool openProduct(RegistryKey& product, const char* name, REGSAM access) {
    RegistryKey uninstall;
    return isKeyName(name) &&
           uninstall.open(HKEY_LOCAL_MACHINE, UninstallRegistry::kUninstallKey, KEY_READ) &&
           product.open(uninstall.get(), name, access);
}

// The names of the values that could not be written, or an empty text.
std::string writeValues(HKEY key, const UninstallRegistration& registration) {
    struct Text {
        const char* name;
        std::string value;
    };
    const Text first[] = {{"DisplayIcon", registration.quotedProgram()},
                          {"DisplayName", registration.productName},
                          {"DisplayVersion", registration.versionText},
                          {"HelpLink", registration.website},
                          {"Publisher", registration.publisher},
                          {"UninstallString", registration.uninstallString()}};
    // Every value is tried, so that one refused value leaves as much of the entry as possible.
    std::string refused;
    auto note = [&refused](bool written, const char* name) {
        if (!written)
            refused += (refused.empty() ? "" : ", ") + std::string(name);
    };
    for (const Text& text : first)
        note(RegistryValue::writeText(key, text.name, REG_SZ, text.value), text.name);
    // Without a folder of the product's own there is no location a tool could clean up.
    if (registration.installLocation.empty())
        RegDeleteValueA(key, "InstallLocation");
    else
        note(RegistryValue::writeText(key, "InstallLocation", REG_SZ, registration.installLocation),
             "InstallLocation");
    note(RegistryValue::writeNumber(key, "EstimatedSize", registration.estimatedSizeKiB),
         "EstimatedSize");
    note(RegistryValue::writeNumber(key, "NoModify", 1), "NoModify");
    note(RegistryValue::writeNumber(key, "NoRepair", 1), "NoRepair");
    note(RegistryValue::writeText(key, "QuietUninstallString", REG_SZ,
                                  registration.quietUninstallString()),
         "QuietUninstallString");
    return refused;
}

bool isCommand(const RegistryValue& value) {
    return value.state == RegistryValue::State::Text && value.type == REG_SZ && !value.text.empty();
}

// The registered command, or an empty text when there is none to start. The quiet one asks
// nothing and opens no window of its own, so it is taken as it stands.
std::string uninstallCommand(const char* productName, bool console) {
    RegistryKey product;
    if (!openProduct(product, productName, KEY_READ))
        return std::string();
    RegistryValue quiet = RegistryValue::read(product.get(), "QuietUninstallString");
    if (isCommand(quiet))
        return quiet.text;
    RegistryValue command = RegistryValue::read(product.get(), "UninstallString");
    if (!isCommand(command))
        return std::string();
    if (console)
        command.text += kConsoleOption;
    return command.text;
}

HANDLE createEvent(const char* name) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, name);
    // An event that outlived an earlier uninstaller may still be set.
    if (event != nullptr)
        ResetEvent(event);
    return event;
}

} // namespace

ChangeResult UninstallRegistry::write(const UninstallRegistration& registration) {
    RegistryKey uninstall;
    RegistryKey product;
    if (!isKeyName(registration.productName.c_str()))
        return {"the product's name cannot name a registry key"};
    if (!uninstall.open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_CREATE_SUB_KEY) ||
        !product.create(uninstall.get(), registration.productName.c_str(), KEY_WRITE))
        return {"its registry key cannot be created"};
    std::string refused = writeValues(product.get(), registration);
    if (refused.empty())
        return {};
    return {"the registry refused the value(s) " + refused};
}

bool UninstallRegistry::isInstalled(const char* productName) {
    RegistryKey product;
    return openProduct(product, productName, KEY_READ) &&
           RegQueryValueExA(product.get(), "UninstallString", nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
}

bool UninstallRegistry::writeRunRecord(const char* productName, const RunRecord& record) {
    RegistryKey uninstall;
    RegistryKey product;
    if (!isKeyName(productName) ||
        !uninstall.open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_CREATE_SUB_KEY) ||
        !product.create(uninstall.get(), productName, KEY_WRITE))
        return false;
    bool written = true;
    RunRecord copy = record;
    for (const RunValue& value : runValues(copy))
        written =
            RegistryValue::writeText(product.get(), value.name, REG_SZ, *value.text) && written;
    return written;
}

std::optional<RunRecord> UninstallRegistry::findRunRecord(const char* productName) {
    RegistryKey product;
    if (!openProduct(product, productName, KEY_READ))
        return std::nullopt;
    RunRecord record;
    for (const RunValue& value : runValues(record)) {
        RegistryValue read = RegistryValue::read(product.get(), value.name);
        // A record that names no whole path leads nowhere that could be undone.
        if (read.state != RegistryValue::State::Text || !isFullPath(read.text.c_str()))
            return std::nullopt;
        *value.text = read.text;
    }
    return record;
}

bool UninstallRegistry::removeRunRecord(const char* productName) {
    RegistryKey product;
    if (!openProduct(product, productName, KEY_READ | KEY_SET_VALUE))
        return true;
    RunRecord record;
    bool removed = true;
    for (const RunValue& value : runValues(record)) {
        LONG status = RegDeleteValueA(product.get(), value.name);
        removed = removed && (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND);
    }
    DWORD values = 1;
    DWORD subKeys = 1;
    // The key was made for the record alone: it goes with it.
    if (removed &&
        RegQueryInfoKeyA(product.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                         &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        values == 0 && subKeys == 0) {
        product.reset();
        return remove(productName);
    }
    return removed;
}

UninstallRegistry::UninstallerRun UninstallRegistry::runUninstaller(const char* productName,
                                                                    bool console,
                                                                    unsigned long announceBoundMs) {
    UninstallerRun run;
    std::string command = uninstallCommand(productName, console);
    // Made before the start, so that no signal of the uninstaller can come before them.
    WinHandle started(createEvent(NamedEvent::kUninstallerStart));
    WinHandle ended(createEvent(NamedEvent::kUninstallerEnd));
    WinHandle process = ProcessStart::start(command, ProcessStart::Options());
    run.started = process.valid();
    if (run.started)
        run.end = UninstallerPresence::waitForUninstall(process.get(), started.get(), ended.get(),
                                                        announceBoundMs);
    return run;
}

bool UninstallRegistry::remove(const char* productName) {
    // A name that could not have been registered has nothing of ours to delete; an empty one
    // would make the system delete the uninstall key itself, one with a backslash a key below
    // another product's.
    if (!isKeyName(productName))
        return true;
    RegistryKey key;
    if (!key.open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WRITE))
        return false;
    LONG status = RegDeleteKeyA(key.get(), productName);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}
