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

    FileCopy(const FileList& files, const VariableStore& variables, const Payload& payload,
             RunReporter& ui, ActionLog& actionLog, BackupFile& backup, KnownFolders& folders);

    // Installs record `index` of `count`. kStop when the handler asked to end the file loop.
    Result perform(const FileInfo& info, int index, int count);

    // Whether the record is installed at all: a destination, and its conditions hold.
    static bool isSelected(const FileInfo& info, const FileList& files,
                           const VariableStore& variables);
    // The folder (with its separator) and the full path of the record, formed whole, or false
    // (with `path` naming the file as the description does, for a report).
    static bool formDestination(const FileInfo& info, const VariableStore& variables,
                                char (&directory)[256], char (&path)[512]);
    // After perform: whether the file was written, where, and how many bytes.
    bool wasWritten() const { return written_; }
    // Whether anything of the file failed: it, or the record that says its write completed.
    bool hasFailed() const { return failed_ || recordFailed_; }
    // Written where no file stood before.
    bool wasCreated() const { return written_ && !existed_; }
    const char* path() const { return path_; }
    const char* folder() const { return directory_; }
    uint32_t length() const { return length_; }

  private:
    enum class Step { kDone, kFailed, kStopped };

    Step install();
    bool formPath();
    bool makeDirectory();
    bool inspectDestination();
    bool unpack();
    bool sumStreamedContent();
    void expandContent();
    bool backUp();
    bool writeContent();
    bool writeStreamedContent(WinFile& file);
    Step fail();
    // Notes how the entry came out; true when whole.
    bool noteRead(Payload::EntryRead read);

    const FileList& files_;
    const VariableStore& variables_;
    const Payload& payload_;
    RunReporter& ui_;
    ActionLog& actionLog_;
    BackupFile& backup_;
    KnownFolders& folders_;

    FileInfo info_{};
    // The folder with its trailing separator: makeDirectories works in 256 bytes.
    char directory_[256] = {};
    char path_[512] = {};
    std::unique_ptr<unsigned char[]> unpacked_;
    // Files of this size and more are installed as packed, without expansion.
    static constexpr uint32_t kExpandLimit = 512;
    // Entries of this size and more go from the package into their file piece by piece instead
    // of through a buffer of their whole size; below it one buffer is the faster way.
    static constexpr uint32_t kStreamLimit = 1u << 20;
    int entry_ = -1;
    bool streamed_ = false;
    // Of a streamed entry, for its backup.
    uint32_t streamedSum_ = 0;
    std::string expanded_;
    const unsigned char* content_ = nullptr;
    uint32_t length_ = 0;
    bool existed_ = false;
    bool failed_ = false;
    bool recordFailed_ = false;
    bool written_ = false;
    bool unreadable_ = false;
};
