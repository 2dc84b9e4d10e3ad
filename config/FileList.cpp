#include "config/FileList.h"

#include "config/XmlDocument.h"
#include "package/BoundedText.h"
#include "package/Log.h"
#include "package/Payload.h"
#include "package/WinFile.h"

#include <cstring>
#include <string>

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

// The reference's text without any separator: the name of its packaged entry.
std::string defaultAlias(const char* reference) {
    std::string alias;
    for (const char* c = reference; *c != '\0'; ++c) {
        if (!isSeparator(*c))
            alias.push_back(*c);
    }
    return alias;
}
} // namespace

// One reading of the description into the lists.
class FileList::Reader {
  public:
    Reader(FileList& list, const XmlDocument& document, const Payload& payload, Log* debugLog)
        : list_(list), document_(document), payload_(payload), debugLog_(debugLog) {}

    bool readSets() {
        // File records are large: one block for all of them spares the copies of a growing list.
        int references = 0;
        for (int node = 0; node < document_.nodeCount(); ++node)
            references += std::strcmp(document_.nodeName(node), "FN") == 0 ? 1 : 0;
        list_.files_.reserve(list_.files_.count() + references);
        for (int set = document_.findNextByName("FileSet", -1); set >= 0;
             set = document_.findNextByName("FileSet", set)) {
            if (!readSet(set))
                return false;
        }
        return true;
    }

  private:
    bool refuse(const char* format, ...) KESTREL_PRINTF(2, 3) {
        va_list arguments;
        va_start(arguments, format);
        boundedFormatV(list_.problem_, sizeof list_.problem_, format, arguments);
        va_end(arguments);
        logMessage(debugLog_, "%s", list_.problem_);
        return false;
    }

    bool readSet(int set) {
        const char* name = document_.getAttribute(set, "Name");
        if (name == nullptr)
            return true;
        FileSetInfo info;
        std::memset(&info, 0, sizeof info);
        copyText(info.description, sizeof info.description, document_.getAttribute(set, "Desc"));
        if (!copyText(info.name, sizeof info.name, name) ||
            !copyText(info.condition, sizeof info.condition,
                      document_.getAttribute(set, "Condition")))
            return refuse("the name or the Condition of FileSet \"%s\" is too long (at most %d "
                          "and %d characters)",
                          name, static_cast<int>(sizeof info.name) - 1,
                          static_cast<int>(sizeof info.condition) - 1);
        if (!list_.fileSets_.append(info))
            return false;
        return readFiles(set, list_.fileSets_.count() - 1);
    }

    // The set's FN children, last to first.
    bool readFiles(int set, int setIndex) {
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
                              reference, FileInfo::kDestinationSize - 1,
                              FileInfo::kConditionSize - 1);
            if (!list_.files_.append(info))
                return false;
        }
        return true;
    }

    // The text kept for the file's record when it fits within `size` bytes with its zero, else
    // null; an absent text is the empty one.
    const char* keep(const char* text, int size) {
        if (text == nullptr)
            text = "";
        size_t length = std::strlen(text);
        return length < static_cast<size_t>(size) ? list_.texts_.keep(text, length) : nullptr;
    }

    // A destination or file name names a path: its limit counts characters, not bytes.
    const char* keepPath(const char* text) {
        if (text == nullptr)
            text = "";
        return fileaccess::fitsPathLimit(text) ? list_.texts_.keep(text, std::strlen(text))
                                               : nullptr;
    }

    bool readFile(int element, const char* reference, int setIndex, FileInfo& info) {
        std::memset(&info, 0, sizeof info);
        info.fileSet = setIndex;
        const char* alias = document_.getAttribute(element, "Alias");
        info.alias = alias != nullptr ? keep(alias, FileInfo::kAliasSize)
                                      : keep(defaultAlias(reference).c_str(), FileInfo::kAliasSize);
        info.fileName = keepPath(fileNameOf(reference));
        info.destination = keepPath(document_.getAttribute(element, "Dest"));
        info.condition =
            keep(document_.getAttribute(element, "Condition"), FileInfo::kConditionSize);
        if (info.alias == nullptr || info.fileName == nullptr || info.destination == nullptr ||
            info.condition == nullptr)
            return false;
        int entry = payload_.find(info.alias);
        info.unpackedSize = entry >= 0 ? payload_.entry(entry).size : 0;
        info.expandVariables = document_.getAttribute(element, "ExpandVarsInFile") != nullptr;
        info.executable = document_.getAttribute(element, "Executable") != nullptr;
        return true;
    }

    FileList& list_;
    const XmlDocument& document_;
    const Payload& payload_;
    Log* debugLog_;
};

bool FileList::read(const XmlDocument& document, const Payload& payload, Log* debugLog) {
    Reader reader(*this, document, payload, debugLog);
    return reader.readSets();
}
