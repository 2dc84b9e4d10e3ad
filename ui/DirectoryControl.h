// A "Directory" field: a label, an edit box with the folder and a "Browse..." button that opens
// the shell's folder browser.
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
    const char* refusal() const override;

  private:
    bool fitsVariable() const;
    void browse();

    HWND labelWindow_ = nullptr;
    HWND edit_ = nullptr;
    HWND browse_ = nullptr;
};
