// The variables' initial values: the description's DefValues, then those of the optional
// configuration file, which override them. A value is a literal (with $NAME references to
// variables already set) or a registry value; one that cannot be obtained whole leaves its
// variable as it was.
#pragma once

class RunReporter;
class Log;
class VariableStore;
class XmlDocument;

class DefaultValues {
  public:
    DefaultValues(VariableStore& variables, Log* debugLog)
        : variables_(variables), debugLog_(debugLog) {}

    // False when the document has no DefValues.
    bool apply(const XmlDocument& document);
    // The description's values, then the configuration file's when one is named (null or empty:
    // none). False when the description has none, or the named file cannot be read (the user is
    // told).
    bool initialize(const XmlDocument& description, const char* configFile, RunReporter* ui);

  private:
    bool applyValue(const XmlDocument& document, int node);
    bool expandDollarReferences(const char* text, char* out, int size) const;

    VariableStore& variables_;
    Log* debugLog_;
};
