#include "engine/InstallationItems.h"

#include "config/ConditionEvaluator.h"
#include "config/Description.h"
#include "config/VariableStore.h"
#include "engine/ActionLog.h"
#include "engine/RunReport.h"
#include "package/Paths.h"
#include "package/RunReporter.h"
#include "package/WinFile.h"
#include "system/SystemChanges.h"
#include "system/UninstallRegistration.h"

#include <cstring>
#include <optional>
#include <string>
#include <strings.h>

namespace {
constexpr int kTextSize = 512;
// Paths are held whole up to the system's limit, 259 characters of up to 3 bytes each.
constexpr int kPathSize = fileaccess::kPathSize;
// A value is kept whole up to the longest one Windows keeps in an environment variable.
constexpr int kValueSize = 32768;
constexpr const char* kDefaultShortcutDescription = "Varnex Group installer shortcut";

template <typename Value> struct Named {
    const char* name;
    Value value;
};
using Mode = EnvironmentValue::Mode;
using ShortcutKind = ShellShortcuts::Kind;
// The element names of the environment items, the "Type" values of the shortcut items.
constexpr Named<Mode> kEnvironmentModes[] = {
    {"Replace", Mode::kReplace}, {"Append", Mode::kAppend}, {"Insert", Mode::kInsert}};
constexpr Named<ShortcutKind> kShortcutKinds[] = {{"File", ShortcutKind::kFile},
                                                  {"URL", ShortcutKind::kUrl},
                                                  {"Uninstall", ShortcutKind::kUninstall}};

// The value named `text` (compared with `same`), or nothing.
template <typename Value, size_t count, typename Same>
std::optional<Value> lookUp(const Named<Value> (&table)[count], const char* text, Same same) {
    for (const Named<Value>& entry : table)
        if (text != nullptr && same(text, entry.name))
            return entry.value;
    return std::nullopt;
}
} // namespace

InstallationItems::InstallationItems(const Description& description, const VariableStore& variables,
                                     SystemChanges& system, ActionLog& actionLog, RunReporter& ui)
    : description_(description), variables_(variables), system_(system), actionLog_(actionLog),
      ui_(ui) {}

// Every container of that name in document order, its children in document order; a failed
// child ends its container. True when every child was applied.
template <typename Apply> bool InstallationItems::forEachItem(const char* container, Apply apply) {
    const XmlDocument& document = description_.document();
    bool applied = true;
    for (int node = document.findNextByName(container, -1); node >= 0;
         node = document.findNextByName(container, node)) {
        IndexList children;
        document.getChildren(node, &children);
        for (int i = 0; i < children.count(); ++i) {
            if (!apply(children[i])) {
                applied = false;
                break;
            }
        }
    }
    return applied;
}

bool InstallationItems::expand(int item, const char* attribute, char* out, int size) {
    const XmlDocument& document = description_.document();
    const char* text =
        attribute != nullptr ? document.getAttribute(item, attribute) : document.nodeText(item);
    if (variables_.expand(text, out, size) == VariableStore::Expansion::kExpanded)
        return true;
    reportFormatted(ui_, "FAILED to expand %s", text != nullptr ? text : "");
    return false;
}

bool InstallationItems::check() {
    bool changed = false;
    bool environment = forEachItem("Environment", [this, &changed](int item) {
        return applyEnvironmentItem(item, Step::kCheck, &changed);
    });
    bool ini =
        forEachItem("IniFiles", [this](int item) { return applyIniItem(item, Step::kCheck); });
    bool shortcuts = forEachItem(
        "Shortcuts", [this](int item) { return applyShortcutItem(item, Step::kCheck); });
    return environment && ini && shortcuts;
}

bool InstallationItems::applyEnvironmentItems() {
    bool changed = false;
    bool applied = forEachItem("Environment", [this, &changed](int item) {
        return applyEnvironmentItem(item, Step::kApply, &changed);
    });
    // Running programs learn of the change once, and only of a batch that was applied whole.
    if (applied && changed)
        system_.broadcastEnvironmentChange();
    return applied;
}

bool InstallationItems::applyEnvironmentItem(int item, Step step, bool* changed) {
    const XmlDocument& document = description_.document();
    const char* name = document.getAttribute(item, "VarName");
    std::optional<Mode> mode =
        lookUp(kEnvironmentModes, document.nodeName(item),
               [](const char* a, const char* b) { return strcasecmp(a, b) == 0; });
    if (name == nullptr || document.nodeText(item) == nullptr || !mode)
        return true;
    std::unique_ptr<char[]> value(new char[kValueSize]);
    if (!expand(item, nullptr, value.get(), kValueSize))
        return false;
    if (step == Step::kCheck)
        return true;
    collapseSeparators(value.get());
    bool isPath = document.getAttribute(item, "IsPath") != nullptr;
    RecordSink record = [this](const std::string& text) {
        return actionLog_.writeEnvironment(text.c_str());
    };
    if (!system_.changeEnvironment(name, value.get(), *mode, record, &ui_, isPath))
        return false;
    *changed = true;
    return true;
}

