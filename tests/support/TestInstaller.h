// Test helpers: an installer object whose system changes do nothing, and a UI handler that
// records the questions it is asked and ends its run at once.
#pragma once

#include "package/BoundedText.h"
#include "startup/Installer.h"
#include "ui/ConsoleUI.h"

#include <string>
#include <vector>

class TestInstaller : public Installer {
  public:
    int isAppRunning(const char*) override { return 0; }
    int changeEnvironment(const char*, const char*, int, char*, int, InstallerUI*, int) override {
        return 0;
    }
    int undoEnvironmentChange(const char*, InstallerUI*) override { return 0; }
    int broadcastEnvironmentChange() override { return 1; }
    int changeIniFile(const char*, const char*, const char*, const char*, int, char*, int,
                      InstallerUI*, int, const char*) override {
        return 0;
    }
    int undoIniChange(const char*, InstallerUI*) override { return 0; }
    int createShortcut(int, const char*, const char*, const char*, const char*, const char*, char*,
                       int, InstallerUI*) override {
        return 0;
    }
    int undoShortcut(const char*, InstallerUI*) override { return 0; }
    int launch(const char*, int, const char*) override { return 0; }
    int getConfigFile(char* out, int size) override {
        return copyText(out, size, configFile.c_str()) == 0 ? 0 : -1;
    }

    std::string configFile;
};

// A test installer whose description holds only the given pages (the children of "Dialogs"),
// read as the loader reads them, with the wizard on the first page.
class PagesInstaller : public TestInstaller {
  public:
    explicit PagesInstaller(const std::string& dialogs) {
        std::string text = "<R><Dialogs>" + dialogs + "</Dialogs></R>";
        description_.parse(text.c_str());
        readDialogs(0);
        readFields(0);
        currentDialog_ = 0;
    }
};

// The console handler's operations do nothing and answer 0, except the ones recorded here.
class RecordingUI : public ConsoleUI {
  public:
    int run() override {
        ++runs;
        return runResult;
    }
    int finish() override { return 0; }
    int confirmCancel() override { return 0; }
    int reportLine(int, int, const char*, int, int) override { return 0; }
    int ask(const char* text, int kind) override {
        questions.push_back(std::to_string(kind) + ":" + text);
        return 1;
    }

    int runs = 0;
    int runResult = 0;
    std::vector<std::string> questions;
};
