#include "tools/instpack/DescriptionChecker.h"

#include "config/DialogInfo.h"
#include "config/FileInfo.h"
#include "config/FileSetInfo.h"
#include "config/XmlDocument.h"
#include "package/Paths.h"
#include "package/Utf8Text.h"
#include "package/WinFile.h"
#include "tools/instpack/PackageProblem.h"

#include <cstring>
#include <set>
#include <strings.h>

namespace {
const char* const kUninstallPaths[] = {"InstallLogFile", "InstallBackupFile", "UninstallXmlFile",
                                       "UninstallCmd"};

const char kBlanks[] = " \t\r\n";

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(kBlanks);
    return first == std::string::npos
               ? std::string()
               : text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// Adds an error when the attribute does not fit the engine's field of `fieldSize` bytes.
void checkLength(const std::string& element, const std::string& what, const char* text,
                 size_t fieldSize, DescriptionFindings& findings) {
    size_t length = text != nullptr ? std::strlen(text) : 0;
    if (length >= fieldSize)
        findings.errors.push_back(PackageProblem::tooLong(element, what, length, fieldSize));
}

// A path's limit counts characters (UTF-16 units, as the engine counts them), not bytes.
void checkPathLength(const std::string& element, const std::string& what, const char* text,
                     size_t fieldSize, DescriptionFindings& findings) {
    if (text != nullptr && !fileaccess::fitsPathLimit(text, 65001))
        findings.errors.push_back(
            PackageProblem::tooLong(element, what, Utf8Text::utf16Length(text, std::strlen(text)),
                                    fieldSize, "characters"));
}

// The installed file's name as the engine takes it: what follows the last separator that is
// not the reference's last byte.
std::string installedName(const std::string& reference) {
    size_t start = 0;
    for (size_t i = 0; i + 1 < reference.size(); ++i) {
        if (isSeparator(reference[i]))
            start = i + 1;
    }
    return reference.substr(start);
}

std::vector<std::string> levelsOf(const std::string& reference) {
    std::vector<std::string> levels(1);
    for (char c : reference) {
        if (isSeparator(c))
            levels.emplace_back();
        else
            levels.back() += c;
    }
    return levels;
}

std::vector<int> childrenOf(const XmlDocument& document, int parent) {
    IndexList list;
    document.getChildren(parent, &list);
    return std::vector<int>(list.data(), list.data() + list.count());
}

// The variables the description itself defines: its default values and its fields. The engine
// defines none of its own.
std::set<std::string> definedVariables(const XmlDocument& document) {
    std::set<std::string> names;
    int defaults = document.findNextByName("DefValues", -1);
    // Elements come in document order, every parent before its children.
    std::vector<bool> inDefaults(static_cast<size_t>(document.nodeCount()), false);
    for (int node = 0; node < document.nodeCount(); ++node) {
        int parent = document.nodeParent(node);
        inDefaults[node] = node == defaults || (parent >= 0 && inDefaults[parent]);
        const char* name = document.nodeName(node);
        const char* variable = document.getAttribute(node, "Name");
        if (inDefaults[node] && strcasecmp(name, "Value") == 0 && variable != nullptr)
            names.insert(variable);
        if (strcasecmp(name, "Field") == 0 && document.nodeText(node) != nullptr)
            names.insert(document.nodeText(node));
    }
    return names;
}

// The names written in square brackets; an unclosed bracket takes the rest of the text.
std::vector<std::string> referencedVariables(const std::string& text) {
    std::vector<std::string> names;
    for (size_t open = text.find('['); open != std::string::npos; open = text.find('[', open + 1)) {
        size_t close = text.find(']', open + 1);
        names.push_back(text.substr(open + 1, close == std::string::npos ? std::string::npos
                                                                         : close - open - 1));
        if (close == std::string::npos)
            break;
        open = close;
    }
    return names;
}
} // namespace

DescriptionFindings DescriptionChecker::check(const XmlDocument& document, const char* text,
                                              size_t length) {
    DescriptionFindings findings;
    // The engine reads its variables' first values from there and stops without them.
    if (document.findNextByName("DefValues", -1) < 0)
        findings.errors.push_back("the description has no DefValues element: the engine stops "
                                  "before its first page without one");
    checkFileSets(document, findings);
    checkPages(document, findings);
    checkUninstallPaths(document, findings);
    checkEmptyElementTags(text, length, findings);
    return findings;
}

