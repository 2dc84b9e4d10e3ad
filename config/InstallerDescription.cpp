// The product data, the file sets and their files, and the getters of the product data and
// the uninstall paths.
#include "startup/Installer.h"

#include "config/EntryNameIndex.h"
#include "package/BoundedText.h"

#include <cstring>

namespace {
const char kProductPrefix[] = "VarnexGroupInstallation/Desc/ProductDesc/";
const char kUninstallPrefix[] = "VarnexGroupInstallation/Installation/Uninstall/";

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// The part after the last separator; a separator in the last position does not count.
const char* fileNameOf(const char* path) {
    const char* name = path;
    for (const char* c = path; c[0] != '\0' && c[1] != '\0'; ++c) {
        if (isSeparator(c[0]))
            name = c + 1;
    }
    return name;
}

// The reference's text without any separator: the name of its packaged entry. False when it
// does not fit.
bool defaultAlias(const char* reference, char* alias, int size) {
    int used = 0;
    for (const char* c = reference; *c != '\0'; ++c) {
        if (isSeparator(*c))
            continue;
        if (used == size - 1)
            return false;
        alias[used++] = *c;
    }
    alias[used] = '\0';
    return true;
}
} // namespace

int Installer::readProductDescription() {
    return description_.findNextByName("ProductDesc", -1) >= 0 ? 0 : -1;
}

int Installer::readFileSets() {
    EntryNameIndex entryNames(entries_.data(), entries_.count());
    // File records are large: one block for all of them spares the copies of a growing list.
    int references = 0;
    for (int node = 0; node < description_.nodeCount(); ++node)
        references += std::strcmp(description_.nodeName(node), "FN") == 0 ? 1 : 0;
    files_.reserve(files_.count() + references);
    for (int set = description_.findNextByName("FileSet", -1); set >= 0;
         set = description_.findNextByName("FileSet", set)) {
        const char* name = description_.getAttribute(set, "Name");
        if (name == nullptr)
            continue;
        FileSetInfo info;
        std::memset(&info, 0, sizeof info);
        copyText(info.description, sizeof info.description, description_.getAttribute(set, "Desc"));
        if (copyText(info.name, sizeof info.name, name) != 0 ||
            copyText(info.condition, sizeof info.condition,
                     description_.getAttribute(set, "Condition")) != 0) {
            logMessage(debugLog_, "Skipping file set \"%s\": its name or condition is too long",
                       name);
            continue;
        }
        if (!fileSets_.append(info))
            return -1;
        readFiles(set, fileSets_.count() - 1, entryNames);
    }
    return 0;
}

// The set's FN children, last to first.
int Installer::readFiles(int fileSetElement, int fileSetIndex, const EntryNameIndex& entryNames) {
    IndexList children;
    description_.getChildren(fileSetElement, &children);
    for (int i = children.count() - 1; i >= 0; --i) {
        int element = children[i];
        const char* reference = description_.nodeText(element);
        if (std::strcmp(description_.nodeName(element), "FN") != 0 || reference == nullptr ||
            reference[0] == '\0')
            continue;
        FileInfo info;
        std::memset(&info, 0, sizeof info);
        info.fileSet = fileSetIndex;
        const char* alias = description_.getAttribute(element, "Alias");
        bool whole = alias != nullptr ? copyText(info.alias, sizeof info.alias, alias) == 0
                                      : defaultAlias(reference, info.alias, sizeof info.alias);
        whole = copyText(info.fileName, sizeof info.fileName, fileNameOf(reference)) == 0 && whole;
        whole = copyText(info.destination, sizeof info.destination,
                         description_.getAttribute(element, "Dest")) == 0 &&
                whole;
        whole = copyText(info.condition, sizeof info.condition,
                         description_.getAttribute(element, "Condition")) == 0 &&
                whole;
        if (!whole) {
            logMessage(debugLog_, "Skipping file \"%s\": a name, path or condition is too long",
                       reference);
            continue;
        }
        int entry = entryNames.find(info.alias);
        info.unpackedSize = entry >= 0 ? entries_[entry].header.size : 0;
        info.expandVariables = description_.getAttribute(element, "ExpandVarsInFile") != nullptr;
        info.executable = description_.getAttribute(element, "Executable") != nullptr;
        if (!files_.append(info))
            return -1;
    }
    return 0;
}

const char* Installer::descriptionText(const char* path) const {
    int node = description_.findPath(path, -1, nullptr);
    return node >= 0 ? description_.nodeText(node) : nullptr;
}

int Installer::copyDescriptionText(const char* path, char* out, int size) const {
    if (out == nullptr || size <= 0)
        return -1;
    out[0] = '\0';
    const char* text = descriptionText(path);
    // These texts name the product in the uninstall registration and open addresses: a cut
    // one is refused rather than used.
    if (text == nullptr || copyText(out, size, text) != 0) {
        out[0] = '\0';
        return -1;
    }
    return 0;
}

int Installer::expandDescriptionText(const char* path, char* out, int size) {
    if (out == nullptr || size <= 0)
        return -1;
    out[0] = '\0';
    const char* text = descriptionText(path);
    return text != nullptr ? expandVariables(text, out, size) : -1;
}

namespace {
// The full lookup path of a product or uninstall element.
struct DescriptionPath {
    DescriptionPath(const char* prefix, const char* element) {
        copyText(text, sizeof text, prefix);
        appendText(text, sizeof text, element);
    }
    char text[128];
};
} // namespace

int Installer::getProductName(char* out, int size) {
    return copyDescriptionText(DescriptionPath(kProductPrefix, "Fullname").text, out, size);
}

int Installer::getMajorVersion(char* out, int size) {
    return copyDescriptionText(DescriptionPath(kProductPrefix, "MajorVersion").text, out, size);
}

int Installer::getVersionString(char* out, int size) {
    static const char* const kParts[3] = {"MajorVersion", "MinorVersion", "MinestVersion"};
    if (out == nullptr || size <= 0)
        return -1;
    out[0] = '\0';
    for (int i = 0; i < 3; ++i) {
        const char* text = descriptionText(DescriptionPath(kProductPrefix, kParts[i]).text);
        if (text == nullptr || appendText(out, size, text) != 0 ||
            (i < 2 && appendText(out, size, ".") != 0))
            return -1;
    }
    return 0;
}

int Installer::getWebsite(char* out, int size) {
    return copyDescriptionText(DescriptionPath(kProductPrefix, "Website").text, out, size);
}

int Installer::getSupportEmail(char* out, int size) {
    return copyDescriptionText(DescriptionPath(kProductPrefix, "Supportemail").text, out, size);
}

int Installer::getHelpUrl(char* out, int size) {
    return copyDescriptionText(DescriptionPath(kProductPrefix, "InstallHelpURL").text, out, size);
}

int Installer::getInstallLogFile(char* out, int size) {
    return expandDescriptionText(DescriptionPath(kUninstallPrefix, "InstallLogFile").text, out,
                                 size);
}

int Installer::getInstallBackupFile(char* out, int size) {
    return expandDescriptionText(DescriptionPath(kUninstallPrefix, "InstallBackupFile").text, out,
                                 size);
}

int Installer::getUninstallCmd(char* out, int size) {
    return expandDescriptionText(DescriptionPath(kUninstallPrefix, "UninstallCmd").text, out, size);
}

int Installer::getUninstallXmlFile(char* out, int size) {
    return expandDescriptionText(DescriptionPath(kUninstallPrefix, "UninstallXmlFile").text, out,
                                 size);
}
