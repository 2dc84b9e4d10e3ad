// What Windows removes at its next start: the files and folders an uninstall could not remove
// while they were in use. Windows keeps them in the Session Manager's
// "PendingFileRenameOperations", pairs of a source ("\??\C:\...") and a target, an empty target
// meaning removal.
#pragma once

class RestartRemovals {
  public:
    // Has the file, or the folder if it is then empty, removed at the next start; false when
    // it cannot be scheduled.
    static bool schedule(const char* path);
    // A file scheduled for removal is removed now and taken off the list, so that a later
    // installation's file of that name does not go with the earlier uninstall's leftovers (an
    // uninstaller removed at the start of Windows would leave a registration nothing can
    // remove); so is each folder above it that is scheduled and empty now, so that the
    // installation makes it again as its own. True also when nothing was scheduled; false when
    // the file is and cannot be removed now, or the list cannot be read whole or written back.
    // Every other entry stays as it was.
    static bool settle(const char* path);
};
