// The installer object on Windows: temporary names, the configuration file option and every
// system change (environment, INI files, shortcuts, launching, running programs).
#pragma once

#include "startup/Installer.h"

class WindowsInstaller : public Installer {
  public:
    WindowsInstaller() = default;
    ~WindowsInstaller() override = default;

    int makeTempFileName(char* out, int size) override;
    int isAppRunning(const char* moduleName) override;
    int changeEnvironment(const char* name, const char* value, int mode, char* record, int capacity,
                          InstallerUI* ui, int isPath) override;
    int undoEnvironmentChange(const char* record, InstallerUI* ui) override;
    int broadcastEnvironmentChange() override;
    int changeIniFile(const char* file, const char* section, const char* key, const char* value,
                      int mode, char* record, int capacity, InstallerUI* ui, int isPath,
                      const char* beforeKey) override;
    int undoIniChange(const char* record, InstallerUI* ui) override;
    int createShortcut(int kind, const char* path, const char* target, const char* description,
                       const char* arguments, const char* workingFolder, char* record, int capacity,
                       InstallerUI* ui) override;
    int undoShortcut(const char* record, InstallerUI* ui) override;
    int launch(const char* file, int asDocument, const char* arguments) override;
    int getConfigFile(char* out, int size) override;

    int tempNamesIssued() const { return tempCounter_; }

  private:
    int tempCounter_ = 0;
};
