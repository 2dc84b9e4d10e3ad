// A "Directory" field: a label, an edit box with the folder and a "Browse..." button that opens
// the shell's folder browser at that folder. A folder the installation could not use is refused
// on its page, before anything changes.
#pragma once

#include "ui/FieldControl.h"

class DirectoryControl : public FieldControl {
  public:
    using FieldControl::FieldControl;
    ~DirectoryControl() override { destroyWindows(); }

    static constexpr int kHeight = 56;

    void create(HWND parent, int firstId, int x, int* y) override;
    void onCommand(int id, int code, HWND sender) override;
    void load() override;
    // A folder that does not fit a variable is not stored: a cut folder would be another one.
    void store() override;
    void destroyWindows() override;
    // The folder must fit its variable and pass the DestinationCheck.
    bool refuses(char* reason, int size) const override;

  private:
    bool fitsVariable() const;
    void browse();
    // The deepest level of the folder in the edit box that exists, where Browse starts.
    bool startFolder(char* out, int size) const;
    static int CALLBACK browseCallback(HWND dialog, UINT message, LPARAM, LPARAM data);

    HWND labelWindow_ = nullptr;
    HWND edit_ = nullptr;
    HWND browse_ = nullptr;
    // The folder as the page showed it: its last level is the product's own folder, which
    // Browse appends to a parent the user picks.
    char shown_[1024] = {};
};
