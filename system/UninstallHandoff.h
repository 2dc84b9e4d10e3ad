// How the uninstall command hands its work to a copy of itself and still ends with the outcome.
// The registered program cannot remove itself while it runs, so it starts a copy from a private
// temporary folder and waits; the copy tells it the outcome through an inherited pipe as soon as
// only the program itself remains, waits for it to end, and then removes the program. A copy
// that dies says nothing: the waiting side then takes its exit code.
#pragma once

#include "system/WinHandle.h"

#include <string>

class UninstallHandoff {
  public:
    // The waiting side. Starts `command` (which the handles option is appended to) in `folder`;
    // `copyProgram` is the copy being started, removed by the system when the copy has ended.
    bool start(const std::string& command, const std::string& folder,
               const std::string& copyProgram);
    // Blocks until the copy told its outcome or has ended; the process exit code to give.
    int awaitOutcome();
    // Whether the copy ended without telling an outcome (it then left its work unfinished).
    bool copyEnded() const { return copyEnded_; }

    // The copy's side, from the value of the handles option; false when it names no handles
    // this process holds.
    bool adopt(const char* optionValue);
    // Gives the outcome to the waiting side, once; then waits (at most `boundMs`) for it to end.
    void tellOutcome(int exitCode, unsigned long boundMs);
    bool told() const { return told_; }

    static constexpr const char* kOption = "handoff";
    // The names of the two copies in the folder.
    static constexpr const char* kProgramName = "lumouninst.dll";
    static constexpr const char* kLogName = "lumouninst.log";

    // The waiting side, before anything else: true when this is the only uninstall command
    // running and no uninstall runs (held until this object goes). A second command would keep
    // its program, the installed uninstaller, running while the first one's copy removes it.
    bool claimCommand();

    // A new folder below the temporary folder that no one else can write to or have planted
    // anything in; empty when none could be made.
    static std::string createFolder();
    // Removes the folder and the copies in it (the waiting side, when the copy has ended).
    static void removeFolder(const std::string& folder);
    // The copy's side at its very end, once the log copy is gone: its own program goes when the
    // copy has ended, and the folder, then empty, right after.
    void leaveFolder();
    // Removes the empty folders earlier copies left (one whose last step failed).
    static void removeEmptyFolders();

  private:
    void waitOutOnTheFolder(const std::string& parent);

    WinHandle process_;       // the copy (waiting side) or the waiting process (copy side)
    WinHandle outcome_;       // the pipe's read end (waiting side) or write end (copy side)
    WinHandle folderRemoval_; // copy side: removes the folder when its last holder closes it
    WinHandle command_;       // waiting side: the mutex only one uninstall command holds
    bool copyEnded_ = false;
    bool told_ = false;
};
