#include "config/DefaultValues.h"

#include "config/VariableStore.h"
#include "config/XmlDocument.h"
#include "package/BoundedText.h"
#include "package/Log.h"
#include "package/RunReporter.h"
#include "system/RegistryReader.h"

#include <cstring>
#include <string>
#include <strings.h>

namespace {
bool isNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}
} // namespace

bool DefaultValues::apply(const XmlDocument& document) {
    int defaults = document.findNextByName("DefValues", -1);
    if (defaults < 0)
        return false;
    IndexList nodes;
    document.collectSubtree(defaults, nodes);
    for (int i = 0; i < nodes.count(); ++i) {
        if (strcasecmp(document.nodeName(nodes[i]), "Value") == 0)
            applyValue(document, nodes[i]);
    }
    return true;
}

// True when the variable was set.
bool DefaultValues::applyValue(const XmlDocument& document, int node) {
    const char* type = document.getAttribute(node, "DataType");
    const char* name = document.getAttribute(node, "Name");
    if (type == nullptr || name == nullptr)
        return false;
    char value[VariableStore::kValueSize];
    if (strcasecmp(type, "registry") == 0) {
        const char* hive = document.getAttribute(node, "RegPlace");
        const char* key = document.getAttribute(node, "RegKey");
        if (hive == nullptr || key == nullptr ||
            !RegistryReader::readText(hive, key, document.nodeText(node), value, sizeof value))
            return false;
    } else if (strcasecmp(type, "value") == 0) {
        if (!expandDollarReferences(document.nodeText(node), value, sizeof value)) {
            logMessage(debugLog_,
                       "Skipping default value of \"%s\": it refers to an undefined variable or "
                       "is too long",
                       name);
            return false;
        }
    } else {
        return false;
    }
    VariableStore::SetResult set = variables_.set(name, value);
    if (set != VariableStore::SetResult::kSet) {
        logMessage(debugLog_, "Skipping default value of \"%s\": the name or value %s", name,
                   set == VariableStore::SetResult::kLineBreak
                       ? "holds a line break (or the name a TAB)"
                       : "is too long");
        return false;
    }
    return true;
}

// Literal values refer to variables as a dollar sign and a run of name characters. False when a
// referenced variable is not defined or the result does not fit whole.
bool DefaultValues::expandDollarReferences(const char* text, char* out, int size) const {
    int used = 0;
    out[0] = '\0';
    for (const char* c = text != nullptr ? text : ""; *c != '\0';) {
        if (*c != '$') {
            if (used == size - 1)
                return false;
            out[used++] = *c++;
            out[used] = '\0';
            continue;
        }
        const char* nameStart = ++c;
        while (isNameCharacter(*c))
            ++c;
        char name[VariableStore::kNameSize];
        if (!copyTextPiece(name, sizeof name, nameStart, static_cast<int>(c - nameStart)))
            return false;
        int index = variables_.get(name, nullptr, 0);
        if (index < 0 || !appendText(out, size, variables_.at(index).value))
            return false;
        used += static_cast<int>(std::strlen(out + used));
    }
    return true;
}

bool DefaultValues::initialize(const XmlDocument& description, const char* configFile,
                               RunReporter* ui) {
    bool applied = apply(description);
    if (!applied || configFile == nullptr || configFile[0] == '\0')
        return applied;
    XmlDocument configuration;
    if (configuration.loadFile(configFile))
        return apply(configuration);
    std::string notice = "The configuration file cannot be used: " + configuration.problem() +
                         ". Installation cannot continue.";
    logMessage(debugLog_, "Configuration file \"%s\" cannot be used: %s", configFile,
               configuration.problem().c_str());
    if (ui != nullptr)
        ui->confirm(notice.c_str(), RunReporter::Question::kNotice);
    return false;
}
