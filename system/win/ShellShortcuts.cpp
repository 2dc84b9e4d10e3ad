#include "system/ShellShortcuts.h"

#include "package/BoundedText.h"
#include "package/SystemLibrary.h"
#include "system/RecordFields.h"
#include "ui/InstallerUI.h"

#include <cstring>
#include <string>
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
// Declares its interfaces through the COM macros above.
#include <intshcut.h>

namespace {
// COM for this thread while one shortcut is made; nothing carries over to the next one. Its
// library is loaded by the first shortcut, not by every run.
class ComApartment {
  public:
    ComApartment()
        : initialise_(ole32<decltype(CoInitialize)>("CoInitialize")),
          create_(ole32<decltype(CoCreateInstance)>("CoCreateInstance")),
          uninitialise_(ole32<decltype(CoUninitialize)>("CoUninitialize")),
          initialised_(initialise_ != nullptr && create_ != nullptr && uninitialise_ != nullptr &&
                       SUCCEEDED(initialise_(nullptr))) {}
    ~ComApartment() {
        if (initialised_)
            uninitialise_();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    bool initialised() const { return initialised_; }
    bool create(REFCLSID object, REFIID type, void** out) const {
        return SUCCEEDED(create_(object, nullptr, CLSCTX_INPROC_SERVER, type, out));
    }

  private:
    template <typename Function> static Function* ole32(const char* name) {
        return SystemLibrary::function<Function>("ole32.dll", name);
    }

    decltype(CoInitialize)* initialise_;
    decltype(CoCreateInstance)* create_;
    decltype(CoUninitialize)* uninitialise_;
    bool initialised_;
};

// Owner of one COM interface pointer: released on every path out of the scope.
template <class Interface> class ComPointer {
  public:
    ComPointer() = default;
    ~ComPointer() {
        if (pointer_ != nullptr)
            pointer_->Release();
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;

    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }
    void** out() { return reinterpret_cast<void**>(&pointer_); }

  private:
    Interface* pointer_ = nullptr;
};

struct ShortcutData {
    const char* target;
    const char* description;
    const char* arguments;
    const char* workingFolder;
};

// The shell saves through a wide name; the path is refused, not cut, when it does not convert
// exactly into a MAX_PATH buffer.
bool toWidePath(const char* path, wchar_t (&wide)[MAX_PATH]) {
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, wide, MAX_PATH) > 0;
}

bool saveAs(IUnknown* object, const wchar_t* path) {
    ComPointer<IPersistFile> file;
    return SUCCEEDED(object->QueryInterface(IID_IPersistFile, file.out())) &&
           SUCCEEDED(file->Save(path, TRUE));
}

bool saveShellLink(const ComApartment& com, const ShortcutData& data, const wchar_t* path) {
    ComPointer<IShellLinkA> link;
    if (!com.create(CLSID_ShellLink, IID_IShellLinkA, link.out()) ||
        FAILED(link->SetPath(data.target)))
        return false;
    if (data.description != nullptr && FAILED(link->SetDescription(data.description)))
        return false;
    if (data.arguments != nullptr && FAILED(link->SetArguments(data.arguments)))
        return false;
    if (data.workingFolder != nullptr && FAILED(link->SetWorkingDirectory(data.workingFolder)))
        return false;
    return saveAs(link.get(), path);
}

bool saveInternetShortcut(const ComApartment& com, const char* address, const wchar_t* path) {
    ComPointer<IUniformResourceLocatorA> shortcut;
    return com.create(CLSID_InternetShortcut, IID_IUniformResourceLocatorA, shortcut.out()) &&
           SUCCEEDED(shortcut->SetURL(address, IURL_SETURL_FL_GUESS_PROTOCOL)) &&
           saveAs(shortcut.get(), path);
}

// A link keeps its program and folder in MAX_PATH buffers; a longer one would come back cut.
bool fitsLink(const char* text) {
    return text == nullptr || std::strlen(text) < MAX_PATH;
}

// Nothing is asked of COM for a shortcut that names nothing to start or open (for the
// uninstaller: its command could not be determined).
bool saveShortcut(int kind, const ShortcutData& data, const wchar_t* path) {
    if (kind < ShellShortcuts::kFile || kind > ShellShortcuts::kUninstall ||
        data.target == nullptr || data.target[0] == '\0')
        return false;
    if (kind != ShellShortcuts::kUrl && (!fitsLink(data.target) || !fitsLink(data.workingFolder)))
        return false;
    ComApartment com;
    if (!com.initialised())
        return false;
    if (kind == ShellShortcuts::kUrl)
        return saveInternetShortcut(com, data.target, path);
    // The uninstaller starts in no particular folder.
    if (kind == ShellShortcuts::kUninstall)
        return saveShellLink(com, {data.target, data.description, data.arguments, nullptr}, path);
    return saveShellLink(com, data, path);
}

// The record is made before the shortcut, so that no shortcut is made that the uninstall could
// not find again; it is cleared when the shortcut fails.
bool writeRecord(const char* path, char* record, int capacity) {
    if (record == nullptr || capacity <= 0)
        return false;
    record[0] = '\0';
    auto line = RecordFields::join({"CREATE", path});
    if (line && copyText(record, capacity, line->c_str()) == 0)
        return true;
    record[0] = '\0';
    return false;
}

// An existing file is never replaced: the uninstall would later delete a file it never made.
bool createShortcut(int kind, const char* path, const ShortcutData& data, char* record,
                    int capacity) {
    wchar_t widePath[MAX_PATH];
    if (!writeRecord(path, record, capacity))
        return false;
    if (toWidePath(path, widePath) && GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES &&
        saveShortcut(kind, data, widePath))
        return true;
    record[0] = '\0';
    return false;
}

// "%s shortcut %s" behind the prefix with its own blank ("Create  shortcut C:\...").
int report(InstallerUI* ui, bool succeeded, const char* done, const char* failed,
           const char* path) {
    if (ui != nullptr) {
        ui->processEvents(0, 0, 0, 0);
        ui->reportLine(0, 0, (std::string(succeeded ? done : failed) + " shortcut " + path).c_str(),
                       0, 0);
    }
    return succeeded ? 1 : 0;
}
} // namespace

int ShellShortcuts::create(int kind, const char* path, const char* target, const char* description,
                           const char* arguments, const char* workingFolder, char* record,
                           int capacity, InstallerUI* ui) {
    if (path == nullptr)
        path = "";
    bool created = createShortcut(kind, path, {target, description, arguments, workingFolder},
                                  record, capacity);
    return report(ui, created, "Create ", "FAILED to create ", path);
}

int ShellShortcuts::undo(const char* record, InstallerUI* ui) {
    if (record == nullptr || std::strncmp(record, "CREATE", 6) != 0)
        return 1;
    const char* path = std::strchr(record, '\t');
    path = path == nullptr ? "" : path + std::strspn(path, "\t");
    // A record without a path names no file, and is a failure like a file that is gone.
    bool removed = path[0] != '\0' && DeleteFileA(path) != 0;
    return report(ui, removed, "Remove ", "FAILED to remove ", path);
}
