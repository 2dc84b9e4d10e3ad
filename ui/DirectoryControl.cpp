#include "ui/DirectoryControl.h"

#include "config/VariableStore.h"
#include "package/SystemLibrary.h"

#include <shlobj.h>

void DirectoryControl::create(HWND parent, int firstId, int x, int* y) {
    parent_ = parent;
    firstId_ = firstId;
    labelWindow_ =
        createChild("Static", label_, WS_GROUP, 0, x + 10, *y, widthFrom(296 - x), 16, firstId);
    edit_ = createChild("Edit", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, x + 10, *y + 18,
                        widthFrom(472 - x), 20, firstId + 1);
    browse_ = createChild("Button", "Browse...", WS_TABSTOP, 0, 382, *y - 4, 100, 20, firstId + 2);
    *y += kHeight;
    load();
}

void DirectoryControl::destroyWindows() {
    destroy(&labelWindow_);
    destroy(&edit_);
    destroy(&browse_);
}

void DirectoryControl::onCommand(int, int, HWND sender) {
    if (sender == browse_ && browse_ != nullptr)
        browse();
}

void DirectoryControl::load() {
    char value[VariableStore::kValueSize];
    if (readVariable(value, sizeof value))
        SetWindowTextA(edit_, value);
}

bool DirectoryControl::fitsVariable() const {
    return GetWindowTextLengthA(edit_) < VariableStore::kValueSize;
}

static_assert(VariableStore::kValueSize == 1024, "the refusal names the longest folder");

const char* DirectoryControl::refusal() const {
    if (edit_ == nullptr || fitsVariable())
        return nullptr;
    return "The folder name is too long: a folder name may have at most 1023 characters.\r"
           "Please choose a shorter one.";
}

void DirectoryControl::store() {
    if (edit_ == nullptr || !fitsVariable())
        return;
    char value[VariableStore::kValueSize];
    GetWindowTextA(edit_, value, sizeof value);
    writeVariable(value);
}

void DirectoryControl::browse() {
    auto* initialise =
        SystemLibrary::function<decltype(CoInitializeEx)>("ole32.dll", "CoInitializeEx");
    auto* uninitialise =
        SystemLibrary::function<decltype(CoUninitialize)>("ole32.dll", "CoUninitialize");
    auto* freeMemory =
        SystemLibrary::function<decltype(CoTaskMemFree)>("ole32.dll", "CoTaskMemFree");
    auto* browseForFolder =
        SystemLibrary::function<decltype(SHBrowseForFolderA)>("shell32.dll", "SHBrowseForFolderA");
    auto* pathOf = SystemLibrary::function<decltype(SHGetPathFromIDListA)>("shell32.dll",
                                                                           "SHGetPathFromIDListA");
    if (initialise == nullptr || uninitialise == nullptr || freeMemory == nullptr ||
        browseForFolder == nullptr || pathOf == nullptr)
        return;
    HRESULT com = initialise(nullptr, COINIT_APARTMENTTHREADED);
    BROWSEINFOA info = {};
    info.hwndOwner = parent_;
    info.pidlRoot = nullptr;
    info.lpszTitle = label_;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = browseForFolder(&info);
    if (chosen != nullptr) {
        // The shell refuses a path longer than its buffer instead of cutting it.
        char path[MAX_PATH];
        if (pathOf(chosen, path))
            SetWindowTextA(edit_, path);
        else
            MessageBoxA(parent_, "The chosen folder cannot be used here.", "Installation",
                        MB_OK | MB_ICONWARNING);
        freeMemory(chosen);
    }
    if (SUCCEEDED(com))
        uninitialise();
}
