// The file sets of the description and their files, in the order the installation copies them
// (each set's FN children last to first). A set or file whose name, path or condition does not
// fit its record whole cannot be installed as described: used cut it would install somewhere
// else or decide differently, and left out the run would report success without it. The read
// then fails and says which.
#pragma once

#include "config/FileInfo.h"
#include "config/FileSetInfo.h"
#include "package/RecordList.h"
#include "package/TextPool.h"

class Log;
class Payload;
class XmlDocument;

class FileList {
  public:
    FileList() : fileSets_(5), files_(5) {}

    // Reads every named FileSet; the payload gives each file its packaged size. False when a
    // text does not fit (problem() says which) or memory runs out.
    bool read(const XmlDocument& document, const Payload& payload, Log* debugLog);
    const char* problem() const { return problem_; }

    int fileSetCount() const { return fileSets_.count(); }
    const FileSetInfo& fileSet(int index) const { return fileSets_[index]; }
    int fileCount() const { return files_.count(); }
    const FileInfo& file(int index) const { return files_[index]; }

  private:
    class Reader;

    RecordList<FileSetInfo> fileSets_;
    RecordList<FileInfo> files_;
    TextPool texts_;
    char problem_[512] = {};
};