void DescriptionChecker::checkFileSets(const XmlDocument& document, DescriptionFindings& findings) {
    for (int set = document.findNextByName("FileSet", -1); set >= 0;
         set = document.findNextByName("FileSet", set)) {
        const char* name = document.getAttribute(set, "Name");
        if (name == nullptr)
            continue;
        std::string element = "FileSet " + PackageProblem::quoted(name);
        checkLength(element, "Name", name, sizeof(FileSetInfo::name), findings);
        checkLength(element, "Condition", document.getAttribute(set, "Condition"),
                    sizeof(FileSetInfo::condition), findings);
        for (int child : childrenOf(document, set)) {
            const char* reference = document.nodeText(child);
            if (std::strcmp(document.nodeName(child), "FN") == 0 && reference != nullptr &&
                reference[0] != '\0')
                checkFile(document, child, findings);
        }
    }
}

void DescriptionChecker::checkFile(const XmlDocument& document, int file,
                                   DescriptionFindings& findings) {
    std::string reference = document.nodeText(file);
    std::string element = "FN " + PackageProblem::quoted(reference);
    checkPathLength(element, "Dest", document.getAttribute(file, "Dest"),
                    FileInfo::kDestinationSize, findings);
    checkLength(element, "Condition", document.getAttribute(file, "Condition"),
                FileInfo::kConditionSize, findings);
    std::string name = installedName(reference);
    checkPathLength(element, "the file name", name.c_str(), FileInfo::kFileNameSize, findings);
    if (name == "." || name == "..")
        findings.errors.push_back(element + ": " + PackageProblem::quoted(name) +
                                  " cannot be a file's name; the engine refuses it");
    for (const std::string& level : levelsOf(reference)) {
        if (isReservedDeviceName(level.c_str(), static_cast<int>(level.size())))
            findings.errors.push_back(element + ": " + PackageProblem::quoted(level) +
                                      " is a device name Windows reserves; the engine refuses it");
    }
}

void DescriptionChecker::checkPages(const XmlDocument& document, DescriptionFindings& findings) {
    int installPages = document.findNextByName("Dialogs", -1);
    for (int dialogs : {installPages, document.findNextByName("UninstallDialogs", -1)}) {
        if (dialogs < 0)
            continue;
        for (int page : childrenOf(document, dialogs)) {
            std::string element = "page " + PackageProblem::quoted(document.nodeName(page));
            checkLength(element, "its name", document.nodeName(page), sizeof(DialogInfo::name),
                        findings);
            checkLength(element, "Condition", document.getAttribute(page, "Condition"),
                        sizeof(DialogInfo::condition), findings);
        }
    }
    bool copies = false;
    for (int page : installPages >= 0 ? childrenOf(document, installPages) : std::vector<int>())
        copies = copies || std::strcmp(document.nodeName(page), "CopyProgress") == 0;
    if (installPages < 0)
        findings.warnings.push_back("the description has no Dialogs element: the installer will "
                                    "install nothing");
    else if (!copies)
        findings.warnings.push_back("Dialogs has no CopyProgress page: the installer will install "
                                    "nothing");
}

void DescriptionChecker::checkUninstallPaths(const XmlDocument& document,
                                             DescriptionFindings& findings) {
    std::set<std::string> defined = definedVariables(document);
    for (const char* path : kUninstallPaths) {
        std::string full = std::string("VarnexGroupInstallation/Installation/Uninstall/") + path;
        int node = document.findPath(full.c_str(), -1, nullptr);
        if (node < 0 || document.nodeText(node) == nullptr)
            continue;
        for (const std::string& name : referencedVariables(document.nodeText(node))) {
            if (defined.count(name) == 0)
                findings.warnings.push_back(
                    std::string(path) + " refers to the variable [" + name +
                    "], which the description defines nowhere (a configuration file may still "
                    "define it)");
        }
    }
}

void DescriptionChecker::checkEmptyElementTags(const char* text, size_t length,
                                               DescriptionFindings& findings) {
    std::string xml(text, strnlen(text, length));
    // As the engine reads tags: from '<' to the next '>', whatever stands between.
    for (size_t open = xml.find('<'); open != std::string::npos; open = xml.find('<', open)) {
        size_t close = xml.find('>', open + 1);
        if (close == std::string::npos)
            break;
        std::string tag = trimmed(xml.substr(open + 1, close - open - 1));
        open = close;
        if (tag.empty() || tag[0] == '/' || tag.back() != '/')
            continue;
        std::string read = tag.substr(0, tag.find_first_of(kBlanks));
        std::string name = read.substr(0, read.find('/'));
        findings.warnings.push_back("<" + tag + "> is read as an element named " +
                                    PackageProblem::quoted(read) + " that stays open; write <" +
                                    trimmed(tag.substr(0, tag.size() - 1)) + "></" + name + ">");
    }
}
