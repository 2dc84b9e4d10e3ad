// The description loader over an arbitrary XML document, as the installer and the uninstaller
// read it: the product data, the file sets against a small payload, the pages and fields of
// both wizards, the default values (registry lookups answer nothing natively), then every getter.
//
// What must hold: every text a getter or a list hands out fits its buffer or record whole; a
// getter that fails leaves an empty text, and one that succeeds gives the same text into any
// buffer it fits; a version has its three parts; every file belongs to a set that was read and
// carries its packaged entry's size; every field stands on a page that was read.
#include "config/DefaultValues.h"
#include "config/Description.h"
#include "config/FileList.h"
#include "config/PageList.h"
#include "config/VariableStore.h"
#include "package/Log.h"
#include "package/Payload.h"
#include "tests/fuzz/FuzzScratch.h"
#include "tests/support/TestPayload.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
using Getter = int (Description::*)(char*, int) const;

const Payload& fixedPayload() {
    static Payload* opened = [] {
        std::string path = fuzzscratch::prepare("Description") + "payload.bin";
        testpayload::writeFile(path, testpayload::build({{"install.xml", "<x/>"},
                                                         {"sample.exe", "MZ sample"},
                                                         {"readme.txt", "read me\r\n"},
                                                         {"AppIcon", std::string(300, 'i')}}));
        auto* p = new Payload();
        if (p->open(path.c_str(), 0) != 0)
            std::abort();
        return p;
    }();
    return *opened;
}

bool fits(const char* text, size_t size) {
    return text != nullptr && std::strlen(text) < size;
}

void checkGetter(const Description& description, Getter getter) {
    char whole[512];
    char small[12];
    int result = (description.*getter)(whole, sizeof whole);
    if (!fits(whole, sizeof whole) || (result != 0 && whole[0] != '\0'))
        __builtin_trap();
    int cut = (description.*getter)(small, sizeof small);
    if ((cut != 0 && small[0] != '\0') || (cut == 0 && std::strcmp(small, whole) != 0) ||
        (result == 0 && std::strlen(whole) < sizeof small && cut != 0))
        __builtin_trap();
}

void checkVersion(const Description& description) {
    char version[512];
    if (description.getVersionString(version, sizeof version) == 0 &&
        std::count(version, version + std::strlen(version), '.') < 2)
        __builtin_trap();
}

void checkFiles(const FileList& files) {
    for (int i = 0; i < files.fileSetCount(); ++i) {
        const FileSetInfo& set = files.fileSet(i);
        if (!fits(set.name, sizeof set.name) || !fits(set.condition, sizeof set.condition))
            __builtin_trap();
    }
    for (int i = 0; i < files.fileCount(); ++i) {
        const FileInfo& file = files.file(i);
        if (file.fileSet < 0 || file.fileSet >= files.fileSetCount() ||
            !fits(file.destination, FileInfo::kDestinationSize) ||
            !fits(file.alias, FileInfo::kAliasSize) ||
            !fits(file.fileName, FileInfo::kFileNameSize) ||
            !fits(file.condition, FileInfo::kConditionSize))
            __builtin_trap();
        int entry = fixedPayload().find(file.alias);
        if (file.unpackedSize != (entry >= 0 ? fixedPayload().entry(entry).size : 0))
            __builtin_trap();
    }
}

void checkPages(const XmlDocument& document, int uninstalling, const VariableStore& variables) {
    PageList pages;
    if (pages.readDialogs(document, uninstalling, nullptr) != 0 ||
        pages.readFields(document, uninstalling, nullptr) != 0)
        return;
    for (int i = -1; i <= pages.dialogCount(); ++i) {
        DialogInfo dialog = pages.dialog(i);
        if (!fits(dialog.name, sizeof dialog.name) ||
            !fits(dialog.condition, sizeof dialog.condition))
            __builtin_trap();
    }
    for (int i = -1; i <= pages.fieldCount(); ++i) {
        FieldInfo field = pages.field(i, variables);
        if (field.page < -1 || field.page >= std::max(pages.dialogCount(), 1) ||
            !fits(field.label, sizeof field.label) ||
            !fits(field.variable, sizeof field.variable) ||
            !fits(field.content, sizeof field.content) ||
            !fits(field.condition, sizeof field.condition))
            __builtin_trap();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    VariableStore variables;
    Description description(variables);
    description.parse(text.c_str(), text.size());
    description.hasProductDescription();
    Log log;
    FileList files;
    if (files.read(description.document(), fixedPayload(), &log) == 0)
        checkFiles(files);
    checkPages(description.document(), 0, variables);
    DefaultValues(variables, &log).apply(description.document());
    checkPages(description.document(), 1, variables);
    for (Getter getter : {&Description::getProductName, &Description::getMajorVersion,
                          &Description::getVersionString, &Description::getWebsite,
                          &Description::getSupportEmail, &Description::getHelpUrl,
                          &Description::getInstallLogFile, &Description::getInstallBackupFile,
                          &Description::getUninstallCmd, &Description::getUninstallXmlFile})
        checkGetter(description, getter);
    checkVersion(description);
    description.hasUninstallCmd();
    return 0;
}
