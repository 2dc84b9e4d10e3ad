#include "system/IniFile.h"

#include "package/Platform.h"
#include "package/WinFile.h"
#include "system/FileMover.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {
const char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr int kErrorFileNotFound = 2;
constexpr int kErrorPathNotFound = 3;

enum class LineKind { Comment, Header, Key, Other };

struct LineParts {
    LineKind kind = LineKind::Other;
    std::string name; // the section of a header, the key of a key line
    std::string value;
};

LineParts partsOf(const std::string& text) {
    LineParts parts;
    size_t close = text.find(']');
    size_t equals = text.find('=');
    if (!text.empty() && text[0] == ';') {
        parts.kind = LineKind::Comment;
    } else if (!text.empty() && text[0] == '[') {
        if (close != std::string::npos) {
            parts.kind = LineKind::Header;
            parts.name = text.substr(1, close - 1);
        }
    } else if (equals != std::string::npos) {
        parts.kind = LineKind::Key;
        parts.name = text.substr(0, equals);
        parts.value = text.substr(equals + 1);
    }
    return parts;
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y && !(x < 128 && y < 128 && (x | 0x20) == (y | 0x20) && (x | 0x20) >= 'a' &&
                        (x | 0x20) <= 'z'))
            return false;
    }
    return true;
}

// UTF-16 text would be read as single bytes and written back broken.
bool isRewritable(const std::string& bytes) {
    if (bytes.size() >= 2 &&
        ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return false;
    return bytes.find('\0') == std::string::npos;
}

// Beside the original, so that the final move is a rename on the same volume. One fixed name:
// a save that was killed before its move leaves it, and the next save of the file writes over
// it, and the next load of the file removes it, instead of leaving it for good.
std::string temporaryNameFor(const std::string& path) {
    return path + ".~kestrel";
}

bool writeWhole(const std::string& path, const std::string& bytes) {
    WinFile file;
    if (file.openPath(path.c_str(), fileaccess::kWrite, 0, fileaccess::kCreateOrEmpty) != 0)
        return false;
    uint32_t written = 0;
    bool whole = file.write(bytes.data(), static_cast<uint32_t>(bytes.size()), &written) == 0 &&
                 written == bytes.size();
    whole = file.flush() && whole;
    return file.close() && whole;
}
} // namespace

const char* IniFile::describe(Status status) {
    switch (status) {
    case Status::Ok:
        return "done";
    case Status::Missing:
        return "the file does not exist";
    case Status::Unreadable:
        return "the file cannot be read";
    case Status::Unsupported:
        return "the file is not single-byte text (UTF-16 or NUL bytes)";
    case Status::TooLarge:
        return "the file is too large";
    case Status::WriteFailed:
        return "the file cannot be written";
    }
    return "unknown";
}

IniFile::Status IniFile::load(const std::string& path) {
    parse(std::string());
    platform::removeFile(temporaryNameFor(path).c_str());
    WinFile file;
    int error = file.openPath(path.c_str(), fileaccess::kRead, fileaccess::kShareRead,
                              fileaccess::kOpenExisting);
    if (error == kErrorFileNotFound || error == kErrorPathNotFound)
        return Status::Missing;
    if (error != 0)
        return Status::Unreadable;
    int64_t size = file.size();
    if (size < 0)
        return Status::Unreadable;
    if (size > kMaxFileSize)
        return Status::TooLarge;
    std::string bytes(static_cast<size_t>(size), '\0');
    uint32_t got = 0;
    if (file.read(&bytes[0], static_cast<uint32_t>(size), &got) != 0 || got != size)
        return Status::Unreadable;
    if (!isRewritable(bytes))
        return Status::Unsupported;
    parse(bytes);
    return Status::Ok;
}

IniFile::Status IniFile::save(const std::string& path) const {
    std::string temporary = temporaryNameFor(path);
    if (!writeWhole(temporary, text()) || !FileMover::move(temporary.c_str(), path.c_str())) {
        std::remove(temporary.c_str());
        return Status::WriteFailed;
    }
    return Status::Ok;
}

void IniFile::parse(const std::string& bytes) {
    lines_.clear();
    byteOrderMark_.clear();
    newline_ = "\r\n";
    size_t start = 0;
    if (bytes.compare(0, 3, kUtf8Mark) == 0) {
        byteOrderMark_ = kUtf8Mark;
        start = 3;
    }
    bool newlineSeen = false;
    while (start < bytes.size()) {
        size_t feed = bytes.find('\n', start);
        size_t stop = feed == std::string::npos ? bytes.size() : feed;
        Line line;
        if (feed != std::string::npos) {
            bool crlf = stop > start && bytes[stop - 1] == '\r';
            stop -= crlf ? 1 : 0;
            line.end = crlf ? "\r\n" : "\n";
            if (!newlineSeen)
                newline_ = line.end;
            newlineSeen = true;
        }
        line.text = bytes.substr(start, stop - start);
        lines_.push_back(line);
        start = feed == std::string::npos ? bytes.size() : feed + 1;
    }
}

