#include "ui/WindowUI.h"

#include <windows.h>

int WindowUI::run() {
    return wizard_ == nullptr ? -1 : 0;
}

int WindowUI::confirmCancel() {
    return MessageBoxA(nullptr, "Do you really want to cancel the installation?",
                       "Cancel confirmation", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

int WindowUI::ask(const char* text, int kind) {
    switch (kind) {
    case kAskOkCancel:
        return MessageBoxA(nullptr, text, "Installation", MB_OKCANCEL) == IDOK;
    case kAskNotice:
        MessageBoxA(nullptr, text, "Installation", MB_OK);
        return 1;
    case kAskYesNo:
        return MessageBoxA(nullptr, text, "Installation", MB_YESNO) == IDYES;
    default:
        return 0;
    }
}
