#include "tools/instpack/DescriptionScanner.h"

#include "config/FileInfo.h"
#include "config/IndexList.h"
#include "config/XmlDocument.h"
#include "tools/instpack/PackageProblem.h"

#include <strings.h>

namespace {
std::string textOf(const XmlDocument& document, int node) {
    const char* text = document.nodeText(node);
    return text != nullptr ? std::string(text, static_cast<size_t>(document.nodeTextLength(node)))
                           : std::string();
}

// The wizard turns every backslash-n pair of an element's text into a line break before it
// uses the text, also as an entry name.
std::string asWizardText(const std::string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            result += "\r\n";
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::vector<int> childrenOf(const XmlDocument& document, int parent) {
    IndexList list;
    document.getChildren(parent, &list);
    return std::vector<int>(list.data(), list.data() + list.count());
}
} // namespace

std::string DescriptionScanner::defaultAlias(const std::string& reference) {
    std::string alias;
    for (char c : reference) {
        if (c != '/' && c != '\\')
            alias += c;
    }
    return alias;
}

DescriptionNeeds DescriptionScanner::scan(const XmlDocument& document) {
    DescriptionNeeds needs;
    needs.hasProductDesc = document.findNextByName("ProductDesc", -1) >= 0;
    for (int set = document.findNextByName("FileSet", -1); set >= 0;
         set = document.findNextByName("FileSet", set)) {
        // The engine skips a file set without a name, and so installs none of its files.
        if (document.getAttribute(set, "Name") != nullptr)
            scanFileSet(document, set, needs);
    }
    for (const char* dialogs : {"Dialogs", "UninstallDialogs"}) {
        int node = document.findNextByName(dialogs, -1);
        if (node >= 0)
            scanPages(document, node, needs);
    }
    return needs;
}

void DescriptionScanner::scanFileSet(const XmlDocument& document, int fileSet,
                                     DescriptionNeeds& needs) {
    for (int child : childrenOf(document, fileSet)) {
        std::string path = textOf(document, child);
        if (std::string(document.nodeName(child)) != "FN" || path.empty())
            continue;
        const char* alias = document.getAttribute(child, "Alias");
        FileReference reference{path, alias != nullptr ? alias : defaultAlias(path)};
        if (reference.alias.empty())
            needs.problems.push_back("the file reference \"" + path + "\" has an empty alias");
        else if (reference.alias.size() >= FileInfo::kAliasSize)
            needs.problems.push_back(PackageProblem::tooLong("FN " + PackageProblem::quoted(path),
                                                             "its alias", reference.alias.size(),
                                                             FileInfo::kAliasSize));
        else
            needs.files.push_back(reference);
    }
}

void DescriptionScanner::scanPages(const XmlDocument& document, int dialogs,
                                   DescriptionNeeds& needs) {
    for (int page : childrenOf(document, dialogs)) {
        for (int element : childrenOf(document, page)) {
            const char* name = document.nodeName(element);
            bool named = strcasecmp(name, "Image") == 0 || strcasecmp(name, "RichEditText") == 0;
            // Elements without a position are never shown, so their entries are never read.
            bool placed = document.getAttribute(element, "x") != nullptr &&
                          document.getAttribute(element, "y") != nullptr;
            std::string entry = asWizardText(textOf(document, element));
            if (named && placed && !entry.empty())
                needs.resources.push_back(
                    {entry, std::string(name) + " on page " + document.nodeName(page)});
        }
    }
}
