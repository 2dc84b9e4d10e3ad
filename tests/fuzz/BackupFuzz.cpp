// The restore's reader of the backup file: arbitrary bytes written as a backup file, then
// BackupRestore::restore over it, as an uninstall runs it.
//
// Input: one byte that says what each entry's file holds before the restore, then the backup
// file. Entry i (in file order) takes two bits of that byte, (byte >> 2 * (i % 4)) & 3: 0, the
// file is gone; 1, it holds "installed\n" (the seeds record that text's CRC-32 as what the
// installation wrote); 2, it holds a text the user wrote; 3, it holds "installed\n" and the
// action log says the installation's write to it never completed. The action log also names
// one replaced file that no entry holds.
//
// The restore writes every file an entry names, so every name must lie strictly inside this
// target's scratch folder, which the inputs name /tmp/kestrel-fuzz-scratch/Backup/ (each process
// has its own, see FuzzScratch.h; emptied for every input): an input with any other name, or one
// that holds "..", is skipped (return 0). The seeds name files there.
//
// What must hold: every entry is reported once, as restored, left or failed; a file all of whose
// entries were restored holds the saved bytes of the first entry that names it (the entries are
// restored from the last to the first, so that the user's own content comes back last).
#include "engine/BackupFile.h"
#include "engine/BackupRestore.h"
#include "package/FileCheck.h"
#include "tests/fuzz/FuzzScratch.h"
#include "tests/support/FileBytes.h"
#include "tests/support/RecordingUI.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {
const char kInstalled[] = "installed\n";
const char kUserText[] = "changed by the user\n";

enum class Before { kGone, kInstalled, kChanged, kUnfinished };

const std::string& folder() {
    static const std::string made = fuzzscratch::prepare("Backup");
    return made;
}

// The system's view of an entry's name: the native build reads a backslash as a slash.
std::string hostPath(std::string name) {
    for (char& c : name) {
        if (c == '\\')
            c = '/';
    }
    return name;
}

void putFile(const std::string& name, const char* text) {
    std::string path = hostPath(name);
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    filebytes::writeAll(path, text);
}

// One file as the system knows it, whatever name led to it.
bool identity(const std::string& name, std::pair<dev_t, ino_t>* id) {
    struct stat info;
    if (::stat(hostPath(name).c_str(), &info) != 0)
        return false;
    *id = {info.st_dev, info.st_ino};
    return true;
}

// Every entry gets one report, from the last entry to the first; a file all of whose entries
// were restored holds the saved bytes of the first of them.
void checkRestored(const std::vector<BackupFile::Entry>& entries, const Lines& reports) {
    if (reports.size() < entries.size())
        __builtin_trap();
    using Id = std::pair<dev_t, ino_t>;
    std::map<Id, const BackupFile::Entry*> firstOf;
    std::map<Id, bool> allRestored;
    for (size_t i = 0; i < entries.size(); ++i) {
        bool restored = reports[entries.size() - 1 - i].compare(0, 8, "Restore ") == 0;
        Id id;
        if (!identity(entries[i].name, &id)) {
            if (restored)
                __builtin_trap(); // restored, yet not there
            continue;
        }
        firstOf.emplace(id, &entries[i]);
        auto group = allRestored.emplace(id, true).first;
        group->second = group->second && restored;
    }
    for (const auto& file : firstOf) {
        if (!allRestored[file.first])
            continue;
        FileCheck::Result now = FileCheck::ofFile(file.second->name.c_str());
        if (now.state != FileCheck::State::kRead || now.size != file.second->size ||
            now.crc != file.second->savedCheck)
            __builtin_trap();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::string& scratch = folder();
    fuzzscratch::empty(scratch);
    const std::string backupPath = scratch + "backup.bin";
    if (!filebytes::writeAll(backupPath, fuzzscratch::rewritten(std::string(
                                             reinterpret_cast<const char*>(data) + 1, size - 1))))
        std::abort();

    std::vector<BackupFile::Entry> entries;
    {
        BackupFile reader;
        if (reader.openForRead(backupPath.c_str()) == BackupFile::Opened::kOk)
            reader.readEntries(entries);
    }
    std::pair<dev_t, ino_t> backupId;
    if (!identity(backupPath, &backupId))
        std::abort();
    BackupRestore::Overwritten overwritten;
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string& name = entries[i].name;
        if (!fuzzscratch::inside(name, scratch))
            return 0;
        overwritten.all.insert(name);
        auto before = static_cast<Before>((data[0] >> (2 * (i % 4))) & 3);
        if (before == Before::kUnfinished)
            overwritten.unfinished.insert(name);
        std::pair<dev_t, ino_t> id;
        // The input itself stays as it is, under whatever name an entry gives it.
        bool isBackup = identity(name, &id) && id == backupId;
        if (before != Before::kGone && !isBackup)
            putFile(name, before == Before::kChanged ? kUserText : kInstalled);
    }
    overwritten.all.insert(scratch + "lost.txt");

    RecordingUI ui;
    BackupRestore::Outcome outcome = BackupRestore(ui, nullptr).restore(backupPath, overwritten);
    if (outcome.restored + outcome.left + outcome.failed < static_cast<int>(entries.size()))
        __builtin_trap();
    checkRestored(entries, ui.lines);
    return 0;
}
