#include "config/XmlEncoding.h"

#include "package/TextEncoding.h"
#include "package/Utf8Text.h"

#include <algorithm>
#include <optional>

namespace {
// Longer names are no encoding names; the limit keeps a crafted one out of the message.
constexpr size_t kMaxNameLength = 40;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool startsWith(const std::string& text, size_t at, const char* prefix) {
    return text.compare(at, std::char_traits<char>::length(prefix), prefix) == 0;
}

enum class DeclarationKind { kNone, kUnclosed, kFound };

struct Declaration {
    DeclarationKind kind = DeclarationKind::kNone;
    size_t end = 0; // behind its "?>"
    bool namesEncoding = false;
    bool wellFormed = true; // the encoding attribute has an equals sign and a quoted value
    std::string encoding;
};

// The encoding attribute of a declaration's content (between "<?xml" and "?>").
void readEncodingAttribute(const std::string& content, Declaration& declaration) {
    size_t at = 0;
    for (;;) {
        at = content.find("encoding", at);
        if (at == std::string::npos)
            return;
        if (at > 0 && isBlank(content[at - 1]))
            break;
        at += 8;
    }
    declaration.namesEncoding = true;
    at += 8;
    while (at < content.size() && isBlank(content[at]))
        ++at;
    if (at >= content.size() || content[at] != '=') {
        declaration.wellFormed = false;
        return;
    }
    ++at;
    while (at < content.size() && isBlank(content[at]))
        ++at;
    size_t close = std::string::npos;
    if (at < content.size() && (content[at] == '"' || content[at] == '\''))
        close = content.find(content[at], at + 1);
    if (close == std::string::npos) {
        declaration.wellFormed = false;
        return;
    }
    declaration.encoding = content.substr(at + 1, close - at - 1);
}

// The XML declaration at the start of text[at...] (blanks before it are passed over).
Declaration readDeclaration(const std::string& text, size_t at) {
    Declaration declaration;
    while (at < text.size() && isBlank(text[at]))
        ++at;
    if (!startsWith(text, at, "<?xml") || at + 5 >= text.size() ||
        !(isBlank(text[at + 5]) || text[at + 5] == '?'))
        return declaration;
    size_t close = text.find("?>", at + 5);
    if (close == std::string::npos) {
        declaration.kind = DeclarationKind::kUnclosed;
        return declaration;
    }
    declaration.kind = DeclarationKind::kFound;
    declaration.end = close + 2;
    readEncodingAttribute(text.substr(at + 5, close - at - 5), declaration);
    return declaration;
}

// An encoding name as XML writes it: a letter, then letters, digits, '.', '_' and '-'.
bool isEncodingName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameLength)
        return false;
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (!letter(name[0]))
        return false;
    return std::all_of(name.begin(), name.end(), [&](char c) {
        return letter(c) || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    });
}

bool isLineEnd(const std::string& bytes, size_t at, size_t unit) {
    return bytes[at] == '\n' && (unit == 1 || (at + 1 < bytes.size() && bytes[at + 1] == '\0'));
}
} // namespace

XmlEncoding::Decoded XmlEncoding::decode(const char* bytes, size_t length) {
    Decoded result;
    std::string raw = bytes != nullptr ? std::string(bytes, length) : std::string();
    size_t start = 0;
    result.ok = decideEncoding(raw, &start, result) && convert(raw, start, result) &&
                dropDeclaration(result);
    if (!result.ok)
        result.text.clear();
    return result;
}

bool XmlEncoding::decideEncoding(const std::string& bytes, size_t* start, Decoded& result) {
    if (!readByteOrderMark(bytes, start, result))
        return false;
    // A UTF-16 declaration can only be read once converted.
    if (result.codePage == TextEncoding::kUtf16LE)
        return true;
    Declaration declaration = readDeclaration(bytes, *start);
    if (declaration.kind == DeclarationKind::kUnclosed) {
        result.problem = "the XML declaration at its start is not closed by \"?>\"";
        return false;
    }
    // A byte-order mark is what the editor that saved the file wrote; it wins.
    if (result.codePage != 0)
        return true;
    if (!declaration.namesEncoding) {
        result.source = Source::kSystemDefault;
        result.codePage = TextEncoding::systemAnsiCodePage();
        return true;
    }
    if (!declaration.wellFormed || !isEncodingName(declaration.encoding)) {
        result.problem = "the encoding attribute of its XML declaration holds no encoding name";
        return false;
    }
    return takeDeclaredEncoding(declaration.encoding, result);
}

bool XmlEncoding::readByteOrderMark(const std::string& bytes, size_t* start, Decoded& result) {
    if (startsWith(bytes, 0, "\xEF\xBB\xBF") || startsWith(bytes, 0, "\xFF\xFE")) {
        *start = bytes[0] == '\xEF' ? 3 : 2;
        result.source = Source::kByteOrderMark;
        result.codePage = *start == 3 ? TextEncoding::kUtf8 : TextEncoding::kUtf16LE;
    } else if (startsWith(bytes, 0, "\xFE\xFF")) {
        result.problem = "the text is UTF-16 big-endian (byte-order mark FE FF), which the "
                         "installer does not read; save it as UTF-8 or UTF-16LE";
        return false;
    } else if (bytes.size() >= 2 && bytes[0] == '<' && bytes[1] == '\0') {
        result.source = Source::kFirstCharacter;
        result.codePage = TextEncoding::kUtf16LE;
    }
    return true;
}

