// Shortcut files through the shell's COM objects: shell links to a file or to this product's
// uninstaller, and Internet shortcuts. COM is initialised around each shortcut.
#pragma once

class InstallerUI;

class ShellShortcuts {
  public:
    static constexpr int kFile = 1;
    static constexpr int kUrl = 2;
    static constexpr int kUninstall = 3;

    // 1 when the shortcut file was saved; the record "CREATE\t<path>" is then written (whole, or
    // the shortcut is not made). A shortcut file that already exists is this item's failure and
    // is left untouched: the uninstall would otherwise delete a file the installation never
    // made. For kUninstall, `target` and `arguments` are the uninstaller and its arguments.
    // Reports "Create  shortcut PATH" or "FAILED to create  shortcut PATH" (the prefix keeps its
    // blank before " shortcut ").
    static int create(int kind, const char* path, const char* target, const char* description,
                      const char* arguments, const char* workingFolder, char* record,
                      int capacity, InstallerUI* ui);
    // Deletes the shortcut of a "CREATE" record; 1 also for a record that needs nothing.
    // Reports "Remove  shortcut PATH" or "FAILED to remove  shortcut PATH".
    static int undo(const char* record, InstallerUI* ui);
};
