#include "config/PageList.h"

#include "config/ConditionEvaluator.h"
#include "config/XmlDocument.h"
#include "package/BoundedText.h"
#include "package/Log.h"

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

bool PageList::refuse(Log* debugLog, const char* text, const char* owner, const char* name,
                      int textSize) {
    boundedFormat(problem_, sizeof problem_,
                  "the %s or the Condition of the %s \"%s\" is too long (at most %d and %d "
                  "characters)",
                  text, owner, name, textSize - 1, ConditionEvaluator::kTextSize - 1);
    logMessage(debugLog, "%s", problem_);
    return false;
}

bool PageList::readDialogs(const XmlDocument& document, int uninstalling, Log* debugLog) {
    int dialogs = document.findNextByName(uninstalling ? "UninstallDialogs" : "Dialogs", -1);
    if (dialogs < 0)
        return false;
    IndexList pages;
    document.getChildren(dialogs, &pages);
    for (int i = 0; i < pages.count(); ++i) {
        int page = pages[i];
        DialogInfo info;
        std::memset(static_cast<void*>(&info), 0, sizeof info);
        if (!copyText(info.name, sizeof info.name, document.nodeName(page)) ||
            !copyText(info.condition, sizeof info.condition,
                      document.getAttribute(page, "Condition"))) {
            return refuse(debugLog, "name", "page", document.nodeName(page), sizeof info.name);
        }
        info.elementIndex = page;
        info.special = numberOr(document.getAttribute(page, "Special"), 0);
        if (!dialogs_.append(info))
            return false;
    }
    return true;
}

bool PageList::readFields(const XmlDocument& document, int uninstalling, Log* debugLog) {
    if (uninstalling)
        return true;
    for (int node = 0; node < document.nodeCount(); ++node) {
        int parent = document.nodeParent(node);
        if (strcasecmp(document.nodeName(node), "Field") != 0 || parent < 0)
            continue;
        // The field belongs to the page element it stands in, not to any page of that name: a
        // field of an uninstall page must not appear on the installation's page of that name.
        int page = -1;
        for (int i = 0; i < dialogs_.count() && page < 0; ++i) {
            if (dialogs_[i].elementIndex == parent)
                page = i;
        }
        if (page < 0)
            continue;
        FieldInfo info;
        std::memset(&info, 0, sizeof info);
        info.page = page;
        info.type = fieldType(document.getAttribute(node, "Type"));
        info.x = numberOr(document.getAttribute(node, "x"), -1);
        info.y = numberOr(document.getAttribute(node, "y"), -1);
        copyText(info.label, sizeof info.label, document.getAttribute(node, "Label"));
        copyText(info.content, sizeof info.content, document.getAttribute(node, "Content"));
        if (!copyText(info.variable, sizeof info.variable, document.nodeText(node)) ||
            !copyText(info.condition, sizeof info.condition,
                      document.getAttribute(node, "Condition"))) {
            return refuse(debugLog, "variable", "field", info.label, sizeof info.variable);
        }
        if (!fields_.append(info))
            return false;
    }
    return true;
}

DialogInfo PageList::dialog(int index) const {
    DialogInfo info;
    std::memset(static_cast<void*>(&info), 0, sizeof info);
    if (index >= 0 && index < dialogs_.count())
        info = dialogs_[index];
    return info;
}

FieldInfo PageList::field(int index, const VariableStore& variables) const {
    FieldInfo field;
    std::memset(&field, 0, sizeof field);
    if (index < 0 || index >= fields_.count())
        return field;
    const char* condition = fields_[index].condition;
    if (condition[0] != '\0' && !ConditionEvaluator::evaluate(variables, condition)) {
        field.page = -1;
        return field;
    }
    return fields_[index];
}
