// The console dialogue: asks every field once, then steps through the wizard; in quiet mode
// it asks nothing and answers every question positively.
// Output is gathered and written in blocks: on a console or NUL the runtime writes an
// unbuffered stream a character at a time, which made report lines cost milliseconds each. The
// gathered text is written out before every question, at every page change and at the end, so
// a person always sees everything before being asked.
#pragma once

#include "ui/DestinationCheck.h"
#include "ui/InstallerUI.h"

#include <cstdio>
#include <string>
#include <utility>

class Wizard;

class ConsoleUI : public InstallerUI {
  public:
    ConsoleUI(std::FILE* input = stdin, std::FILE* output = stdout);
    ~ConsoleUI() override { flushOutput(); }

    void setWizard(Wizard* wizard) { wizard_ = wizard; }
    void setQuiet(int quiet) { quiet_ = quiet; }
    // How the folders of "Directory" fields are looked at (the file system unless a test says).
    void setFolderProbe(DestinationCheck::Probe probe) { folderProbe_ = std::move(probe); }
    int isRunning() const { return running_; }

    int run() override;
    int finish() override;
    int showFields(int) override { return 0; }
    int showPage(int) override { return flushOutput(); }
    int storeFields(int) override { return 0; }
    int leavePage(int) override { return flushOutput(); }
    int confirmCancel() override { return 0; }
    int setHelpCaption(const char*) override { return 0; }
    int setBackCaption(const char*) override { return 0; }
    int setNextCaption(const char*) override { return 0; }
    int setCancelCaption(const char*) override { return 0; }
    int enableHelp(int) override { return 0; }
    int enableBack(int) override { return 0; }
    int enableNext(int) override { return 0; }
    int enableCancel(int) override { return 0; }
    int showHelp(int) override { return 0; }
    int showBack(int) override { return 0; }
    int showNext(int) override { return 0; }
    int showCancel(int) override { return 0; }
    int setOverallProgress(int) override { return 0; }
    int setCurrentProgress(int) override { return 0; }
    int setStatusText(const char*) override { return 0; }
    int processEvents(int, int, int, int) override { return 0; }
    int reportLine(int, int, const char* text, int, int) override;
    int ask(const char* text, int kind) override;

  private:
    static constexpr int kLineSize = 512;
    // Large enough for a few hundred report lines per write.
    static constexpr size_t kBlockSize = 32768;
    void put(const char* text);
    void putLine(const char* text);
    int flushOutput();
    // Reads one line (at most 511 characters kept, the rest of a longer line dropped, the line
    // end removed). End of input gives the empty line. False when the line was longer.
    bool readLine(char* line);
    void askFieldValues();
    // Says what is wrong with the first folder of a "Directory" field of the page that cannot
    // take the installation; true when every one can.
    bool foldersUsable(int page);
    const char* closingLine() const;

    std::FILE* input_;
    std::FILE* output_;
    Wizard* wizard_ = nullptr;
    int quiet_ = 0;
    int running_ = 0;
    std::string pending_;
    DestinationCheck::Probe folderProbe_ = platform::pathKind;
};
