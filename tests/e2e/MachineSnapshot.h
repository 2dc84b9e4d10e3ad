// What an installation may change on the machine, taken before and compared after: the files below
// some folders with their contents, the machine-wide environment and the uninstall registrations.
#pragma once

#include <map>
#include <string>
#include <vector>

class MachineSnapshot {
  public:
    explicit MachineSnapshot(const std::vector<std::string>& folders);
    // One line per difference from `before` ("+ ", "- ", "~ " changed), sorted.
    std::vector<std::string> differencesFrom(const MachineSnapshot& before) const;

  private:
    void addFolder(const std::string& folder);
    void addRegistryKey(const std::string& name, const char* path);

    // "file:PATH" -> content, "folder:PATH" -> "", "value:KEY\NAME" -> type and data.
    std::map<std::string, std::string> items_;
};