bool InstallationItems::applyIniItems() {
    return forEachItem("IniFiles", [this](int item) { return applyIniItem(item, Step::kApply); });
}

bool InstallationItems::applyIniItem(int item, Step step) {
    const XmlDocument& document = description_.document();
    if (document.getAttribute(item, "FileName") == nullptr || document.nodeText(item) == nullptr ||
        document.getAttribute(item, "Section") == nullptr ||
        document.getAttribute(item, "Key") == nullptr ||
        !ConditionEvaluator::evaluate(variables_, document.getAttribute(item, "Condition")) ||
        strcasecmp(document.nodeName(item), "Add") != 0)
        return true;
    std::unique_ptr<char[]> value(new char[kValueSize]);
    char file[kPathSize], section[kTextSize], key[kTextSize], before[kTextSize];
    if (!expand(item, nullptr, value.get(), kValueSize) ||
        !expand(item, "FileName", file, sizeof file) ||
        !expand(item, "Section", section, sizeof section) ||
        !expand(item, "Key", key, sizeof key) || !expand(item, "BeforeKey", before, sizeof before))
        return false;
    if (step == Step::kCheck)
        return true;
    collapseSeparators(value.get());
    collapseSeparators(file);
    bool isPath = document.getAttribute(item, "IsPath") != nullptr;
    RecordSink record = [this](const std::string& text) {
        return actionLog_.writeIni(text.c_str());
    };
    return system_.changeIniFile(file, section, key, value.get(), record, &ui_, isPath, before);
}

bool InstallationItems::applyShortcutItems() {
    return forEachItem("Shortcuts",
                       [this](int item) { return applyShortcutItem(item, Step::kApply); });
}

bool InstallationItems::applyShortcutItem(int item, Step step) {
    const XmlDocument& document = description_.document();
    const char* type = document.getAttribute(item, "Type");
    std::optional<ShortcutKind> kind = lookUp(
        kShortcutKinds, type, [](const char* a, const char* b) { return std::strcmp(a, b) == 0; });
    const char* name = document.nodeText(item);
    if (!ConditionEvaluator::evaluate(variables_, document.getAttribute(item, "Condition")) ||
        !kind || document.getAttribute(item, "Dest") == nullptr || name == nullptr ||
        (kind != ShortcutKind::kUninstall && document.getAttribute(item, "Target") == nullptr) ||
        strcasecmp(document.nodeName(item), "Add") != 0)
        return true;
    char folder[kPathSize], target[kPathSize] = {}, start[kPathSize] = {}, path[kPathSize];
    std::string arguments;
    bool hasArguments = document.getAttribute(item, "Arguments") != nullptr;
    if (hasArguments)
        arguments = document.getAttribute(item, "Arguments");
    bool hasStart = document.getAttribute(item, "StartPath") != nullptr;
    if (!expand(item, "Dest", folder, sizeof folder - 1) ||
        (hasStart && !expand(item, "StartPath", start, sizeof start)))
        return false;
    if (kind == ShortcutKind::kUninstall) {
        UninstallRegistration registration;
        char text[kPathSize];
        bool named = description_.getUninstallCmd(target, sizeof target) &&
                     description_.getInstallLogFile(text, sizeof text);
        registration.actionLogPath = text;
        named = named && description_.getProductName(text, sizeof text);
        registration.productName = text;
        if (!named) {
            reportFormatted(ui_, "FAILED to create  shortcut %s", name);
            return false;
        }
        arguments = registration.uninstallArguments();
        hasArguments = true;
    } else if (!expand(item, "Target", target, sizeof target)) {
        return false;
    }
    if (kind != ShortcutKind::kUrl)
        collapseSeparators(target);
    collapseSeparators(start);
    bool formed = formShortcutFolder(folder, sizeof folder) &&
                  boundedFormat(path, sizeof path, "%s%s", folder, name) >= 0 &&
                  fileaccess::fitsPathLimit(path);
    if (!formed || (step == Step::kApply && !makeShortcutFolder(folder))) {
        reportFormatted(ui_, "FAILED to create  shortcut %s%s", folder, name);
        return false;
    }
    if (step == Step::kCheck)
        return true;
    const char* description = document.getAttribute(item, "Description");
    RecordSink record = [this](const std::string& text) {
        return actionLog_.writeShortcut(text.c_str());
    };
    return system_.createShortcut(
        *kind, path, target, description != nullptr ? description : kDefaultShortcutDescription,
        hasArguments ? arguments.c_str() : nullptr, hasStart ? start : nullptr, record, &ui_);
}

// The folder with its separator, made canonical and created; the levels to make are recorded
// before them (and before the shortcut), so that the uninstall removes them after deleting it.
bool InstallationItems::formShortcutFolder(char* folder, int size) {
    return appendText(folder, size, "\\") && isFullPath(folder) && normalizePath(folder);
}

bool InstallationItems::makeShortcutFolder(const char* folder) {
    int created = 0;
    int createdLength = 0;
    return makeDirectories(folder, &created, &createdLength,
                           [this, folder](int levels, int length) {
                               std::string deepest(folder, static_cast<size_t>(length));
                               return actionLog_.writeDirectory(levels, deepest.c_str());
                           });
}
