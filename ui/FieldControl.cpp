#include "ui/FieldControl.h"

#include "package/BoundedText.h"
#include "ui/AccessKeys.h"
#include "ui/CheckBoxControl.h"
#include "ui/DirectoryControl.h"
#include "ui/RadioButtonsControl.h"
#include "ui/Wizard.h"

#include <new>

FieldControl::FieldControl(const FieldInfo& field, Wizard& wizard) : wizard_(wizard) {
    copyText(variable_, sizeof variable_, field.variable);
    copyText(label_, sizeof label_, field.label);
}

FieldControl* FieldControl::make(const FieldInfo& field, Wizard& wizard) {
    switch (field.type) {
    case FIELD_DIRECTORY:
        return new (std::nothrow) DirectoryControl(field, wizard);
    case FIELD_CHECKBOX:
        return new (std::nothrow) CheckBoxControl(field, wizard);
    case FIELD_RADIOBUTTONS:
        return new (std::nothrow) RadioButtonsControl(field, wizard);
    default:
        return nullptr;
    }
}

HWND FieldControl::createChild(const char* className, const char* text, DWORD style,
                               DWORD extendedStyle, int x, int y, int width, int height,
                               int id) const {
    char keyed[512];
    bool isLabel = lstrcmpiA(className, "Static") == 0 || lstrcmpiA(className, "Button") == 0;
    if (isLabel && look_.keys != nullptr && look_.keys->assign(text, keyed, sizeof keyed))
        text = keyed;
    HWND window = CreateWindowExA(extendedStyle, className, text, WS_CHILD | WS_VISIBLE | style,
                                  look_.px(x), look_.px(y), look_.px(width), look_.px(height),
                                  parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleA(nullptr), nullptr);
    if (window != nullptr)
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(look_.textFont()), FALSE);
    return window;
}

bool FieldControl::readVariable(char* out, int size) const {
    out[0] = '\0';
    return wizard_.getVariable(variable_, out, size) >= 0;
}

void FieldControl::writeVariable(const char* value) const {
    wizard_.setVariable(variable_, value);
}

void FieldControl::destroy(HWND* window) {
    if (*window != nullptr)
        DestroyWindow(*window);
    *window = nullptr;
}
