// The restore's reader of the backup file: arbitrary bytes written as a backup file, then
// BackupRestore::restore over it, as an uninstall runs it.
//
// Input: one byte that says what each entry's file holds before the restore, then the backup
// file. Entry i takes two bits, (byte >> 2 * (i % 4)) & 3: 0, the file is gone; 1, it holds
// "installed\n" (the seeds record that text's CRC-32 as what the installation wrote); 2, a text
// the user wrote; 3, "installed\n" and the action log says the installation's write never
// completed. The action log also names one replaced file that no entry holds. Every entry must
// name a file strictly inside this target's scratch folder (FuzzScratch.h), else the input is
// skipped.
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

#include <map>
#include <sys/stat.h>

namespace {
using Id = std::pair<dev_t, ino_t>;

// The native build reads a backslash as a slash.
std::string hostPath(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

// One file as the system knows it, whatever name led to it.
bool identity(const std::string& name, Id* id) {
    struct stat info;
    if (::stat(hostPath(name).c_str(), &info) != 0)
        return false;
    *id = {info.st_dev, info.st_ino};
    return true;
}

void checkRestored(const std::vector<BackupFile::Entry>& entries, const Lines& reports) {
    if (reports.size() < entries.size())
        __builtin_trap();
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
        allRestored.emplace(id, true).first->second &= restored;
    }
    for (const auto& [id, entry] : firstOf) {
        FileCheck::Result now = FileCheck::ofFile(entry->name.c_str());
        if (allRestored[id] && (now.state != FileCheck::State::kRead || now.size != entry->size ||
                                now.crc != entry->savedCheck))
            __builtin_trap();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string scratch = fuzzscratch::prepare("Backup");
    if (size == 0)
        return 0;
    fuzzscratch::empty(scratch);
    const std::string backupPath = scratch + "backup.bin";
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (!filebytes::writeAll(backupPath, fuzzscratch::rewritten(bytes)))
        std::abort();
    std::vector<BackupFile::Entry> entries;
    {
        BackupFile reader;
        if (reader.openForRead(backupPath.c_str()) == BackupFile::Opened::kOk)
            reader.readEntries(entries);
    }
    Id backupId, id;
    if (!identity(backupPath, &backupId))
        std::abort();
    BackupRestore::Overwritten overwritten;
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string& name = entries[i].name;
        if (!fuzzscratch::inside(name, scratch))
            return 0;
        overwritten.all.insert(name);
        int before = (data[0] >> (2 * (i % 4))) & 3;
        if (before == 3)
            overwritten.unfinished.insert(name);
        // The input itself stays as it is, under whatever name an entry gives it.
        if (before == 0 || (identity(name, &id) && id == backupId))
            continue;
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(hostPath(name)).parent_path(),
                                            error);
        filebytes::writeAll(hostPath(name), before == 2 ? "changed by the user\n" : "installed\n");
    }
    overwritten.all.insert(scratch + "lost.txt");
    RecordingUI ui;
    BackupRestore::Outcome outcome = BackupRestore(ui, nullptr).restore(backupPath, overwritten);
    if (outcome.restored + outcome.left + outcome.failed < static_cast<int>(entries.size()))
        __builtin_trap();
    checkRestored(entries, ui.lines);
    return 0;
}
