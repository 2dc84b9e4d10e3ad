// The installation description: the parsed document and the texts read from it by path, the
// product data and the uninstall paths. The paths are expanded with the installation's
// variables; every getter refuses (-1, empty buffer) a text that is missing or does not fit
// whole, since these texts name files, registry entries and addresses.
#pragma once

#include "config/XmlDocument.h"

#include <cstddef>

class VariableStore;

class Description {
  public:
    explicit Description(const VariableStore& variables) : variables_(variables) {}

    int parse(const char* text, size_t length) { return document_.parse(text, length); }
    const XmlDocument& document() const { return document_; }
    bool hasProductDescription() const;

    int getProductName(char* out, int size) const;
    int getVersionString(char* out, int size) const;
    int getWebsite(char* out, int size) const;
    // The vendor's name for the list of installed programs; -1 when the description names none.
    int getPublisher(char* out, int size) const;
    int getHelpUrl(char* out, int size) const;
    int getInstallLogFile(char* out, int size) const;
    int getInstallBackupFile(char* out, int size) const;
    int getUninstallCmd(char* out, int size) const;
    int getUninstallXmlFile(char* out, int size) const;
    // Whether the description names an uninstaller at all (one that does not expand is still
    // named).
    bool hasUninstallCmd() const;

  private:
    // The text of the element at the lenient path, or null.
    const char* text(const char* path) const;
    int copyProductText(const char* element, char* out, int size) const;
    int expandUninstallText(const char* element, char* out, int size) const;

    const VariableStore& variables_;
    XmlDocument document_;
};
