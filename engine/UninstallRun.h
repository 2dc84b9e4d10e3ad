// One uninstall, or the rollback of a run: reads the action log from its first line, restores
// the backed-up files, deletes what the installation created, undoes its system changes and
// removes the folders it made.
#pragma once

#include <cstdio>

class InstallerUI;
class SystemChanges;
class VariableStore;
class XmlDocument;

class UninstallRun {
  public:
    UninstallRun(const XmlDocument& description, VariableStore& variables, SystemChanges& system,
                 InstallerUI& ui);

    // 0 when every deletion and removal succeeded, else -1; a null backup path reads it from
    // the action log.
    int perform(std::FILE* actionLog, const char* backupPath);
};
