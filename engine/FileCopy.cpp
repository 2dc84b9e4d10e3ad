#include "engine/FileCopy.h"

#include "config/ConditionEvaluator.h"
#include "config/FileList.h"
#include "config/VariableStore.h"
#include "engine/ActionLog.h"
#include "engine/BackupFile.h"
#include "engine/KnownFolders.h"
#include "engine/RunReport.h"
#include "package/FileCheck.h"
#include "package/Paths.h"
#include "package/Payload.h"
#include "package/Platform.h"
#include "package/RunReporter.h"
#include "package/WinFile.h"

#include <cstring>

FileCopy::FileCopy(const FileList& files, const VariableStore& variables, const Payload& payload,
                   RunReporter& ui, ActionLog& actionLog, BackupFile& backup, KnownFolders& folders)
    : files_(files), variables_(variables), payload_(payload), ui_(ui), actionLog_(actionLog),
      backup_(backup), folders_(folders) {}

FileCopy::Result FileCopy::perform(const FileInfo& info, int index, int count) {
    info_ = info;
    if (!isSelected(info_, files_, variables_))
        return Result::kSkipped;
    if (install() == Step::kStopped)
        return Result::kStop;
    ui_.showProgress(static_cast<int>(static_cast<double>(index) / count * 100.0));
    const char* verb = existed_ ? "Overwrite " : "Create ";
    if (failed_)
        verb = existed_ ? "overwrite " : "create ";
    const char* reason = failed_ && unreadable_ ? ": the installer package could not be read" : "";
    return reportFormatted(ui_, "%s%s%s%s", failed_ ? "FAILED to " : "", verb, path_, reason) != 0
               ? Result::kStop
               : Result::kContinue;
}

// Within one file: folders, DIR record, backup, FILE record, content. The FILE record comes
// before the content so that an interrupted write still leaves a trace to undo.
FileCopy::Step FileCopy::install() {
    if (!formPath() || !makeDirectory())
        return fail();
    ui_.showStatus(path_);
    if (!inspectDestination() || !unpack())
        return fail();
    expandContent();
    // Overwriting without a backup would lose the previous content for good.
    if (existed_ && !backUp())
        return fail();
    if (!actionLog_.writeFile(existed_, path_))
        return fail();
    if (ui_.keepResponsive())
        return Step::kStopped;
    folders_.noteWritten(directory_, info_.fileName);
    if (!writeContent())
        return fail();
    written_ = true;
    // Without it an uninstall takes the write for cut and restores the previous content
    // whatever the file holds then.
    if (existed_ && !actionLog_.writeFileDone(path_))
        recordFailed_ = true;
    return Step::kDone;
}

FileCopy::Step FileCopy::fail() {
    failed_ = true;
    return Step::kFailed;
}

bool FileCopy::noteRead(Payload::EntryRead read) {
    if (read == Payload::EntryRead::kUnreadable)
        unreadable_ = true;
    return read == Payload::EntryRead::kWhole;
}

// The destination must expand whole, to an anchored folder that leaves room for its separator,
// and the full path must fit: a cut or unanchored path would put the file somewhere else. The
// folder is made canonical first, so that the folders created and the ones recorded are the
// same. A device name as a level or the file name, or "." / ".." as the file name, names no
// file the installation could write.
bool FileCopy::formDestination(const FileInfo& info, const VariableStore& variables,
                               char (&directory)[256], char (&path)[512]) {
    char expanded[256];
    bool formed =
        variables.expand(info.destination, expanded, sizeof expanded) == VariableStore::kExpanded &&
        isFullPath(expanded) && boundedFormat(directory, sizeof directory, "%s\\", expanded) >= 0 &&
        normalizePath(directory) &&
        boundedFormat(path, sizeof path, "%s%s", directory, info.fileName) >= 0;
    if (!formed) {
        // Only shown: the report names the file as the description does.
        boundedFormat(path, sizeof path, "%s\\%s", info.destination, info.fileName);
        return false;
    }
    bool dotName = std::strcmp(info.fileName, ".") == 0 || std::strcmp(info.fileName, "..") == 0;
    // The system's file calls take no longer path: it could be made but never written.
    bool fits = std::strlen(path) < static_cast<size_t>(fileaccess::kPathSize);
    return fits && !dotName && !hasReservedDeviceLevel(path);
}

bool FileCopy::isSelected(const FileInfo& info, const FileList& files,
                          const VariableStore& variables) {
    if (info.destination[0] == '\0')
        return false;
    if (ConditionEvaluator::evaluate(variables, info.condition) == 0)
        return false;
    if (info.fileSet < 0 || info.fileSet >= files.fileSetCount())
        return true;
    return ConditionEvaluator::evaluate(variables, files.fileSet(info.fileSet).condition) != 0;
}

