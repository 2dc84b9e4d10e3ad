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

    int run() override { return inner_.run(); }
    int finish() override { return inner_.finish(); }
    int showFields(int page) override { return inner_.showFields(page); }
    int showPage(int page) override { return inner_.showPage(page); }
    int storeFields(int page) override { return inner_.storeFields(page); }
    int leavePage(int page) override { return inner_.leavePage(page); }
    int confirmCancel() override;
    int setHelpCaption(const char* text) override { return inner_.setHelpCaption(text); }
    int setBackCaption(const char* text) override { return inner_.setBackCaption(text); }
    int setNextCaption(const char* text) override { return inner_.setNextCaption(text); }
    int setCancelCaption(const char* text) override { return inner_.setCancelCaption(text); }
    int enableHelp(int flag) override { return inner_.enableHelp(flag); }
    int enableBack(int flag) override { return inner_.enableBack(flag); }
    int enableNext(int flag) override { return inner_.enableNext(flag); }
    int enableCancel(int flag) override { return inner_.enableCancel(flag); }
    int showHelp(int flag) override { return inner_.showHelp(flag); }
    int showBack(int flag) override { return inner_.showBack(flag); }
    int showNext(int flag) override { return inner_.showNext(flag); }
    int showCancel(int flag) override { return inner_.showCancel(flag); }
    int setOverallProgress(int percent) override { return inner_.setOverallProgress(percent); }
    int setCurrentProgress(int percent) override { return inner_.setCurrentProgress(percent); }
    int setStatusText(const char* text) override { return inner_.setStatusText(text); }
    int processEvents(int a, int b, int c, int d) override {
        return inner_.processEvents(a, b, c, d);
    }
    int reportLine(int a, int b, const char* text, int c, int d) override;
    int ask(const char* text, int kind) override;

  private:
    InstallerUI& inner_;
    Transcript* transcript_;
};
