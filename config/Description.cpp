#include "config/Description.h"

#include "config/VariableStore.h"
#include "package/BoundedText.h"

namespace {
const char kProductPrefix[] = "VarnexGroupInstallation/Desc/ProductDesc/";
const char kUninstallPrefix[] = "VarnexGroupInstallation/Installation/Uninstall/";

// The full lookup path of a product or uninstall element.
struct DescriptionPath {
    DescriptionPath(const char* prefix, const char* element) {
        copyText(text, sizeof text, prefix);
        appendText(text, sizeof text, element);
    }
    char text[128];
};

bool clear(char* out, int size) {
    if (out == nullptr || size <= 0)
        return false;
    out[0] = '\0';
    return true;
}
} // namespace

bool Description::hasProductDescription() const {
    return document_.findNextByName("ProductDesc", -1) >= 0;
}

const char* Description::text(const char* path) const {
    int node = document_.findPath(path, -1, nullptr);
    return node >= 0 ? document_.nodeText(node) : nullptr;
}

bool Description::copyProductText(const char* element, char* out, int size) const {
    if (!clear(out, size))
        return false;
    const char* found = text(DescriptionPath(kProductPrefix, element).text);
    if (found == nullptr || !copyText(out, size, found)) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool Description::expandUninstallText(const char* element, char* out, int size) const {
    if (!clear(out, size))
        return false;
    const char* found = text(DescriptionPath(kUninstallPrefix, element).text);
    if (found == nullptr ||
        variables_.expand(found, out, size) != VariableStore::Expansion::kExpanded) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool Description::getProductName(char* out, int size) const {
    return copyProductText("Fullname", out, size);
}

bool Description::getVersionString(char* out, int size) const {
    static const char* const kParts[3] = {"MajorVersion", "MinorVersion", "MinestVersion"};
    if (!clear(out, size))
        return false;
    for (int i = 0; i < 3; ++i) {
        const char* part = text(DescriptionPath(kProductPrefix, kParts[i]).text);
        if (part == nullptr || !appendText(out, size, part) ||
            (i < 2 && !appendText(out, size, "."))) {
            out[0] = '\0';
            return false;
        }
    }
    return true;
}

bool Description::getWebsite(char* out, int size) const {
    return copyProductText("Website", out, size);
}

bool Description::getPublisher(char* out, int size) const {
    return copyProductText("Publisher", out, size);
}

bool Description::getHelpUrl(char* out, int size) const {
    return copyProductText("InstallHelpURL", out, size);
}

bool Description::getInstallLogFile(char* out, int size) const {
    return expandUninstallText("InstallLogFile", out, size);
}

bool Description::getInstallBackupFile(char* out, int size) const {
    return expandUninstallText("InstallBackupFile", out, size);
}

bool Description::getUninstallCmd(char* out, int size) const {
    return expandUninstallText("UninstallCmd", out, size);
}

bool Description::getUninstallXmlFile(char* out, int size) const {
    return expandUninstallText("UninstallXmlFile", out, size);
}

bool Description::hasUninstallCmd() const {
    return text(DescriptionPath(kUninstallPrefix, "UninstallCmd").text) != nullptr;
}
