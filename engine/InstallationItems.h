// The environment, INI and shortcut items of the description, applied after the files through
// the system side; each change leaves its undo record in the action log. Each step returns 0,
// or 1 when an item failed; a failed item ends its container, the next container is still
// applied. An item whose texts do not expand whole fails: a value, file or folder cut at an
// undefined variable would change something other than what the description names.
#pragma once

#include <memory>

class ActionLog;
class Description;
class InstallerUI;
class SystemChanges;
class VariableStore;

class InstallationItems {
  public:
    InstallationItems(const Description& description, const VariableStore& variables,
                      SystemChanges& system, ActionLog& actionLog, InstallerUI& ui);

    int applyEnvironmentItems();
    int applyIniItems();
    int applyShortcutItems();

  private:
    // Each: true when the item succeeded or was skipped.
    bool applyEnvironmentItem(int item, bool* changed);
    bool applyIniItem(int item);
    bool applyShortcutItem(int item);
    // The attribute (or the element's text, for a null name) expanded whole into out[512];
    // false with a report when it does not expand.
    bool expand(int item, const char* attribute, char* out, int size);
    bool makeShortcutFolder(char* folder, int size);
    template <typename Apply> int forEachItem(const char* container, Apply apply);

    const Description& description_;
    const VariableStore& variables_;
    SystemChanges& system_;
    ActionLog& actionLog_;
    InstallerUI& ui_;
    // The record a change returns: as long as an action-log line can be.
    std::unique_ptr<char[]> record_;
};