std::string IniFile::text() const {
    std::string bytes = byteOrderMark_;
    for (const Line& line : lines_)
        bytes += line.text + line.end;
    return bytes;
}

std::vector<std::pair<std::string, std::string>>
IniFile::entriesOf(const std::string& section) const {
    std::vector<std::pair<std::string, std::string>> entries;
    std::string current;
    for (const Line& line : lines_) {
        LineParts parts = partsOf(line.text);
        if (parts.kind == LineKind::Header)
            current = parts.name;
        else if (parts.kind == LineKind::Key && equalsIgnoringCase(current, section))
            entries.emplace_back(parts.name, parts.value);
    }
    return entries;
}

std::optional<std::string> IniFile::valueOf(const std::string& section,
                                            const std::string& key) const {
    std::string current;
    for (const Line& line : lines_) {
        LineParts parts = partsOf(line.text);
        if (parts.kind == LineKind::Header) {
            // Where the section's first appearance ends, `write` adds the key.
            if (equalsIgnoringCase(current, section))
                return std::nullopt;
            current = parts.name;
        } else if (parts.kind == LineKind::Key && equalsIgnoringCase(current, section) &&
                   parts.name == key) {
            return parts.value;
        }
    }
    return std::nullopt;
}

// A new line takes the file's line end; at the end of a file whose last line had none, the
// new last line goes without one, as the file did. A last line that ends in a CR keeps it: with
// a bare LF behind, the two would read back as one line end and the undo would lose the CR.
void IniFile::insertLine(size_t at, const std::string& text) {
    Line line{text, newline_};
    if (at == lines_.size() && !lines_.empty() && lines_.back().end.empty()) {
        Line& last = lines_.back();
        last.end = !last.text.empty() && last.text.back() == '\r' ? "\r\n" : newline_;
        line.end.clear();
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), line);
}

void IniFile::eraseLine(size_t at) {
    if (at + 1 == lines_.size() && at > 0 && lines_[at].end.empty())
        lines_[at - 1].end.clear();
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
}

bool IniFile::write(const std::string& section, const std::optional<std::string>& key,
                    const std::optional<std::string>& value, const std::string& beforeKey) {
    // A key placed in front of itself stays where it is: moved in front of its last copy, it
    // would no longer be the first line of the key, the one that is read.
    if (key && !beforeKey.empty() && beforeKey == *key)
        return write(section, key, value, std::string());
    std::string current;
    std::string lastHeader;
    size_t anchor = 0;
    std::optional<size_t> before;
    bool changed = false;
    for (size_t i = 0; i < lines_.size();) {
        LineParts parts = partsOf(lines_[i].text);
        if (parts.kind == LineKind::Header) {
            std::string previous = current;
            current = lastHeader = parts.name;
            if (key && value && equalsIgnoringCase(previous, section)) {
                // The key is not in the section: it goes after the section's last key line.
                insertLine(std::min(i, before ? *before : anchor + 1), *key + "=" + *value);
                return true;
            }
            anchor = i;
            if (!key && equalsIgnoringCase(current, section)) {
                eraseLine(i);
                changed = true;
                continue;
            }
        } else if (parts.kind == LineKind::Key && equalsIgnoringCase(current, section)) {
            if (!key) {
                eraseLine(i);
                changed = true;
                continue;
            }
            if (!beforeKey.empty() && parts.name == beforeKey) {
                before = anchor = i;
            } else if (parts.name != *key) {
                anchor = i;
            } else if (!value) {
                eraseLine(i);
                return true;
            } else if (!beforeKey.empty()) {
                // Taken out here and put back in front of the before-key.
                eraseLine(i);
                changed = true;
                continue;
            } else {
                lines_[i].text = *key + "=" + *value;
                return true;
            }
        }
        ++i;
    }
    if (!key || !value)
        return changed;
    // The last section is the target's first appearance also when written in another case: a
    // second header there would hide the key from valueOf, and so from the undo.
    if (!equalsIgnoringCase(lastHeader, section))
        insertLine(lines_.size(), "[" + section + "]");
    insertLine(before ? *before : lines_.size(), *key + "=" + *value);
    return true;
}
