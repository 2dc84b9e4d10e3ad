// The environment, INI and shortcut items of the description, applied after the files through
// the system side; each change leaves its undo record in the action log. Each step returns 0,
// or 1 when an item failed; a failed item ends its container, the next container is still
// applied. An item whose texts do not expand whole fails: a value, file or folder cut at an
// undefined variable would change something other than what the description names.
#pragma once

#include <memory>

class ActionLog;
class Description;
class RunReporter;
class SystemChanges;
class VariableStore;

class InstallationItems {
  public:
    InstallationItems(const Description& description, const VariableStore& variables,
                      SystemChanges& system, ActionLog& actionLog, RunReporter& ui);

    // Each true when every item of its kind was applied (or had nothing to do).
    bool applyEnvironmentItems();
    bool applyIniItems();
    bool applyShortcutItems();
    // Forms every item as it would be applied and changes nothing: false (each problem
    // reported) when an item could not be applied as described, so that the run can stop before
    // its first change.
    bool check();

  private:
    // What a step does with an item once it is formed whole.
    enum class Step { kApply, kCheck };
    // Each: true when the item succeeded (or, checked, could be applied) or was skipped.
    bool applyEnvironmentItem(int item, Step step, bool* changed);
    bool applyIniItem(int item, Step step);
    bool applyShortcutItem(int item, Step step);
    // The attribute (or the element's text, for a null name) expanded whole into out[size];
    // false with a report when it does not expand.
    bool expand(int item, const char* attribute, char* out, int size);
    // The folder with its separator, made canonical; false when it is no full path.
    static bool formShortcutFolder(char* folder, int size);
    bool makeShortcutFolder(const char* folder);
    template <typename Apply> bool forEachItem(const char* container, Apply apply);

    const Description& description_;
    const VariableStore& variables_;
    SystemChanges& system_;
    ActionLog& actionLog_;
    RunReporter& ui_;
};
