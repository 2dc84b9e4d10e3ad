#include "engine/BackupRestore.h"

#include "engine/RunReport.h"
#include "package/FileCheck.h"
#include "package/Log.h"
#include "package/Paths.h"
#include "package/Platform.h"
#include "package/RunReporter.h"
#include "system/FileMover.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
constexpr const char* kBesideSuffix = ".kestrel-restore";
constexpr int kCannotCopy = 29; // ERROR_WRITE_FAULT: a write that stopped short

bool holds(const FileCheck::Result& now, int64_t size, uint32_t check) {
    return now.state == FileCheck::State::kRead && now.size == size && now.crc == check;
}
} // namespace

BackupRestore::Outcome BackupRestore::restore(const std::string& backupPath,
                                              Overwritten overwritten) {
    Outcome outcome;
    BackupFile backup;
    BackupFile::Opened opened = backup.openForRead(backupPath.c_str());
    if (opened != BackupFile::Opened::kOk) {
        const char* why = opened == BackupFile::Opened::kNotABackup
                              ? "it is not a backup file of this installer"
                          : opened == BackupFile::Opened::kMissing ? "it is missing"
                                                                   : "it cannot be read";
        reportFormatted(ui_, "FAILED to open the backup file %s: %s", backupPath.c_str(), why);
        outcome.backupWhole = false;
        return outcome;
    }
    std::vector<BackupFile::Entry> entries;
    outcome.backupWhole = backup.readEntries(entries);
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        ui_.keepResponsive();
        // Only the last write of a file can be the one that was cut.
        bool unfinished = overwritten.unfinished.erase(entry->name) > 0;
        overwritten.all.erase(entry->name);
        Verdict verdict = restoreEntry(backup, *entry, unfinished);
        outcome.restored += verdict == Verdict::kRestored;
        outcome.left += verdict == Verdict::kLeft;
        outcome.failed += verdict == Verdict::kFailed;
    }
    if (!outcome.backupWhole && overwritten.interrupted && overwritten.all.empty())
        outcome.backupWhole = true;
    if (!outcome.backupWhole) {
        reportFormatted(ui_, "FAILED to read the backup file %s to its end: it is damaged",
                        backupPath.c_str());
        logMessage(stepLog_, "The backup file could not be read to its end");
        // Their entries lie beyond the damage.
        for (const std::string& name : overwritten.all) {
            reportFormatted(ui_, "FAILED to restore %s: damaged backup file", name.c_str());
            ++outcome.failed;
        }
    }
    backup.close();
    return outcome;
}

BackupRestore::Verdict
BackupRestore::restoreEntry(BackupFile& backup, const BackupFile::Entry& entry, bool unfinished) {
    const char* name = entry.name.c_str();
    FileCheck::Result now = FileCheck::ofFile(name);
    if (holds(now, entry.size, entry.savedCheck)) {
        logMessage(stepLog_, "Already restored %s", name);
        reportFormatted(ui_, "Restore %s", name);
        return Verdict::kRestored;
    }
    if (now.state == FileCheck::State::kUnreadable)
        return failed(entry, "the file cannot be read", now.error);
    bool ours =
        unfinished || now.state == FileCheck::State::kMissing || now.crc == entry.installedCheck;
    if (!ours) {
        logMessage(stepLog_, "Saved check sum different than existing one for %s; skipping", name);
        reportFormatted(ui_, "Left %s", name);
        return Verdict::kLeft;
    }
    // Nothing is written from saved bytes that are no longer what was saved.
    if (!backup.verify(entry))
        return failed(entry, "damaged backup entry", 0);
    int error = 0;
    // Content that is not the installation's whole write is replaced in place: there is nothing
    // to keep, and on a full disk only freeing its space makes room for the previous content.
    bool written = ours && (unfinished || now.state == FileCheck::State::kMissing)
                       ? writeInPlace(backup, entry, &error)
                       : writeBeside(backup, entry, &error);
    if (!written)
        return failed(entry, "the file cannot be written", error);
    logMessage(stepLog_, "Restored %s", name);
    reportFormatted(ui_, "Restore %s", name);
    return Verdict::kRestored;
}

BackupRestore::Verdict BackupRestore::failed(const BackupFile::Entry& entry, const char* reason,
                                             int error) {
    logMessage(stepLog_, "Could not restore %s: %s (%d)", entry.name.c_str(), reason, error);
    if (error != 0)
        reportFormatted(ui_, "FAILED to restore %s: %s (error %d)", entry.name.c_str(), reason,
                        error);
    else
        reportFormatted(ui_, "FAILED to restore %s: %s", entry.name.c_str(), reason);
    return Verdict::kFailed;
}

// The folder the file stood in may be gone with it.
bool BackupRestore::writeInPlace(BackupFile& backup, const BackupFile::Entry& entry, int* error) {
    std::string folder = entry.name.substr(0, entry.name.find_last_of("\\/") + 1);
    int created = 0;
    if (!folder.empty() && !makeDirectories(folder.c_str(), &created)) {
        *error = 3; // ERROR_PATH_NOT_FOUND
        return false;
    }
    WinFile target;
    *error = target.openPath(entry.name.c_str(), fileaccess::kWrite, 0, fileaccess::kCreateOrEmpty);
    if (*error != 0)
        return false;
    bool copied = backup.copyOut(entry, target);
    bool closed = target.close();
    if (!copied || !closed)
        *error = kCannotCopy;
    return copied && closed;
}

// The installed file stays whole until the copy beside it is complete and takes its place.
bool BackupRestore::writeBeside(BackupFile& backup, const BackupFile::Entry& entry, int* error) {
    std::string beside = entry.name + kBesideSuffix;
    WinFile copy;
    *error = copy.openPath(beside.c_str(), fileaccess::kWrite, 0, fileaccess::kCreateOrEmpty);
    // A name too long for a copy beside it leaves only the place itself.
    if (*error == fileaccess::kErrorFilenameTooLong)
        return writeInPlace(backup, entry, error);
    if (*error != 0)
        return false;
    bool copied = backup.copyOut(entry, copy);
    bool closed = copy.close();
    if (copied && closed && FileMover::move(beside.c_str(), entry.name.c_str()))
        return true;
    *error = copied && closed ? 5 : kCannotCopy; // ERROR_ACCESS_DENIED: the place is held
    platform::removeFile(beside.c_str());
    return false;
}
