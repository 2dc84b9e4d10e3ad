#include "system/ShellShortcuts.h"

#include "package/BoundedText.h"
#include "package/FileCheck.h"
#include "package/Paths.h"
#include "package/RunReporter.h"
#include "package/SystemLibrary.h"
#include "package/WinFile.h"
#include "system/RecordFields.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
// Declares its interfaces through the COM macros above.
#include <intshcut.h>

namespace {
using Kind = ShellShortcuts::Kind;

const char kCreateWord[] = "CREATE";
// The check of a shortcut recorded before the shell saved it.
const char kPendingCheck[] = "-";

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

// A link keeps its program and folder in MAX_PATH buffers (characters, not bytes); a longer one
// would come back cut.
bool fitsLink(const char* text) {
    return text == nullptr || fileaccess::fitsPathLimit(text);
}

// Nothing is asked of COM, nor recorded, for a shortcut that names nothing to start or open (for
// the uninstaller: its command could not be determined).
bool canSave(Kind kind, const ShortcutData& data) {
    if (data.target == nullptr || data.target[0] == '\0')
        return false;
    return kind == Kind::kUrl || (fitsLink(data.target) && fitsLink(data.workingFolder));
}

bool saveShortcut(Kind kind, const ShortcutData& data, const wchar_t* path) {
    ComApartment com;
    if (!com.initialised())
        return false;
    if (kind == Kind::kUrl)
        return saveInternetShortcut(com, data.target, path);
    // The uninstaller starts in no particular folder.
    if (kind == Kind::kUninstall)
        return saveShellLink(com, {data.target, data.description, data.arguments, nullptr}, path);
    return saveShellLink(com, data, path);
}

// "CREATE", the path and the CRC-32 of the file as saved, as 8 hex digits.
std::optional<std::string> recordText(const char* path, uint32_t crc) {
    char digits[9];
    boundedFormat(digits, sizeof digits, "%08X", static_cast<unsigned>(crc));
    return RecordFields::join({kCreateWord, path, digits});
}

// An existing file is never replaced: the uninstall would later delete a file it never made.
// The record of a shortcut about to be saved (its check "-") goes first, so that a run stopped
// while the shell saves it still has it removed; then the record with the check of the file as
// saved, which the uninstall takes instead. A shortcut whose check cannot be had is taken back,
// as its undo could not tell it from a file the user put there.
bool createShortcut(Kind kind, const char* path, const ShortcutData& data,
                    const RecordSink& record) {
    wchar_t widePath[MAX_PATH];
    std::optional<std::string> pending = RecordFields::join({kCreateWord, path, kPendingCheck});
    if (!pending || !canSave(kind, data) || !toWidePath(path, widePath) ||
        GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES || !record(*pending) ||
        !saveShortcut(kind, data, widePath))
        return false;
    FileCheck::Result saved = FileCheck::ofFile(path);
    std::optional<std::string> line;
    if (saved.state == FileCheck::State::kRead)
        line = recordText(path, saved.crc);
    if (line && record(*line))
        return true;
    DeleteFileA(path);
    return false;
}

struct ShortcutRecord {
    std::string path;
    uint32_t crc = 0;
    bool pending = false; // recorded before the save: any file there came from that save
};

bool isCheckText(const std::string& text) {
    return text.size() == 8 &&
           text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

// Nothing for a damaged record: another kind, a wrong number of fields, a path that is not
// full (it would be taken from whatever folder the uninstaller stands in), a check that is not
// 8 hex digits.
std::optional<ShortcutRecord> parseRecord(const char* text) {
    std::vector<std::string> fields = RecordFields::split(text != nullptr ? text : "");
    if (fields.size() != 3 || fields[0] != kCreateWord || !isFullPath(fields[1].c_str()))
        return std::nullopt;
    if (fields[2] == kPendingCheck)
        return ShortcutRecord{fields[1], 0, true};
    if (!isCheckText(fields[2]))
        return std::nullopt;
    return ShortcutRecord{
        fields[1], static_cast<uint32_t>(std::strtoul(fields[2].c_str(), nullptr, 16)), false};
}

enum class UndoOutcome { Removed, Left, Failed };

// Deleted only while it holds the bytes saved; a file the user put in its place stays.
UndoOutcome removeShortcut(const ShortcutRecord& shortcut) {
    FileCheck::Result now = FileCheck::ofFile(shortcut.path.c_str());
    if (now.state == FileCheck::State::kMissing)
        return UndoOutcome::Removed;
    if (now.state == FileCheck::State::kUnreadable)
        return UndoOutcome::Failed;
    if (!shortcut.pending && now.crc != shortcut.crc)
        return UndoOutcome::Left;
    if (DeleteFileA(shortcut.path.c_str()) != 0 || FileCheck::meansMissing(GetLastError()))
        return UndoOutcome::Removed;
    return UndoOutcome::Failed;
}

// "%s shortcut %s" behind the prefix with its own blank ("Create  shortcut C:\...").
bool report(RunReporter* ui, bool succeeded, const char* done, const char* failed,
            const char* path) {
    if (ui != nullptr) {
        ui->keepResponsive();
        ui->report((std::string(succeeded ? done : failed) + " shortcut " + path).c_str());
    }
    return succeeded;
}
} // namespace

bool ShellShortcuts::create(Kind kind, const char* path, const char* target,
                            const char* description, const char* arguments,
                            const char* workingFolder, const RecordSink& record, RunReporter* ui) {
    if (path == nullptr)
        path = "";
    bool created =
        createShortcut(kind, path, {target, description, arguments, workingFolder}, record);
    return report(ui, created, "Create ", "FAILED to create ", path);
}

bool ShellShortcuts::undo(const char* record, RunReporter* ui) {
    std::optional<ShortcutRecord> shortcut = parseRecord(record);
    // A damaged record names nothing that could be removed or reported.
    if (!shortcut)
        return false;
    const char* path = shortcut->path.c_str();
    switch (removeShortcut(*shortcut)) {
    case UndoOutcome::Removed:
        return report(ui, true, "Remove ", "", path);
    case UndoOutcome::Left:
        return report(ui, true, "Left ", "", path);
    case UndoOutcome::Failed:
        break;
    }
    return report(ui, false, "", "FAILED to remove ", path);
}
