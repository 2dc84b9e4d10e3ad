// An INI file as a list of lines, edited in memory and written back whole. Lines the edit does
// not touch come back byte for byte, with their own line ends: the files belong to other
// programs, which may depend on their comments, layout or line ends.
//
// What a line is: ";" first: a comment; "[" first with a "]" later: a section header named by
// the text up to the first "]"; any other line with "=": a key line, the key before the first
// "=" and the value after it, nothing trimmed; anything else is kept and passed over. Lines
// before the first header belong to the section with the empty name. Section names match
// without regard to case, keys with regard to case.
//
// The file keeps its own encoding. In memory the document is in the engine's code page, so that
// sections and keys match the engine's strings and the values it records are its own strings;
// the bytes are converted on load and back on save. What the bytes are: a UTF-8 mark: UTF-8; a
// UTF-16LE mark (FF FE): UTF-16LE; no mark: UTF-8 when the bytes are valid UTF-8 and hold a byte
// outside ASCII (what most programs write today), else the system's ANSI code page, as the
// system's own profile functions read it. A new or empty file has no encoding yet: it is written
// in the ANSI code page when that holds its text (and the bytes would not read back as UTF-8),
// else as UTF-16LE with its mark, which the system's profile functions read as Unicode.
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
        Unsupported, // UTF-16BE, NUL bytes, or bytes that do not convert back to themselves:
                     // it could not be written back as it is
        TooLarge,
        WriteFailed, // nothing replaced: the original is unchanged
        Unencodable, // the file's encoding cannot hold the text, or it would read back as
                     // another encoding; nothing written
    };
    static const char* describe(Status status);

    // A file larger than this is no INI file the engine should rewrite in memory.
    static constexpr int64_t kMaxFileSize = 16 * 1024 * 1024;

    Status load(const std::string& path);
    // Writes a temporary file beside `path` and moves it over the original only when every
    // byte was written, so that a full disk leaves the original whole.
    Status save(const std::string& path) const;
    // The file's bytes as `save` writes them: Ok, or Unencodable with `bytes` untouched.
    Status encode(std::string* bytes) const;
    // Takes the file's bytes: Ok or Unsupported (then the document is empty).
    Status decode(const std::string& bytes);

    // Whether the file's encoding holds the text (the engine's code page) as it is.
    bool canHold(const std::string& text) const;
    // A file without a mark that holds only ASCII reads the same as UTF-8: a value it held
    // before (the undo's old value) that the ANSI code page cannot hold was UTF-8, and the file
    // takes UTF-8 for it.
    void allowUtf8For(const std::string& text);
    // The file's encoding for messages: "UTF-8", "UTF-16LE", "code page 1252"; "ANSI or UTF-16LE"
    // for a file that has none yet.
    std::string encodingName() const;

    // The whole document in the engine's code page, without byte-order mark.
    std::string text() const;
    void parse(const std::string& text);

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

    unsigned codePage_ = 0;     // the file's encoding; 0: none yet (a new or empty file)
    bool asciiOnly_ = false;    // no mark, no byte outside ASCII
    std::string byteOrderMark_; // as the file holds it
    std::string newline_ = "\r\n";
    std::vector<Line> lines_;
};
