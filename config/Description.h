// The installation description: the parsed document and the texts read from it by path, the
// product data and the uninstall paths. The paths are expanded with the installation's
// variables; every getter returns true when the buffer holds the whole text and refuses (false,
// empty buffer) a text that is missing or does not fit whole, since these texts name files,
// registry entries and addresses.
#pragma once

#include "config/XmlDocument.h"

#include <cstddef>
#include <string>

class VariableStore;

class Description {
  public:
    explicit Description(const VariableStore& variables) : variables_(variables) {}

    // The description's bytes as they travel in the package or were saved for the uninstall,
    // in their own encoding (see XmlDocument::load); false, with `problem` saying why, when
    // they cannot be decoded.
    bool load(const char* bytes, size_t length) { return document_.load(bytes, length); }
    const std::string& problem() const { return document_.problem(); }
    // A text already in the process code page.
    void parse(const char* text, size_t length) { document_.parse(text, length); }
    const XmlDocument& document() const { return document_; }
    bool hasProductDescription() const;

    bool getProductName(char* out, int size) const;
    bool getVersionString(char* out, int size) const;
    bool getWebsite(char* out, int size) const;
    // The vendor's name for the list of installed programs; false when the description names none.
    bool getPublisher(char* out, int size) const;
    bool getHelpUrl(char* out, int size) const;
    bool getInstallLogFile(char* out, int size) const;
    bool getInstallBackupFile(char* out, int size) const;
    bool getUninstallCmd(char* out, int size) const;
    bool getUninstallXmlFile(char* out, int size) const;
    // Whether the description names an uninstaller at all (one that does not expand is still
    // named).
    bool hasUninstallCmd() const;

  private:
    // The text of the element at the lenient path, or null.
    const char* text(const char* path) const;
    bool copyProductText(const char* element, char* out, int size) const;
    bool expandUninstallText(const char* element, char* out, int size) const;

    const VariableStore& variables_;
    XmlDocument document_;
};
