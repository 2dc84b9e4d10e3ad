// What a description asks the package to hold: the files of its file sets under their aliases
// and the payload entries its wizard pages show. Read with the engine's own XmlDocument, so
// the packer sees the description exactly as the engine will.
#pragma once

#include <string>
#include <vector>

class XmlDocument;

struct FileReference {
    std::string path;  // the FN text: relative to the source root, either separator
    std::string alias; // the entry name
};

struct WizardResource {
    std::string name;    // the entry name
    std::string element; // the page element that shows it, for messages
};

struct DescriptionNeeds {
    bool hasProductDesc = false;
    std::vector<FileReference> files;
    std::vector<WizardResource> resources;
    std::vector<std::string> problems;
};

class DescriptionScanner {
  public:
    static DescriptionNeeds scan(const XmlDocument& document);
    // The default alias: the reference with every slash and backslash removed.
    static std::string defaultAlias(const std::string& reference);

  private:
    static void scanFileSet(const XmlDocument& document, int fileSet, DescriptionNeeds& needs);
    static void scanPages(const XmlDocument& document, int dialogs, DescriptionNeeds& needs);
};
