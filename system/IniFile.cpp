#include "system/IniFile.h"

#include "package/Platform.h"
#include "package/TextEncoding.h"
#include "package/Utf8Text.h"
#include "package/WinFile.h"
#include "system/FileMover.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {
const char kUtf8Mark[] = "\xEF\xBB\xBF";
const char kUtf16LEMark[] = "\xFF\xFE";
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

bool startsWith(const std::string& bytes, const char* mark) {
    return bytes.compare(0, std::strlen(mark), mark) == 0;
}

// What a file's bytes are, told as another program reading them would tell it.
struct FileEncoding {
    bool supported = true;
    unsigned codePage = 0; // 0: an empty file, no encoding yet
    size_t markLength = 0;
};

FileEncoding encodingOf(const std::string& bytes) {
    if (startsWith(bytes, kUtf16LEMark))
        return {true, TextEncoding::kUtf16LE, 2};
    if (startsWith(bytes, kUtf8Mark))
        return {true, TextEncoding::kUtf8, 3};
    // UTF-16BE, or UTF-16 without its mark, would be read as single bytes and written back broken.
    if (startsWith(bytes, "\xFE\xFF") || bytes.find('\0') != std::string::npos)
        return {false, 0, 0};
    if (bytes.empty())
        return {};
    // Without a mark, UTF-8 is told by its non-ASCII bytes: in ANSI text they are rarely a
    // valid UTF-8 sequence.
    bool utf8 = Utf8Text::isValid(bytes.data(), bytes.size()) &&
                Utf8Text::hasNonAscii(bytes.data(), bytes.size());
    return {true, utf8 ? TextEncoding::kUtf8 : TextEncoding::systemAnsiCodePage(), 0};
}

std::optional<std::string> toFile(const std::string& text, unsigned codePage) {
    return TextEncoding::convert(text, TextEncoding::processCodePage(), codePage);
}

// The text the file's bytes stand for, in the engine's code page; nothing when they could not be
// written back as they are. `encoding` gets how they were told.
std::optional<std::string> textOf(const std::string& bytes, FileEncoding* encoding) {
    *encoding = encodingOf(bytes);
    if (!encoding->supported)
        return std::nullopt;
    if (encoding->codePage == 0)
        return std::string();
    std::string body = bytes.substr(encoding->markLength);
    std::optional<std::string> text =
        TextEncoding::convert(body, encoding->codePage, TextEncoding::processCodePage());
    // A byte the conversion does not give back would be changed in every line on save.
    if (!text || text->find('\0') != std::string::npos || toFile(*text, encoding->codePage) != body)
        return std::nullopt;
    return text;
}

// Written bytes must read back as the same text, or the next run (the undo) would not find the
// value it wrote: ANSI bytes may happen to be valid UTF-8.
bool readsBackAs(const std::string& bytes, const std::string& text) {
    FileEncoding encoding;
    return textOf(bytes, &encoding) == text;
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
        return "the file's text could not be written back as it is (UTF-16BE, NUL bytes, or "
               "bytes that are no text in its encoding)";
    case Status::TooLarge:
        return "the file is too large";
    case Status::WriteFailed:
        return "the file cannot be written";
    case Status::Unencodable:
        return "the file's encoding cannot hold the text";
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
    return decode(bytes);
}

IniFile::Status IniFile::decode(const std::string& bytes) {
    parse(std::string());
    FileEncoding encoding;
    std::optional<std::string> text = textOf(bytes, &encoding);
    if (!text)
        return Status::Unsupported;
    parse(*text);
    codePage_ = encoding.codePage;
    byteOrderMark_ = bytes.substr(0, encoding.markLength);
    asciiOnly_ = encoding.markLength == 0 && !Utf8Text::hasNonAscii(bytes.data(), bytes.size());
    return Status::Ok;
}

IniFile::Status IniFile::encode(std::string* bytes) const {
    std::string document = text();
    if (codePage_ != 0) {
        std::optional<std::string> body = toFile(document, codePage_);
        if (!body || !readsBackAs(byteOrderMark_ + *body, document))
            return Status::Unencodable;
        *bytes = byteOrderMark_ + *body;
        return Status::Ok;
    }
    unsigned ansi = TextEncoding::systemAnsiCodePage();
    std::optional<std::string> narrow = toFile(document, ansi);
    if (narrow && readsBackAs(*narrow, document)) {
        *bytes = *narrow;
        return Status::Ok;
    }
    std::optional<std::string> wide = toFile(document, TextEncoding::kUtf16LE);
    if (!wide)
        return Status::Unencodable;
    *bytes = kUtf16LEMark + *wide;
    return Status::Ok;
}

bool IniFile::canHold(const std::string& text) const {
    return toFile(text, codePage_ != 0 ? codePage_ : TextEncoding::kUtf16LE).has_value();
}

void IniFile::allowUtf8For(const std::string& text) {
    if (asciiOnly_ && codePage_ != 0 && !canHold(text))
        codePage_ = TextEncoding::kUtf8;
}

std::string IniFile::encodingName() const {
    if (codePage_ == 0)
        return "ANSI or UTF-16LE";
    if (codePage_ == TextEncoding::kUtf8)
        return "UTF-8";
    if (codePage_ == TextEncoding::kUtf16LE)
        return "UTF-16LE";
    return "code page " + std::to_string(codePage_);
}

IniFile::Status IniFile::save(const std::string& path) const {
    std::string bytes;
    Status encoded = encode(&bytes);
    if (encoded != Status::Ok)
        return encoded;
    std::string temporary = temporaryNameFor(path);
    if (!writeWhole(temporary, bytes) || !FileMover::move(temporary.c_str(), path.c_str())) {
        std::remove(temporary.c_str());
        return Status::WriteFailed;
    }
    return Status::Ok;
}

void IniFile::parse(const std::string& text) {
    lines_.clear();
    codePage_ = 0;
    asciiOnly_ = false;
    byteOrderMark_.clear();
    newline_ = "\r\n";
    size_t start = 0;
    bool newlineSeen = false;
    while (start < text.size()) {
        size_t feed = text.find('\n', start);
        size_t stop = feed == std::string::npos ? text.size() : feed;
        Line line;
        if (feed != std::string::npos) {
            bool crlf = stop > start && text[stop - 1] == '\r';
            stop -= crlf ? 1 : 0;
            line.end = crlf ? "\r\n" : "\n";
            if (!newlineSeen)
                newline_ = line.end;
            newlineSeen = true;
        }
        line.text = text.substr(start, stop - start);
        lines_.push_back(line);
        start = feed == std::string::npos ? text.size() : feed + 1;
    }
}

std::string IniFile::text() const {
    std::string bytes;
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