bool FileCopy::formPath() {
    return formDestination(info_, variables_, directory_, path_);
}

// The DIR record names the missing levels before they are made, so that a run stopped right
// after making one still has it undone; a level that then could not be made is simply not there
// for the uninstall. No level is made that the log could not record.
bool FileCopy::makeDirectory() {
    if (folders_.contains(directory_))
        return true;
    int created = 0;
    int createdLength = 0;
    bool made =
        makeDirectories(directory_, &created, &createdLength, [this](int levels, int length) {
            char deepest[sizeof directory_];
            return copyTextPiece(deepest, sizeof deepest, directory_, length) == 0 &&
                   actionLog_.writeDirectory(levels, deepest);
        }) == 0;
    if (made)
        folders_.add(directory_,
                     createdLength == static_cast<int>(std::strlen(directory_)) ? created : 0);
    return made;
}

// A folder in the file's place is not a file to back up and overwrite. A file another program
// holds open exists even though nobody else can read it now.
bool FileCopy::inspectDestination() {
    platform::PathKind kind = folders_.mayHold(directory_, info_.fileName)
                                  ? platform::pathKind(path_)
                                  : platform::PathKind::kNothing;
    existed_ = kind == platform::PathKind::kFile;
    return kind != platform::PathKind::kDirectory;
}

// A damaged entry fails here, before anything is backed up or recorded; a large entry that
// replaces a file is inflated once for that (its check sum goes into the backup), a large new
// file only while it is written.
bool FileCopy::unpack() {
    entry_ = payload_.find(info_.alias);
    if (entry_ < 0)
        return false;
    streamed_ = payload_.entry(entry_).size >= kStreamLimit;
    if (streamed_) {
        length_ = payload_.entry(entry_).size;
        return !existed_ || sumStreamedContent();
    }
    Payload::EntryRead read = Payload::EntryRead::kWhole;
    unpacked_ = payload_.unpack(info_.alias, &length_, &read);
    content_ = unpacked_.get();
    return noteRead(read) && content_ != nullptr;
}

bool FileCopy::sumStreamedContent() {
    streamedSum_ = 0;
    return noteRead(payload_.inflate(entry_, [this](const unsigned char* piece, uint32_t length) {
        streamedSum_ = FileCheck::update(streamedSum_, piece, length);
        return true;
    }));
}

// Small text files may carry variable references. The unpacked buffer is terminated behind the
// data. Brackets that name no variable (an INI section header, a JSON array) stay as they are,
// and the result is never cut: several long values may make it far longer than the file.
void FileCopy::expandContent() {
    if (info_.expandVariables == 0 || length_ >= kExpandLimit)
        return;
    expanded_ = variables_.expandKnown(reinterpret_cast<const char*>(content_), length_);
    unpacked_.reset();
    content_ = reinterpret_cast<const unsigned char*>(expanded_.data());
    length_ = static_cast<uint32_t>(expanded_.size());
}

// The entry carries the check of exactly the bytes about to be written, so that an uninstall
// recognises the file as unchanged and restores the previous content.
bool FileCopy::backUp() {
    uint32_t sum = streamed_ ? streamedSum_ : FileCheck::of(content_, length_);
    ui_.keepResponsive();
    ErrorList errors = backup_.addFile(path_, sum);
    if (errors.empty()) {
        reportFormatted(ui_, "Back up %s", path_);
        return true;
    }
    char reason[512];
    errors.render(reason, sizeof reason);
    reportFormatted(ui_, "FAILED to back up %s: %s", path_, reason);
    return false;
}

bool FileCopy::writeContent() {
    WinFile file;
    if (file.openPath(path_, fileaccess::kRead | fileaccess::kWrite, fileaccess::kShareRead,
                      fileaccess::kCreateOrEmpty) != 0)
        return false;
    uint32_t written = 0;
    bool whole = streamed_ ? writeStreamedContent(file)
                           : file.write(content_, length_, &written) == 0 && written == length_;
    if (file.close() != 0)
        whole = false;
    unpacked_.reset();
    return whole;
}

// An entry found damaged or unreadable only now (a new file is inflated once; the package may
// shrink between the check sum and the write of a replacing one) fails the file as a failed
// write does: nothing more is written into it, and its FILE record stands, so an undo of the
// run removes it or restores what it replaced.
bool FileCopy::writeStreamedContent(WinFile& file) {
    return noteRead(payload_.inflate(entry_, [&file](const unsigned char* piece, uint32_t length) {
        uint32_t written = 0;
        return file.write(piece, length, &written) == 0 && written == length;
    }));
}