bool XmlEncoding::takeDeclaredEncoding(const std::string& name, Decoded& result) {
    result.source = Source::kDeclaration;
    result.declared = name;
    result.codePage = TextEncoding::codePageNamed(name);
    if (result.codePage == 0) {
        result.problem = "its XML declaration names the encoding \"" + name +
                         "\", which the installer does not know";
        return false;
    }
    if (result.codePage == TextEncoding::kUtf16LE) {
        result.problem = "its XML declaration names the encoding \"" + name +
                         "\", but the text is not UTF-16: it has no byte-order mark and its "
                         "declaration is written in single bytes";
        return false;
    }
    return true;
}

bool XmlEncoding::convert(const std::string& bytes, size_t start, Decoded& result) {
    std::optional<std::string> text = TextEncoding::convert(bytes.substr(start), result.codePage,
                                                            TextEncoding::processCodePage());
    if (!text) {
        result.problem = failureReason(bytes, start, result);
        return false;
    }
    result.text = std::move(*text);
    return true;
}

// The parser knows no declaration; what it says was taken from the bytes (or overruled by a
// byte-order mark) before converting.
bool XmlEncoding::dropDeclaration(Decoded& result) {
    Declaration declaration = readDeclaration(result.text, 0);
    if (declaration.kind == DeclarationKind::kUnclosed) {
        result.problem = "the XML declaration at its start is not closed by \"?>\"";
        return false;
    }
    if (declaration.kind == DeclarationKind::kFound)
        result.text.erase(0, declaration.end);
    return true;
}

std::string XmlEncoding::failureReason(const std::string& bytes, size_t start,
                                       const Decoded& result) {
    unsigned from = result.codePage;
    Place place = {start, 1, false};
    bool placed = false;
    std::string reason;
    if (!TextEncoding::convert(bytes.substr(start), from, TextEncoding::kUtf16LE)) {
        if (from != TextEncoding::kUtf16LE && !TextEncoding::convert("<", from, from))
            return "the encoding " + encodingName(result) + " is not available on this system";
        placed = from == TextEncoding::kUtf8
                     ? firstInvalidUtf8(bytes, start, &place)
                     : firstFailingLine(bytes, start, from, TextEncoding::kUtf16LE, &place);
        reason = "the text is not valid " + encodingName(result);
    } else {
        placed = firstFailingLine(bytes, start, from, TextEncoding::processCodePage(), &place);
        reason = "the text holds a character that code page " +
                 std::to_string(TextEncoding::processCodePage()) +
                 ", in which the installer works on this system, cannot hold";
    }
    if (!placed)
        return reason;
    std::string line = std::to_string(place.line);
    std::string offset = std::to_string(place.offset);
    return reason + (place.exact ? " at byte " + offset + " (line " + line + ")"
                                 : " in line " + line + " (which begins at byte " + offset + ")");
}

bool XmlEncoding::firstInvalidUtf8(const std::string& bytes, size_t start, Place* place) {
    size_t line = 1;
    size_t at = start;
    while (at < bytes.size()) {
        size_t length = Utf8Text::characterLength(bytes.data(), bytes.size(), at);
        if (length == 1 && static_cast<unsigned char>(bytes[at]) >= 0x80) {
            *place = {at, line, true};
            return true;
        }
        if (bytes[at] == '\n')
            ++line;
        at += length;
    }
    return false;
}

bool XmlEncoding::firstFailingLine(const std::string& bytes, size_t start, unsigned from,
                                   unsigned to, Place* place) {
    // No code page the installer reads puts a line feed inside a character, so every line
    // converts on its own.
    size_t unit = from == TextEncoding::kUtf16LE ? 2 : 1;
    size_t line = 1;
    for (size_t begin = start; begin < bytes.size(); ++line) {
        size_t end = begin;
        while (end < bytes.size() && !isLineEnd(bytes, end, unit))
            end += unit;
        end = std::min(end + unit, bytes.size());
        if (!TextEncoding::convert(bytes.substr(begin, end - begin), from, to)) {
            *place = {begin, line, false};
            return true;
        }
        begin = end;
    }
    return false;
}

std::string XmlEncoding::encodingName(const Decoded& result) {
    std::string codePage = std::to_string(result.codePage);
    switch (result.source) {
    case Source::kByteOrderMark:
        return std::string(result.codePage == TextEncoding::kUtf8 ? "UTF-8" : "UTF-16LE") +
               " (as its byte-order mark says)";
    case Source::kFirstCharacter:
        return "UTF-16LE (as its first character says)";
    case Source::kDeclaration:
        return "\"" + result.declared + "\" (as its XML declaration says)";
    case Source::kSystemDefault:
        break;
    }
    return "code page " + codePage +
           " (the system's ANSI code page, since it declares no encoding; a file in another "
           "encoding must name it in an XML declaration)";
}
