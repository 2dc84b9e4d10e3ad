// The "PostInstall" and "PreUninstall" programs and documents of the description: every element
// of the kind in document order, each one's actions from the last child to the first. Nothing
// waits for them and nothing is reported. An action whose path or arguments do not expand whole
// is not started: cut at an undefined variable, it would start something else.
#pragma once

class SystemChanges;
class VariableStore;
class XmlDocument;

class ProgramActions {
  public:
    ProgramActions(const XmlDocument& description, const VariableStore& variables,
                   SystemChanges& system)
        : description_(description), variables_(variables), system_(system) {}

    // Starts the actions of that kind ("PostInstall" or "PreUninstall"); 0.
    int run(const char* kind);

  private:
    void runAction(int action);

    const XmlDocument& description_;
    const VariableStore& variables_;
    SystemChanges& system_;
};
