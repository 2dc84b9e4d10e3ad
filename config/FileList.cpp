#include "config/FileList.h"

#include "config/EntryNameIndex.h"
#include "config/XmlDocument.h"
#include "package/BoundedText.h"
#include "package/Log.h"
#include "package/Payload.h"

#include <cstring>

namespace {
bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// The part after the last separator; a separator in the last position does not count.
const char* fileNameOf(const char* path) {
    const char* name = path;
    for (const char* c = path; c[0] != '\0' && c[1] != '\0'; ++c) {
        if (isSeparator(c[0]))
            name = c + 1;
    }
    return name;
}

// The reference's text without any separator: the name of its packaged entry. False when it
// does not fit.
bool defaultAlias(const char* reference, char* alias, int size) {
    int used = 0;
    for (const char* c = reference; *c != '\0'; ++c) {
        if (isSeparator(*c))
            continue;
        if (used == size - 1)
            return false;
        alias[used++] = *c;
    }
    alias[used] = '\0';
    return true;
}
} // namespace

// One reading of the description into the lists.
class FileList::Reader {
  public:
    Reader(FileList& list, const XmlDocument& document, const Payload& payload, Log* debugLog)
        : list_(list), document_(document), payload_(payload),
          entryNames_(payload.entries(), payload.entryCount()), debugLog_(debugLog) {}

    int readSets() {
        // File records are large: one block for all of them spares the copies of a growing list.
        int references = 0;
        for (int node = 0; node < document_.nodeCount(); ++node)
            references += std::strcmp(document_.nodeName(node), "FN") == 0 ? 1 : 0;
        list_.files_.reserve(list_.files_.count() + references);
        for (int set = document_.findNextByName("FileSet", -1); set >= 0;
             set = document_.findNextByName("FileSet", set)) {
            if (readSet(set) != 0)
                return -1;
        }
        return 0;
    }

  private:
    int refuse(const char* format, ...) KESTREL_PRINTF(2, 3) {
        va_list arguments;
        va_start(arguments, format);
        boundedFormatV(list_.problem_, sizeof list_.problem_, format, arguments);
        va_end(arguments);
        logMessage(debugLog_, "%s", list_.problem_);
        return -1;
    }

    int readSet(int set) {
        const char* name = document_.getAttribute(set, "Name");
        if (name == nullptr)
            return 0;
        FileSetInfo info;
        std::memset(&info, 0, sizeof info);
        copyText(info.description, sizeof info.description, document_.getAttribute(set, "Desc"));
        if (copyText(info.name, sizeof info.name, name) != 0 ||
            copyText(info.condition, sizeof info.condition,
                     document_.getAttribute(set, "Condition")) != 0)
            return refuse("the name or the Condition of FileSet \"%s\" is too long (at most %d "
                          "and %d characters)",
                          name, static_cast<int>(sizeof info.name) - 1,
                          static_cast<int>(sizeof info.condition) - 1);
        if (!list_.fileSets_.append(info))
            return -1;
        return readFiles(set, list_.fileSets_.count() - 1);
    }

    // The set's FN children, last to first.
    int readFiles(int set, int setIndex) {
        IndexList children;
        document_.getChildren(set, &children);
        for (int i = children.count() - 1; i >= 0; --i) {
            int element = children[i];
            const char* reference = document_.nodeText(element);
            if (std::strcmp(document_.nodeName(element), "FN") != 0 || reference == nullptr ||
                reference[0] == '\0')
                continue;
            FileInfo info;
            if (!readFile(element, reference, setIndex, info))
                return refuse("the file \"%s\" has a name, Alias, Dest or Condition that is too "
                              "long (at most %d characters; %d for the Condition)",
                              reference, static_cast<int>(sizeof info.destination) - 1,
                              static_cast<int>(sizeof info.condition) - 1);
            if (!list_.files_.append(info))
                return -1;
        }
        return 0;
    }

    bool readFile(int element, const char* reference, int setIndex, FileInfo& info) {
        std::memset(&info, 0, sizeof info);
        info.fileSet = setIndex;
        const char* alias = document_.getAttribute(element, "Alias");
        bool whole = alias != nullptr ? copyText(info.alias, sizeof info.alias, alias) == 0
                                      : defaultAlias(reference, info.alias, sizeof info.alias);
        whole = copyText(info.fileName, sizeof info.fileName, fileNameOf(reference)) == 0 && whole;
        whole = copyText(info.destination, sizeof info.destination,
                         document_.getAttribute(element, "Dest")) == 0 &&
                whole;
        whole = copyText(info.condition, sizeof info.condition,
                         document_.getAttribute(element, "Condition")) == 0 &&
                whole;
        int entry = entryNames_.find(info.alias);
        info.unpackedSize = entry >= 0 ? payload_.entry(entry).header.size : 0;
        info.expandVariables = document_.getAttribute(element, "ExpandVarsInFile") != nullptr;
        info.executable = document_.getAttribute(element, "Executable") != nullptr;
        return whole;
    }

    FileList& list_;
    const XmlDocument& document_;
    const Payload& payload_;
    EntryNameIndex entryNames_;
    Log* debugLog_;
};

int FileList::read(const XmlDocument& document, const Payload& payload, Log* debugLog) {
    Reader reader(*this, document, payload, debugLog);
    return reader.readSets();
}
