// The encoding of a description or configuration file, and its text in the process code page.
// A byte-order mark decides first (UTF-8 or UTF-16LE; it wins over a declaration that says
// otherwise), then the XML declaration's encoding, and a file that declares none is in the
// system's ANSI code page, as files written for older versions of the installer are. The
// parser understands no declaration, so the decoded text leaves it out.
#pragma once

#include <cstddef>
#include <string>

class XmlEncoding {
  public:
    enum class Source {
        kByteOrderMark,
        kFirstCharacter, // UTF-16LE without a mark: the text begins with '<' and a zero byte
        kDeclaration,
        kSystemDefault,
    };

    struct Decoded {
        bool ok = false;
        Source source = Source::kSystemDefault;
        unsigned codePage = 0; // 0 when the encoding could not be decided
        std::string declared;  // the encoding name of the XML declaration, when there is one
        std::string text;      // in the process code page, without mark and declaration
        std::string problem;   // when not ok: what failed and why, with the place in the file
    };

    static Decoded decode(const char* bytes, size_t length);

  private:
    struct Place {
        size_t offset; // from the first byte of the file
        size_t line;   // from 1
        bool exact;    // false: offset is where the line begins
    };

    static bool decideEncoding(const std::string& bytes, size_t* start, Decoded& result);
    static bool readByteOrderMark(const std::string& bytes, size_t* start, Decoded& result);
    static bool takeDeclaredEncoding(const std::string& name, Decoded& result);
    static bool convert(const std::string& bytes, size_t start, Decoded& result);
    static bool dropDeclaration(Decoded& result);
    static std::string failureReason(const std::string& bytes, size_t start, const Decoded& result);
    static bool firstInvalidUtf8(const std::string& bytes, size_t start, Place* place);
    static bool firstFailingLine(const std::string& bytes, size_t start, unsigned from, unsigned to,
                                 Place* place);
    static std::string encodingName(const Decoded& result);
};
