// Arbitrary bytes restored as a backup file: every entry is accounted for. The first byte gives
// each entry's file two bits: 0 gone, 1 installed, 2 the user's, 3 installed by an unfinished
// write.
#include "engine/BackupFile.h"
#include "engine/BackupRestore.h"
#include "tests/fuzz/FuzzScratch.h"
#include "tests/support/FileBytes.h"
#include "tests/support/RecordingUI.h"

#include <sys/stat.h>

namespace {
using Id = std::pair<dev_t, ino_t>;

std::string hostPath(std::string name) { // the native build reads a backslash as a slash
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

bool identity(const std::string& name, Id* id) {
    struct stat info;
    if (::stat(hostPath(name).c_str(), &info) != 0)
        return false;
    *id = {info.st_dev, info.st_ino};
    return true;
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
    BackupFile reader;
    if (reader.openForRead(backupPath.c_str()) == BackupFile::Opened::kOk)
        reader.readEntries(entries);
    reader.close();
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
        if (before == 0 || (identity(name, &id) && id == backupId))
            continue;
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(hostPath(name)).parent_path(),
                                            error);
        filebytes::writeAll(hostPath(name), before == 2 ? "changed by the user\n" : "installed\n");
    }
    overwritten.all.insert(scratch + "lost.txt"); // replaced, but in no entry
    RecordingUI ui;
    BackupRestore::Outcome outcome = BackupRestore(ui, nullptr).restore(backupPath, overwritten);
    if (outcome.restored + outcome.left + outcome.failed < static_cast<int>(entries.size()))
        __builtin_trap();
    return 0;
}
