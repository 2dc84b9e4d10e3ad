// An INI file as a list of lines, edited in memory and written back whole. Lines the edit does
// not touch come back byte for byte, with their own line ends: the files belong to other
// programs, which may depend on their comments, layout or line ends.
//
// What a line is: ";" first: a comment; "[" first with a "]" later: a section header named by
// the text up to the first "]"; any other line with "=": a key line, the key before the first
// "=" and the value after it, nothing trimmed; anything else is kept and passed over. Lines
// before the first header belong to the section with the empty name. Section names match
// without regard to case, keys with regard to case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class IniFile {
  public:
    enum class Status {
        Ok,
        Missing,     // no such file: the document starts empty
        Unreadable,  // cannot be opened or read
        Unsupported, // UTF-16 or NUL bytes: it could not be written back as it is
        TooLarge,
        WriteFailed, // nothing replaced: the original is unchanged
    };
    static const char* describe(Status status);

    // A file larger than this is no INI file the engine should rewrite in memory.
    static constexpr int64_t kMaxFileSize = 16 * 1024 * 1024;

    Status load(const std::string& path);
    // Writes a temporary file beside `path` and moves it over the original only when every
    // byte was written, so that a full disk leaves the original whole.
    Status save(const std::string& path) const;

    // Text form of the whole document, exactly as save writes it.
    std::string text() const;
    void parse(const std::string& bytes);

    // Every key line of the section (all its headers), in file order.
    std::vector<std::pair<std::string, std::string>> entriesOf(const std::string& section) const;
    // The value of the line that `write` with a value would replace: the first line of the key
    // in the section's first appearance.
    std::optional<std::string> valueOf(const std::string& section, const std::string& key) const;

    // The edit. key and value given: set the key (at the place of `beforeKey` when that key
    // is in the section and is another key), adding the section when needed. Key given, no value:
    // remove the key. No key: remove the section's header and key lines. False when nothing
    // changed.
    bool write(const std::string& section, const std::optional<std::string>& key,
               const std::optional<std::string>& value, const std::string& beforeKey);

  private:
    struct Line {
        std::string text;
        std::string end; // "\r\n", "\n", or empty for a last line without a line end
    };

    void insertLine(size_t at, const std::string& text);
    void eraseLine(size_t at);

    std::string byteOrderMark_;
    std::string newline_ = "\r\n";
    std::vector<Line> lines_;
};
