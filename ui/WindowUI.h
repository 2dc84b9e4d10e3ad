// The graphical wizard: one fixed-size window with Help, Back, Next and Cancel at the bottom and
// the current page above them (its element windows and its field controls). The window also
// shows the progress of the installation and the uninstall, which run inside a button's command
// and keep the window alive through processEvents.
#pragma once

#include "package/RecordList.h"
#include "ui/InstallerUI.h"
#include "ui/PageWindows.h"
#include "ui/WindowContext.h"
#include "ui/WindowLook.h"

#include <windows.h>

class FieldControl;
class Wizard;

class WindowUI : public InstallerUI {
  public:
    static constexpr const char* kClassName = "VX::INSTALLER";
    static constexpr int kWidth = 500;
    static constexpr int kHeight = 380; // without the caption bar
    static constexpr int kHelpId = 101;
    static constexpr int kBackId = 102;
    static constexpr int kNextId = 103;
    static constexpr int kCancelId = 104;
    static constexpr int kFieldsTop = 85;
    static constexpr int kFirstFieldId = 2000;

    WindowUI();
    ~WindowUI() override;
    WindowUI(const WindowUI&) = delete;
    WindowUI& operator=(const WindowUI&) = delete;

    void setWizard(Wizard* wizard) { wizard_ = wizard; }
    void setContext(const WindowContext& context) { context_ = context; }

    bool run() override;
    void finish() override {}
    void showFields(int page) override;
    void showPage(int page) override;
    void storeFields(int page) override;
    void leavePage(int) override {}
    bool confirmCancel() override;
    void setHelpCaption(const char* text) override { setCaption(help_, text); }
    void setBackCaption(const char* text) override { setCaption(back_, text); }
    void setNextCaption(const char* text) override { setCaption(next_, text); }
    void setCancelCaption(const char* text) override { setCaption(cancel_, text); }
    void enableHelp(bool enabled) override { enable(help_, enabled); }
    void enableBack(bool enabled) override { enable(back_, enabled); }
    void enableNext(bool enabled) override { enable(next_, enabled); }
    void enableCancel(bool enabled) override { enable(cancel_, enabled); }
    void showHelp(bool shown) override { show(help_, shown); }
    void showBack(bool shown) override { show(back_, shown); }
    void showNext(bool shown) override { show(next_, shown); }
    void showCancel(bool shown) override { show(cancel_, shown); }
    void setOverallProgress(int percent) override { setProgress("Overall", percent); }
    void setCurrentProgress(int percent) override { setProgress("Current", percent); }
    void setStatusText(const char* text) override;
    bool processEvents() override;
    bool reportLine(const char* text) override;
    bool ask(const char* text, Question kind) override;

    // The window while it exists, for tests that look at it.
    HWND mainWindow() const { return mainWindow_; }
    // Builds the window and shows the current page without running the loop (run does both);
    // false when there is no wizard or the window cannot be made.
    bool buildWindow();

  private:
    static LRESULT CALLBACK mainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void onCreate(HWND window);
    void onCommand(WPARAM wParam, LPARAM lParam);
    void runNavigation(int id);
    void onDestroy();
    // Closing: nothing while a run goes on, else the wizard decides (Wizard::closeWindow).
    bool onClose();
    void allowClose(bool allowed);
    void makeLook();
    void makeTitle(char* title, int size) const;
    void makeAppIcon();
    bool registerClasses();
    void createButtons();
    HWND createButton(const char* caption, int id, DWORD style);
    void layout(int width, int height);
    void putButtonsLast();
    void focusPage();
    void dispatch(MSG& message);
    bool handleWizardKey(const MSG& message);
    void moveFocus(bool backwards);
    bool moveInRadioGroup(bool backwards);
    bool fieldsCanBeStored();
    void destroyFieldControls();
    void requestQuit(int code);
    HWND messageOwner() const;

    static void setCaption(HWND button, const char* text);
    static void enable(HWND button, bool enabled);
    static void show(HWND button, bool shown);
    void setProgress(const char* name, int percent);

    HWND mainWindow_ = nullptr;
    HWND back_ = nullptr;
    HWND next_ = nullptr;
    HWND cancel_ = nullptr;
    HWND help_ = nullptr;
    HWND separator_ = nullptr;
    HICON icon_ = nullptr;
    // The font made for a screen of another DPI than 96; owned.
    HFONT font_ = nullptr;
    WindowLook look_;
    PageWindows pageWindows_;
    Wizard* wizard_ = nullptr;
    WindowContext context_;
    RecordList<FieldControl*> fields_;
    // A navigation command is running (the installation may run inside it): further ones wait
    // for it instead of starting inside it.
    bool navigating_ = false;
    // The quit request, once seen: processEvents may take it out of the queue while a run goes
    // on, and the loop must still end when the run returns.
    bool quitRequested_ = false;
    HWND savedFocus_ = nullptr;
};
