// Starting other programs without waiting for them: the post-install and pre-uninstall actions
// and the wizard's help document.
#pragma once

class ProgramLauncher {
  public:
    // A document opens with its associated program (ShellExecute "open"): 1 when the system
    // took it. A program starts with the quoted path, a space and the arguments: 1 when it
    // started. A command line that does not fit is not started (0).
    static int launch(const char* file, int asDocument, const char* arguments);
    // Opens the address with the program associated with ".htm" ("%1" replaced by the address,
    // else the address appended after a space); a command that does not fit is not started. 0.
    static int showHelpDocument(const char* address);
};
