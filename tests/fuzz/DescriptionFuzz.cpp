// Every text a getter or list hands out fits whole or is refused (empty), never cut; every file
// belongs to a set that was read, every field to a page that was.
#include "config/DefaultValues.h"
#include "config/Description.h"
#include "config/FileList.h"
#include "config/PageList.h"
#include "config/VariableStore.h"
#include "package/Log.h"
#include "package/Payload.h"
#include "package/WinFile.h"
#include "tests/fuzz/FuzzScratch.h"
#include "tests/support/TestPayload.h"

#include <cstring>

namespace {
const Payload& fixedPayload() {
    static Payload* opened = [] {
        std::string path = fuzzscratch::prepare("Description") + "payload.bin";
        filebytes::writeAll(path, testpayload::build({{"install.xml", "<x/>"},
                                                      {"sample.exe", "MZ sample"},
                                                      {"AppIcon", std::string(300, 'i')}}));
        auto* payload = new Payload();
        if (payload->open(path.c_str(), 0) != 0)
            std::abort();
        return payload;
    }();
    return *opened;
}

bool fits(const char* text, size_t size) {
    return text != nullptr && std::strlen(text) < size;
}
template <size_t N> bool fits(const char (&text)[N]) {
    return fits(text, N);
}

void checkGetters(const Description& description) {
    for (auto getter : {&Description::getProductName, &Description::getVersionString,
                        &Description::getWebsite, &Description::getHelpUrl,
                        &Description::getInstallLogFile, &Description::getInstallBackupFile,
                        &Description::getUninstallCmd, &Description::getUninstallXmlFile}) {
        char whole[512], small[12];
        bool gotWhole = (description.*getter)(whole, sizeof whole);
        bool gotSmall = (description.*getter)(small, sizeof small);
        if (!fits(whole) || (!gotWhole && whole[0] != '\0') || (!gotSmall && small[0] != '\0') ||
            (gotSmall && std::strcmp(small, whole) != 0) ||
            (gotWhole && std::strlen(whole) < sizeof small && !gotSmall))
            __builtin_trap();
    }
}

void checkFiles(const FileList& files) {
    for (int i = 0; i < files.fileCount(); ++i) {
        const FileInfo& file = files.file(i);
        int entry = fixedPayload().find(file.alias);
        // The destination and the file name name paths: their limit counts characters.
        if (!fileaccess::fitsPathLimit(file.destination) ||
            !fits(file.alias, FileInfo::kAliasSize) || !fileaccess::fitsPathLimit(file.fileName) ||
            !fits(file.condition, FileInfo::kConditionSize) || file.fileSet < 0 ||
            file.fileSet >= files.fileSetCount() ||
            file.unpackedSize != (entry >= 0 ? fixedPayload().entry(entry).size : 0))
            __builtin_trap();
    }
}

void checkPages(const XmlDocument& document, int uninstalling, const VariableStore& variables) {
    PageList pages;
    if (!pages.readDialogs(document, uninstalling, nullptr) ||
        !pages.readFields(document, uninstalling, nullptr))
        return;
    for (int i = -1; i <= pages.fieldCount(); ++i) {
        FieldInfo field = pages.field(i, variables);
        if (!fits(field.label) || !fits(field.variable) || !fits(field.content) ||
            !fits(field.condition) || field.page < -1 ||
            field.page >= std::max(pages.dialogCount(), 1))
            __builtin_trap();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    VariableStore variables;
    Description description(variables);
    description.parse(text.c_str(), text.size());
    Log log;
    FileList files;
    if (files.read(description.document(), fixedPayload(), &log))
        checkFiles(files);
    checkPages(description.document(), 0, variables);
    DefaultValues(variables, &log).apply(description.document());
    checkPages(description.document(), 1, variables);
    checkGetters(description);
    return 0;
}
