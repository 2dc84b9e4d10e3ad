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
    void setQuiet(bool quiet) { quiet_ = quiet; }
    // How the folders of "Directory" fields are looked at (the file system unless a test says).
    void setFolderProbe(DestinationCheck::Probe probe) { folderProbe_ = std::move(probe); }
    bool isRunning() const { return running_; }

    bool run() override;
    void finish() override;
    void showFields(int) override {}
    void showPage(int) override { flushOutput(); }
    void storeFields(int) override {}
    void leavePage(int) override { flushOutput(); }
    // Nothing in the dialogue offers a cancel.
    bool confirmCancel() override { return false; }
    void setHelpCaption(const char*) override {}
    void setBackCaption(const char*) override {}
    void setNextCaption(const char*) override {}
    void setCancelCaption(const char*) override {}
    void enableHelp(bool) override {}
    void enableBack(bool) override {}
    void enableNext(bool) override {}
    void enableCancel(bool) override {}
    void showHelp(bool) override {}
    void showBack(bool) override {}
    void showNext(bool) override {}
    void showCancel(bool) override {}
    void setOverallProgress(int) override {}
    void setCurrentProgress(int) override {}
    void setStatusText(const char*) override {}
    bool processEvents() override { return true; }
    bool reportLine(const char* text) override;
    bool ask(const char* text, Question kind) override;

  private:
    // An answer holds a whole path of 259 characters, 777 bytes in UTF-8.
    static constexpr int kLineSize = 1024;
    // Large enough for a few hundred report lines per write.
    static constexpr size_t kBlockSize = 32768;
    void put(const char* text);
    void putLine(const char* text);
    void flushOutput();
    // Reads one line (at most 1,023 bytes kept, the rest of a longer line dropped, the line end
    // removed). End of input gives the empty line. False when the line was longer.
    bool readLine(char* line);
    void askFieldValues();
    // Says what is wrong with the first folder of a "Directory" field of the page that cannot
    // take the installation; true when every one can.
    bool foldersUsable(int page);
    const char* closingLine() const;
    static const char* promptFor(Question kind);

    std::FILE* input_;
    std::FILE* output_;
    Wizard* wizard_ = nullptr;
    bool quiet_ = false;
    bool running_ = false;
    std::string pending_;
    DestinationCheck::Probe folderProbe_ = platform::pathKind;
};
