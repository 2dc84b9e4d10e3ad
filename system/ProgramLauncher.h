// Starting other programs without waiting for them: the post-install and pre-uninstall actions
// and the wizard's help document.
#pragma once

class ProgramLauncher {
  public:
    enum class Kind { kProgram, kDocument };

    // A document opens with its associated program (ShellExecute "open"): true when the system
    // took it. A program starts with the quoted path, a space and the arguments: true when it
    // started. A command line that does not fit is not started.
    static bool launch(const char* file, Kind kind, const char* arguments);
    // Opens the address with the program associated with ".htm" ("%1" replaced by the address,
    // else the address appended after a space); a command that does not fit is not started.
    // Nobody waits for the help document: whether it opened is not asked.
    static void showHelpDocument(const char* address);
};
