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

FileCopy::Outcome FileCopy::perform(const FileInfo& info, int index, int count) {
    Outcome outcome;
    if (!isSelected(info, files_, variables_))
        return outcome;
    Destination destination = formPath(info);
    Content content;
    Installed installed = install(info, destination, content);
    if (installed.step == Step::kStopped) {
        outcome.result = Result::kStop;
        return outcome;
    }
    ui_.showProgress(static_cast<int>(static_cast<double>(index) / count * 100.0));
    outcome.written = installed.step == Step::kWritten;
    outcome.failed = installed.step == Step::kFailed || installed.recordFailed;
    outcome.created = outcome.written && !installed.existed;
    outcome.folder = destination.folder;
    outcome.length = content.length;
    outcome.result =
        report(destination.path, installed, content.unreadable) ? Result::kStop : Result::kContinue;
    return outcome;
}

bool FileCopy::report(const char* path, const Installed& installed, bool unreadable) {
    bool failed = installed.step == Step::kFailed;
    const char* verb = installed.existed ? "Overwrite " : "Create ";
    if (failed)
        verb = installed.existed ? "overwrite " : "create ";
    const char* reason = failed && unreadable ? ": the installer package could not be read" : "";
    return reportFormatted(ui_, "%s%s%s%s", failed ? "FAILED to " : "", verb, path, reason);
}

// Within one file: folders, DIR record, backup, FILE record, content. The FILE record comes
// before the content so that an interrupted write still leaves a trace to undo.
FileCopy::Installed FileCopy::install(const FileInfo& info, const Destination& destination,
                                      Content& content) {
    if (!destination.whole || !makeDirectory(destination))
        return {};
    ui_.showStatus(destination.path);
    platform::PathKind found = inspectDestination(info, destination);
    if (found == platform::PathKind::kDirectory)
        return {};
    Installed installed;
    installed.existed = found == platform::PathKind::kFile;
    if (!unpack(info, installed.existed, content))
        return installed;
    expandContent(info, content);
    // Overwriting without a backup would lose the previous content for good.
    if (installed.existed && !backUp(destination.path, content))
        return installed;
    if (!actionLog_.writeFile(installed.existed, destination.path))
        return installed;
    if (ui_.keepResponsive()) {
        installed.step = Step::kStopped;
        return installed;
    }
    folders_.noteWritten(destination.folder, info.fileName);
    if (!writeContent(destination.path, content))
        return installed;
    installed.step = Step::kWritten;
    // Without it an uninstall takes the write for cut and restores the previous content
    // whatever the file holds then.
    if (installed.existed && !actionLog_.writeFileDone(destination.path))
        installed.recordFailed = true;
    return installed;
}

const unsigned char* FileCopy::Content::bytes() const {
    return unpacked ? unpacked.get() : reinterpret_cast<const unsigned char*>(expanded.data());
}

bool FileCopy::Content::noteRead(Payload::EntryRead read) {
    if (read == Payload::EntryRead::kUnreadable)
        unreadable = true;
    return read == Payload::EntryRead::kWhole;
}

// The destination must expand whole, to an anchored folder that leaves room for its separator,
// and the full path must fit: a cut or unanchored path would put the file somewhere else. The
// folder is made canonical first, so that the folders created and the ones recorded are the
// same. A device name as a level or the file name, or "." / ".." as the file name, names no
// file the installation could write.
bool FileCopy::formDestination(const FileInfo& info, const VariableStore& variables,
                               char (&directory)[fileaccess::kPathSize],
                               char (&path)[fileaccess::kPathSize]) {
    char expanded[fileaccess::kPathSize];
    bool formed = variables.expand(info.destination, expanded, sizeof expanded) ==
                      VariableStore::Expansion::kExpanded &&
                  isFullPath(expanded) &&
                  boundedFormat(directory, sizeof directory, "%s\\", expanded) >= 0 &&
                  normalizePath(directory) &&
                  boundedFormat(path, sizeof path, "%s%s", directory, info.fileName) >= 0;
    if (!formed) {
        // Only shown: the report names the file as the description does.
        boundedFormat(path, sizeof path, "%s\\%s", info.destination, info.fileName);
        return false;
    }
    bool dotName = std::strcmp(info.fileName, ".") == 0 || std::strcmp(info.fileName, "..") == 0;
    // The system's file calls take no longer path (in characters): it could be made but never
    // written.
    bool fits = fileaccess::fitsPathLimit(path);
    return fits && !dotName && !hasReservedDeviceLevel(path);
}

bool FileCopy::isSelected(const FileInfo& info, const FileList& files,
                          const VariableStore& variables) {
    if (info.destination[0] == '\0')
        return false;
    if (!ConditionEvaluator::evaluate(variables, info.condition))
        return false;
    if (info.fileSet < 0 || info.fileSet >= files.fileSetCount())
        return true;
    return ConditionEvaluator::evaluate(variables, files.fileSet(info.fileSet).condition);
}

