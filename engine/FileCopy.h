// One file of an installation: its destination, its folders, the backup of what it replaces,
// its FILE record and its content, then its progress and report line. A file whose destination
// cannot be formed whole, whose packaged entry cannot be unpacked, whose previous content could
// not be backed up or whose record could not be written is left alone and reported as failed.
// A package that can no longer be read (its file shrank under the run) fails each file it was to
// give, with that reason; a file already partly written keeps its FILE record, so that an undo
// removes it or restores what it replaced.
#pragma once

#include "config/FileInfo.h"
#include "package/BoundedText.h"
#include "package/Payload.h"
#include "package/Platform.h"
#include "package/WinFile.h"

#include <cstdint>
#include <memory>
#include <string>

class ActionLog;
class BackupFile;
class FileList;
class RunReporter;
class KnownFolders;
class VariableStore;

class FileCopy {
  public:
    enum class Result { kSkipped, kContinue, kStop };
    // What became of one file, for the run's totals.
    struct Outcome {
        // kStop when the handler asked to end the file loop.
        Result result = Result::kSkipped;
        // The whole content is in place.
        bool written = false;
        // Anything of the file failed: it, or the record that says its write completed.
        bool failed = false;
        // Written where no file stood before.
        bool created = false;
        // The folder it went to, with its separator.
        std::string folder;
        // The bytes it received.
        uint32_t length = 0;
    };

    FileCopy(const FileList& files, const VariableStore& variables, const Payload& payload,
             RunReporter& ui, ActionLog& actionLog, BackupFile& backup, KnownFolders& folders);

    // Installs record `index` of `count`.
    Outcome perform(const FileInfo& info, int index, int count);

    // Whether the record is installed at all: a destination, and its conditions hold.
    static bool isSelected(const FileInfo& info, const FileList& files,
                           const VariableStore& variables);
    // The folder (with its separator) and the full path of the record, formed whole, or false
    // (with `path` naming the file as the description does, for a report).
    static bool formDestination(const FileInfo& info, const VariableStore& variables,
                                char (&directory)[fileaccess::kPathSize],
                                char (&path)[fileaccess::kPathSize]);

  private:
    enum class Step { kWritten, kFailed, kStopped };
    struct Destination {
        // The folder with its trailing separator, and the file's path.
        char folder[fileaccess::kPathSize] = {};
        char path[fileaccess::kPathSize] = {};
        // False: the path only names the file for its report.
        bool whole = false;
    };
    // The bytes a file receives: a buffer of the whole entry or of its expansion, or, for a
    // large entry, the entry itself, inflated while it is written.
    struct Content {
        int entry = -1;
        bool streamed = false;
        uint32_t length = 0;
        // Of a streamed entry, for its backup.
        uint32_t streamedSum = 0;
        std::unique_ptr<unsigned char[]> unpacked;
        std::string expanded;
        // The package could not be read for it: its file shrank under the run.
        bool unreadable = false;

        // Of a buffered entry: the unpacked bytes, or their expansion once those are released.
        const unsigned char* bytes() const;
        // Notes how the entry came out; true when whole.
        bool noteRead(Payload::EntryRead read);
    };
    // What became of one file, for its report line.
    struct Installed {
        // Failed until the content is in place: every early return is a failure.
        Step step = Step::kFailed;
        // A file stood at the path before.
        bool existed = false;
        // Written, but the record that says so failed.
        bool recordFailed = false;
    };

    Destination formPath(const FileInfo& info) const;
    Installed install(const FileInfo& info, const Destination& destination, Content& content);
    bool makeDirectory(const Destination& destination);
    platform::PathKind inspectDestination(const FileInfo& info,
                                          const Destination& destination) const;
    bool unpack(const FileInfo& info, bool existed, Content& content) const;
    bool sumStreamedContent(Content& content) const;
    void expandContent(const FileInfo& info, Content& content) const;
    bool backUp(const char* path, const Content& content);
    bool writeContent(const char* path, Content& content) const;
    bool writeStreamedContent(WinFile& file, Content& content) const;
    // Shows the file's line; true when the handler asked to end the file loop.
    bool report(const char* path, const Installed& installed, bool unreadable);

    // Files of this size and more are installed as packed, without expansion.
    static constexpr uint32_t kExpandLimit = 512;
    // Entries of this size and more go from the package into their file piece by piece instead
    // of through a buffer of their whole size; below it one buffer is the faster way.
    static constexpr uint32_t kStreamLimit = 1u << 20;

    const FileList& files_;
    const VariableStore& variables_;
    const Payload& payload_;
    RunReporter& ui_;
    ActionLog& actionLog_;
    BackupFile& backup_;
    KnownFolders& folders_;
};
