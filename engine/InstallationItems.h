// The environment, INI and shortcut items of the description, applied after the files through
// the system side; each change leaves its undo record in the action log. Each step returns 0,
// or 1 when an item failed (the rest of its container is still applied).
#pragma once

class ActionLog;
class InstallerUI;
class SystemChanges;
class VariableStore;
class XmlDocument;

class InstallationItems {
  public:
    InstallationItems(const XmlDocument& description, const VariableStore& variables,
                      SystemChanges& system, ActionLog& actionLog, InstallerUI& ui);

    int applyEnvironmentItems();
    int applyIniItems();
    int applyShortcutItems();
};
