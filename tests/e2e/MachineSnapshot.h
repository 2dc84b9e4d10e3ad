// What an installation may change on the machine, taken before and compared after, so that
// "as it was before" is checked rather than assumed: the files below some folders with their
// contents, the machine-wide environment and the uninstall registrations.
#pragma once

#include <map>
#include <string>
#include <vector>

class MachineSnapshot {
  public:
    // Takes the snapshot of these folders (and every file and folder below them).
    explicit MachineSnapshot(const std::vector<std::string>& folders);
    // One line per difference from `before` ("+ path", "- path", "~ path" for a changed file or
    // value), sorted; empty when the machine is as it was.
    std::vector<std::string> differencesFrom(const MachineSnapshot& before) const;

  private:
    void addFolder(const std::string& folder);
    void addRegistryKey(const std::string& name, const char* path);

    // "file:PATH" -> content, "folder:PATH" -> "", "value:KEY\NAME" -> type and data.
    std::map<std::string, std::string> items_;
};
