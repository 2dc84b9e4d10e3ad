// Who may change a file. The undo data drives what an administrator's uninstall deletes, writes
// and starts: a file that anyone else could have written cannot be trusted with that.
#pragma once

class FileSecurity {
  public:
    // True when an account other than the administrators, SYSTEM, the system's installer service
    // and the running account may write the file, or replace it through its folder; also when
    // the file's permissions cannot be read. A file that is not there is nobody's to write.
    static bool othersMayWrite(const char* path);
    // Makes a folder that only the administrators, SYSTEM and the running account can open,
    // inheriting nothing from its parent; false when it exists already or cannot be made.
    static bool createPrivateFolder(const char* path);
};
