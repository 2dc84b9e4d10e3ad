// The wizard's pages and their input fields, read from the description.
#include "startup/Installer.h"

#include "package/BoundedText.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {
int fieldType(const char* type) {
    if (type == nullptr)
        return 0;
    if (strcasecmp(type, "Directory") == 0)
        return FIELD_DIRECTORY;
    if (strcasecmp(type, "CheckBox") == 0)
        return FIELD_CHECKBOX;
    if (strcasecmp(type, "RadioButtons") == 0)
        return FIELD_RADIOBUTTONS;
    return 0;
}

int numberOr(const char* text, int absent) {
    return text != nullptr ? std::atoi(text) : absent;
}
} // namespace

int Installer::readDialogs(int uninstalling) {
    int dialogs = description_.findNextByName(uninstalling ? "UninstallDialogs" : "Dialogs", -1);
    if (dialogs < 0)
        return -1;
    IndexList pages;
    description_.getChildren(dialogs, &pages);
    for (int i = 0; i < pages.count(); ++i) {
        int page = pages[i];
        DialogInfo info;
        std::memset(static_cast<void*>(&info), 0, sizeof info);
        // A page's condition cut short would decide differently: such a page is left out.
        if (copyText(info.name, sizeof info.name, description_.nodeName(page)) != 0 ||
            copyText(info.condition, sizeof info.condition,
                     description_.getAttribute(page, "Condition")) != 0) {
            logMessage(debugLog_, "Skipping page \"%s\": its name or condition is too long",
                       description_.nodeName(page));
            continue;
        }
        info.elementIndex = page;
        info.special = numberOr(description_.getAttribute(page, "Special"), 0);
        if (!dialogs_.append(info))
            return -1;
    }
    return 0;
}

int Installer::readFields(int uninstalling) {
    if (uninstalling)
        return 0;
    for (int node = 0; node < description_.nodeCount(); ++node) {
        int parent = description_.nodeParent(node);
        if (strcasecmp(description_.nodeName(node), "Field") != 0 || parent < 0)
            continue;
        int page = -1;
        for (int i = 0; i < dialogs_.count() && page < 0; ++i) {
            if (strcasecmp(dialogs_[i].name, description_.nodeName(parent)) == 0)
                page = i;
        }
        if (page < 0)
            continue;
        FieldInfo info;
        std::memset(&info, 0, sizeof info);
        info.page = page;
        info.type = fieldType(description_.getAttribute(node, "Type"));
        info.x = numberOr(description_.getAttribute(node, "x"), -1);
        info.y = numberOr(description_.getAttribute(node, "y"), -1);
        copyText(info.label, sizeof info.label, description_.getAttribute(node, "Label"));
        copyText(info.content, sizeof info.content, description_.getAttribute(node, "Content"));
        // The variable's name and the condition are never used cut.
        if (copyText(info.variable, sizeof info.variable, description_.nodeText(node)) != 0 ||
            copyText(info.condition, sizeof info.condition,
                     description_.getAttribute(node, "Condition")) != 0) {
            logMessage(debugLog_, "Skipping field \"%s\": its variable or condition is too long",
                       info.label);
            continue;
        }
        if (!fields_.append(info))
            return -1;
    }
    return 0;
}

FieldInfo Installer::getField(int index) {
    FieldInfo field;
    std::memset(&field, 0, sizeof field);
    if (index < 0 || index >= fields_.count())
        return field;
    if (fields_[index].condition[0] != '\0' && evaluateCondition(fields_[index].condition) == 0) {
        field.page = -1;
        return field;
    }
    return fields_[index];
}