FileCopy::Destination FileCopy::formPath(const FileInfo& info) const {
    Destination destination;
    destination.whole = formDestination(info, variables_, destination.folder, destination.path);
    return destination;
}

// The DIR record names the missing levels before they are made, so that a run stopped right
// after making one still has it undone; a level that then could not be made is simply not there
// for the uninstall. No level is made that the log could not record.
bool FileCopy::makeDirectory(const Destination& destination) {
    const char* folder = destination.folder;
    if (folders_.contains(folder))
        return true;
    int created = 0;
    int createdLength = 0;
    bool made =
        makeDirectories(folder, &created, &createdLength, [this, folder](int levels, int length) {
            char deepest[sizeof destination.folder];
            return copyTextPiece(deepest, sizeof deepest, folder, length) &&
                   actionLog_.writeDirectory(levels, deepest);
        });
    if (made)
        folders_.add(folder, createdLength == static_cast<int>(std::strlen(folder)) ? created : 0);
    return made;
}

// A folder in the file's place is not a file to back up and overwrite. A file another program
// holds open exists even though nobody else can read it now.
platform::PathKind FileCopy::inspectDestination(const FileInfo& info,
                                                const Destination& destination) const {
    return folders_.mayHold(destination.folder, info.fileName)
               ? platform::pathKind(destination.path)
               : platform::PathKind::kNothing;
}

// A damaged entry fails here, before anything is backed up or recorded; a large entry that
// replaces a file is inflated once for that (its check sum goes into the backup), a large new
// file only while it is written.
bool FileCopy::unpack(const FileInfo& info, bool existed, Content& content) const {
    content.entry = payload_.find(info.alias);
    if (content.entry < 0)
        return false;
    content.streamed = payload_.entry(content.entry).size >= kStreamLimit;
    if (content.streamed) {
        content.length = payload_.entry(content.entry).size;
        return !existed || sumStreamedContent(content);
    }
    Payload::EntryRead read = Payload::EntryRead::kWhole;
    content.unpacked = payload_.unpack(info.alias, &content.length, &read);
    return content.noteRead(read) && content.unpacked != nullptr;
}

bool FileCopy::sumStreamedContent(Content& content) const {
    content.streamedSum = 0;
    return content.noteRead(
        payload_.inflate(content.entry, [&content](const unsigned char* piece, uint32_t length) {
            content.streamedSum = FileCheck::update(content.streamedSum, piece, length);
            return true;
        }));
}

// Small text files may carry variable references. The unpacked buffer is terminated behind the
// data. Brackets that name no variable (an INI section header, a JSON array) stay as they are,
// and the result is never cut: several long values may make it far longer than the file.
void FileCopy::expandContent(const FileInfo& info, Content& content) const {
    if (info.expandVariables == 0 || content.length >= kExpandLimit)
        return;
    content.expanded =
        variables_.expandKnown(reinterpret_cast<const char*>(content.bytes()), content.length);
    content.unpacked.reset();
    content.length = static_cast<uint32_t>(content.expanded.size());
}

// The entry carries the check of exactly the bytes about to be written, so that an uninstall
// recognises the file as unchanged and restores the previous content.
bool FileCopy::backUp(const char* path, const Content& content) {
    uint32_t sum =
        content.streamed ? content.streamedSum : FileCheck::of(content.bytes(), content.length);
    ui_.keepResponsive();
    ErrorList errors = backup_.addFile(path, sum);
    if (errors.empty()) {
        reportFormatted(ui_, "Back up %s", path);
        return true;
    }
    char reason[512];
    errors.render(reason, sizeof reason);
    reportFormatted(ui_, "FAILED to back up %s: %s", path, reason);
    return false;
}

bool FileCopy::writeContent(const char* path, Content& content) const {
    WinFile file;
    if (file.openPath(path, fileaccess::kRead | fileaccess::kWrite, fileaccess::kShareRead,
                      fileaccess::kCreateOrEmpty) != 0)
        return false;
    uint32_t written = 0;
    bool whole = content.streamed ? writeStreamedContent(file, content)
                                  : file.write(content.bytes(), content.length, &written) == 0 &&
                                        written == content.length;
    if (!file.close())
        whole = false;
    // The buffer is not needed any more; the next file may need the memory.
    content.unpacked.reset();
    return whole;
}

// An entry found damaged or unreadable only now (a new file is inflated once; the package may
// shrink between the check sum and the write of a replacing one) fails the file as a failed
// write does: nothing more is written into it, and its FILE record stands, so an undo of the
// run removes it or restores what it replaced.
bool FileCopy::writeStreamedContent(WinFile& file, Content& content) const {
    return content.noteRead(
        payload_.inflate(content.entry, [&file](const unsigned char* piece, uint32_t length) {
            uint32_t written = 0;
            return file.write(piece, length, &written) == 0 && written == length;
        }));
}
