// A "RadioButtons" field: a label and one button per item of the field's content (items
// separated by ";"). The value is the index of the checked button as a decimal number.
#pragma once

#include "package/RecordList.h"
#include "ui/FieldControl.h"

class RadioButtonsControl : public FieldControl {
  public:
    RadioButtonsControl(const FieldInfo& field, Wizard& wizard);
    ~RadioButtonsControl() override { destroyWindows(); }

    static constexpr int kLabelHeight = 25;
    static constexpr int kButtonHeight = 24;
    static constexpr int kBottomSpace = 6;

    void create(HWND parent, int firstId, int x, int* y) override;
    void onCommand(int id, int code, HWND sender) override;
    void load() override;
    void store() override;
    void destroyWindows() override;

    int buttonCount() const { return buttonCount_; }

  private:
    bool isOwnButton(HWND window) const;
    // The last checked button, or -1.
    int checkedButton() const;
    void moveTabStop();

    // The field's content (at most 511 characters) with the closing ";" always fitting behind.
    char items_[sizeof(FieldInfo::content) + 1];
    int buttonCount_ = 0;
    HWND labelWindow_ = nullptr;
    RecordList<HWND> buttons_;
};
