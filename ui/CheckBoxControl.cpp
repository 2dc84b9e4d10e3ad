#include "ui/CheckBoxControl.h"

#include "config/VariableStore.h"

void CheckBoxControl::create(HWND parent, int firstId, int x, int* y) {
    parent_ = parent;
    firstId_ = firstId;
    box_ = createChild("Button", label_, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 0, x + 10, *y,
                       widthFrom(296 - x), 16, firstId);
    *y += kHeight;
    load();
}

void CheckBoxControl::onCommand(int, int code, HWND sender) {
    if (sender == box_ && box_ != nullptr && code == BN_CLICKED)
        store();
}

// A variable that exists checks the box, even when empty; only a value starting with "0"
// leaves it clear.
void CheckBoxControl::load() {
    char value[VariableStore::kValueSize];
    bool checked = readVariable(value, sizeof value) && value[0] != '0';
    SendMessageA(box_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBoxControl::store() {
    if (box_ == nullptr)
        return;
    writeVariable(SendMessageA(box_, BM_GETCHECK, 0, 0) == BST_CHECKED ? "1" : "0");
}
