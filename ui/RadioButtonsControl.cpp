#include "ui/RadioButtonsControl.h"

#include "config/VariableStore.h"
#include "package/BoundedText.h"

#include <cctype>
#include <cstdio>
#include <cstring>

RadioButtonsControl::RadioButtonsControl(const FieldInfo& field, Wizard& wizard)
    : FieldControl(field, wizard), buttons_(8) {
    copyText(items_, sizeof items_, field.content);
    appendText(items_, sizeof items_, ";");
    for (const char* c = items_; *c != '\0'; ++c) {
        if (*c == ';')
            ++buttonCount_;
    }
}

void RadioButtonsControl::create(HWND parent, int firstId, int x, int* y) {
    parent_ = parent;
    firstId_ = firstId;
    labelWindow_ = createChild("Static", label_, 0, 0, x + 10, *y, widthFrom(296 - x), 16, firstId);
    *y += kLabelHeight;
    const char* item = items_;
    for (int j = 0; j < buttonCount_; ++j) {
        const char* end = std::strchr(item, ';');
        char text[sizeof items_];
        copyTextPiece(text, sizeof text, item, static_cast<int>(end - item));
        // The first button opens the group and is where Tab enters it until one is checked.
        DWORD style = BS_AUTORADIOBUTTON | (j == 0 ? WS_GROUP | WS_TABSTOP : 0);
        HWND button = createChild("Button", text, style, 0, x + 30, *y, widthFrom(276 - x), 16,
                                  firstId + 1 + j);
        if (!buttons_.append(button) && button != nullptr)
            DestroyWindow(button);
        *y += kButtonHeight;
        item = end + 1;
    }
    *y += kBottomSpace;
    load();
}

void RadioButtonsControl::destroyWindows() {
    destroy(&labelWindow_);
    for (int i = 0; i < buttons_.count(); ++i)
        destroy(&buttons_[i]);
    buttons_.clear();
}

bool RadioButtonsControl::isOwnButton(HWND window) const {
    for (int i = 0; i < buttons_.count(); ++i) {
        if (window != nullptr && buttons_[i] == window)
            return true;
    }
    return false;
}

// Only this field's buttons count: every field of a page numbers its windows from the same
// first id, so an id alone could name another field's button.
void RadioButtonsControl::onCommand(int, int code, HWND sender) {
    if (code == BN_CLICKED && isOwnButton(sender)) {
        store();
        moveTabStop();
    }
}

// Tab enters the field at its checked button (at the first while none is checked), as in a
// dialog; the arrow keys move on from there.
void RadioButtonsControl::moveTabStop() {
    int checked = checkedButton();
    for (int i = 0; i < buttons_.count(); ++i) {
        LONG style = GetWindowLongA(buttons_[i], GWL_STYLE) & ~WS_TABSTOP;
        bool stop = checked >= 0 ? i == checked : i == 0;
        SetWindowLongA(buttons_[i], GWL_STYLE, stop ? style | WS_TABSTOP : style);
    }
}

int RadioButtonsControl::checkedButton() const {
    int checked = -1;
    for (int i = 0; i < buttons_.count(); ++i) {
        if (SendMessageA(buttons_[i], BM_GETCHECK, 0, 0) == BST_CHECKED)
            checked = i;
    }
    return checked;
}

void RadioButtonsControl::load() {
    char value[VariableStore::kValueSize];
    if (!readVariable(value, sizeof value) || !std::isdigit(static_cast<unsigned char>(value[0])))
        return;
    int index = 0;
    for (const char* c = value; std::isdigit(static_cast<unsigned char>(*c)) && index < 100000; ++c)
        index = index * 10 + (*c - '0');
    if (index < buttons_.count())
        SendMessageA(buttons_[index], BM_SETCHECK, BST_CHECKED, 0);
    moveTabStop();
}

void RadioButtonsControl::store() {
    if (buttons_.count() == 0)
        return;
    int checked = checkedButton();
    char value[16];
    boundedFormat(value, sizeof value, "%d", checked >= 0 ? checked : 0);
    writeVariable(value);
}
