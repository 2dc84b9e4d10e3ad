// Shortcut files through the shell's COM objects: shell links to a file or to this product's
// uninstaller, and Internet shortcuts. COM is initialised around each shortcut.
#pragma once

#include "system/RecordSink.h"

class RunReporter;

class ShellShortcuts {
  public:
    // A shell link to a file, an Internet shortcut, a shell link to this product's uninstaller.
    enum class Kind { kFile, kUrl, kUninstall };

    // True when the shortcut file was saved. Before it is saved, `record` gets "CREATE\t<path>\t-";
    // once saved, "CREATE\t<path>\t<crc>", crc being 8 hex digits of the CRC-32 of the file as
    // saved, which the uninstall takes instead of the first. A shortcut whose records are not
    // kept is not made, or deleted again; so is one that cannot be read back right after saving.
    // A shortcut file that already exists is this item's failure and is left untouched: the
    // uninstall would otherwise delete a file the installation never made. For kUninstall,
    // `target` and `arguments` are the uninstaller and its arguments. Reports "Create  shortcut
    // PATH" or "FAILED to create  shortcut PATH" (the prefix keeps its blank before " shortcut ").
    static bool create(Kind kind, const char* path, const char* target, const char* description,
                       const char* arguments, const char* workingFolder, const RecordSink& record,
                       RunReporter* ui);
    // Deletes the shortcut of a "CREATE" record while the file still holds the bytes saved.
    // True when nothing of ours remains: deleted, already gone (both reported "Remove  shortcut
    // PATH"), or replaced by the user, whose file stays ("Left  shortcut PATH"). False when the
    // file cannot be read or deleted ("FAILED to remove  shortcut PATH") or the record is
    // damaged (reported nothing). A record with the check "-" alone (the run stopped while the
    // shell saved the file) deletes whatever file stands there: it came from that save.
    static bool undo(const char* record, RunReporter* ui);
};
