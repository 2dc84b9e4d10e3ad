// The "PostInstall" and "PreUninstall" programs and documents of the description.
#pragma once

class SystemChanges;
class VariableStore;
class XmlDocument;

class ProgramActions {
  public:
    ProgramActions(const XmlDocument& description, const VariableStore& variables,
                   SystemChanges& system);

    // Starts the actions of that kind; 0.
    int run(const char* kind);
};
