// The record a -log file keeps of a run: every report line, every question with its answer.
// Wraps the handler the run reports through and passes every call on unchanged.
#pragma once

#include "ui/InstallerUI.h"

class Transcript;

class TranscriptUI : public InstallerUI {
  public:
    // `transcript` may be null: then nothing is kept.
    TranscriptUI(InstallerUI& inner, Transcript* transcript)
        : inner_(inner), transcript_(transcript) {}

    bool run() override { return inner_.run(); }
    void finish() override { inner_.finish(); }
    void showFields(int page) override { inner_.showFields(page); }
    void showPage(int page) override { inner_.showPage(page); }
    void storeFields(int page) override { inner_.storeFields(page); }
    void leavePage(int page) override { inner_.leavePage(page); }
    bool confirmCancel() override;
    void setHelpCaption(const char* text) override { inner_.setHelpCaption(text); }
    void setBackCaption(const char* text) override { inner_.setBackCaption(text); }
    void setNextCaption(const char* text) override { inner_.setNextCaption(text); }
    void setCancelCaption(const char* text) override { inner_.setCancelCaption(text); }
    void enableHelp(bool enabled) override { inner_.enableHelp(enabled); }
    void enableBack(bool enabled) override { inner_.enableBack(enabled); }
    void enableNext(bool enabled) override { inner_.enableNext(enabled); }
    void enableCancel(bool enabled) override { inner_.enableCancel(enabled); }
    void showHelp(bool shown) override { inner_.showHelp(shown); }
    void showBack(bool shown) override { inner_.showBack(shown); }
    void showNext(bool shown) override { inner_.showNext(shown); }
    void showCancel(bool shown) override { inner_.showCancel(shown); }
    void setOverallProgress(int percent) override { inner_.setOverallProgress(percent); }
    void setCurrentProgress(int percent) override { inner_.setCurrentProgress(percent); }
    void setStatusText(const char* text) override { inner_.setStatusText(text); }
    bool processEvents() override { return inner_.processEvents(); }
    bool reportLine(const char* text) override;
    bool ask(const char* text, Question kind) override;

  private:
    InstallerUI& inner_;
    Transcript* transcript_;
};
