#include "ui/DirectoryControl.h"

#include "config/VariableStore.h"
#include "package/BoundedText.h"
#include "package/Platform.h"
#include "package/SystemLibrary.h"
#include "package/TextEncoding.h"
#include "package/WinFile.h"
#include "ui/DestinationCheck.h"
#include "ui/Wizard.h"

#include <cstring>
#include <cwchar>

#include <shlobj.h>

namespace {
// The shell's narrow call converts into MAX_PATH bytes, too few for a long path in UTF-8: the
// wide path is converted here instead, and refused when it does not convert whole.
bool narrowPath(const wchar_t* wide, char* out, int size) {
    std::string units(reinterpret_cast<const char*>(wide), std::wcslen(wide) * sizeof(wchar_t));
    std::optional<std::string> path =
        TextEncoding::convert(units, TextEncoding::kUtf16LE, TextEncoding::processCodePage());
    return path && copyText(out, size, path->c_str());
}
} // namespace

void DirectoryControl::create(HWND parent, int firstId, int x, int* y) {
    parent_ = parent;
    firstId_ = firstId;
    labelWindow_ =
        createChild("Static", label_, WS_GROUP, 0, x + 10, *y, widthFrom(296 - x), 16, firstId);
    edit_ = createChild("Edit", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, x + 10, *y + 18,
                        widthFrom(472 - x), 20, firstId + 1);
    browse_ = createChild("Button", "B&rowse...", WS_TABSTOP, 0, 382, *y - 4, 100, 20, firstId + 2);
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
    if (readVariable(value, sizeof value)) {
        SetWindowTextA(edit_, value);
        copyText(shown_, sizeof shown_, value);
    }
}

bool DirectoryControl::fitsVariable() const {
    return GetWindowTextLengthA(edit_) < VariableStore::kValueSize;
}

static_assert(VariableStore::kValueSize == 1024, "the refusal names the longest folder");

bool DirectoryControl::refuses(char* reason, int size) const {
    if (edit_ == nullptr)
        return false;
    if (!fitsVariable()) {
        copyText(reason, size,
                 "The folder name is too long: a folder name may have at most 1023 characters. "
                 "Please choose a shorter one.");
        return true;
    }
    char folder[VariableStore::kValueSize];
    GetWindowTextA(edit_, folder, sizeof folder);
    DestinationCheck check;
    DestinationCheck::Problem problem = check.check(folder, [this](const char* candidate) {
        return wizard_.keepsDestinationWhole(variable_, candidate);
    });
    check.describe(problem, folder, reason, size);
    return problem != DestinationCheck::Problem::kNone;
}

void DirectoryControl::store() {
    if (edit_ == nullptr || !fitsVariable())
        return;
    char value[VariableStore::kValueSize];
    GetWindowTextA(edit_, value, sizeof value);
    writeVariable(value);
}

bool DirectoryControl::startFolder(char* out, int size) const {
    if (GetWindowTextA(edit_, out, size) <= 0 || !fitsVariable())
        return false;
    for (;;) {
        if (platform::pathKind(out) == platform::PathKind::kDirectory)
            return true;
        char* cut = std::strrchr(out, '\\');
        if (cut == nullptr)
            return false;
        *cut = '\0';
        // "C:" alone is the drive's current folder; its root is what exists.
        if (std::strlen(out) == 2 && out[1] == ':')
            return appendText(out, size, "\\") &&
                   platform::pathKind(out) == platform::PathKind::kDirectory;
    }
}

int CALLBACK DirectoryControl::browseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0)
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
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
    auto* pathOf = SystemLibrary::function<decltype(SHGetPathFromIDListW)>("shell32.dll",
                                                                           "SHGetPathFromIDListW");
    if (initialise == nullptr || uninitialise == nullptr || freeMemory == nullptr ||
        browseForFolder == nullptr || pathOf == nullptr)
        return;
    HRESULT com = initialise(nullptr, COINIT_APARTMENTTHREADED);
    char start[fileaccess::kPathSize] = {};
    bool hasStart = startFolder(start, sizeof start);
    BROWSEINFOA info = {};
    info.hwndOwner = parent_;
    info.pidlRoot = nullptr;
    info.lpszTitle = label_;
    // The new style offers "Make New Folder".
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = browseCallback;
    info.lParam = hasStart ? reinterpret_cast<LPARAM>(start) : 0;
    PIDLIST_ABSOLUTE chosen = browseForFolder(&info);
    if (chosen != nullptr) {
        // The shell refuses a path longer than its buffer instead of cutting it.
        wchar_t wide[MAX_PATH];
        char path[fileaccess::kPathSize];
        char folder[VariableStore::kValueSize];
        if (pathOf(chosen, wide) && narrowPath(wide, path, sizeof path) &&
            DestinationCheck::withProductLevel(path, shown_, folder, sizeof folder))
            SetWindowTextA(edit_, folder);
        else
            MessageBoxA(parent_, "The chosen folder cannot be used here.", "Installation",
                        MB_OK | MB_ICONWARNING);
        freeMemory(chosen);
    }
    if (SUCCEEDED(com))
        uninitialise();
}
