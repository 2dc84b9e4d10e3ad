// A "CheckBox" field: "1" while the box is checked, "0" while it is clear.
#pragma once

#include "ui/FieldControl.h"

class CheckBoxControl : public FieldControl {
  public:
    using FieldControl::FieldControl;
    ~CheckBoxControl() override { destroyWindows(); }

    static constexpr int kHeight = 24;

    void create(HWND parent, int firstId, int x, int* y) override;
    void onCommand(int id, int code, HWND sender) override;
    void load() override;
    void store() override;
    void destroyWindows() override { destroy(&box_); }

  private:
    HWND box_ = nullptr;
};
