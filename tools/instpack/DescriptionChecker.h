// What a description asks that the engine will not honour. Errors are what the engine refuses
// when it installs (a file name Windows reserves, a text longer than the engine's field, which
// it skips rather than use cut); warnings are what it will most likely do otherwise than meant.
// The limits come from the engine's own records, so they follow any change of their fields.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class XmlDocument;

struct DescriptionFindings {
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
};

class DescriptionChecker {
  public:
    // `document` is `text` (of `length` bytes) parsed.
    static DescriptionFindings check(const XmlDocument& document, const char* text, size_t length);

  private:
    static void checkFileSets(const XmlDocument& document, DescriptionFindings& findings);
    static void checkFile(const XmlDocument& document, int file, DescriptionFindings& findings);
    static void checkPages(const XmlDocument& document, DescriptionFindings& findings);
    static void checkUninstallPaths(const XmlDocument& document, DescriptionFindings& findings);
    static void checkEmptyElementTags(const char* text, size_t length,
                                      DescriptionFindings& findings);
};
