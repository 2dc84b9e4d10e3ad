// The parsed description (and configuration file): a flat array of elements in the order of
// their start tags, each identified by its index; parent -1 marks the top level.
//
// The parser understands start tags with double-quoted attributes, end tags and text, and
// never reports a syntax error: malformed input yields the tree built up to the point where
// the input stopped making sense. Every walk is iterative, so input nested arbitrarily deep
// cannot exhaust the stack, and every element keeps links to its first child and next sibling
// so that child lookups cost the number of children rather than the size of the document.
#pragma once

#include "config/IndexList.h"
#include "package/RecordList.h"
#include "package/WinFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct XmlAttribute {
    char* name;
    char* value;
};

struct XmlNode {
    int32_t firstAttribute; // into the document's attribute array
    int32_t attributeCount;
    char* text; // null for an element with children or one never closed
    char* name;
    int32_t index;
    int32_t parent; // -1: top level
    int32_t textLength;
    int32_t firstChild; // -1: none
    int32_t lastChild;
    int32_t nextSibling; // -1: none
};

class XmlDocument {
  public:
    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Reads the file and appends its elements (see `load`); false when it cannot be opened, is
    // too large to hold in memory, gives fewer bytes than its size or cannot be decoded. The
    // document stays as it was on failure, and `problem` says why.
    bool loadFile(const char* path);
    // Appends the elements of a file's bytes after converting them from the file's encoding (a
    // byte-order mark, else the XML declaration, else the system's ANSI code page) to the
    // process code page. False, with nothing appended, when the encoding is unknown or the
    // bytes are not valid in it or hold characters the process code page cannot hold.
    bool load(const char* bytes, size_t length);
    // Why the last load failed: what failed and why, with the place in the file.
    const std::string& problem() const { return problem_; }
    // Appends the elements of a NUL-terminated text already in the process code page (a null
    // text appends none); a declaration is not understood here. Nothing to report: malformed input,
    // like memory running out, ends the tree where it stopped.
    void parse(const char* text);
    // The same over a text of the given length (zero bytes inside end the text).
    void parse(const char* text, size_t length);

    // Appends, in document order, every element whose parent is `parent` (-1: top level).
    void getChildren(int parent, IndexList* list) const;
    // Appends `node` and its descendants to the list in pre-order.
    void collectSubtree(int node, IndexList& list) const;
    // Lenient path: considers only elements after `after`, starting under the parent of
    // `after` (the top level when negative); a component matches a name that begins with it,
    // and a component that matches nothing is skipped. Matched indices are appended to the
    // list when given. The element of the last component, or -1.
    int findPath(const char* path, int after, IndexList* list) const;
    // The first element after `after`, at any depth, named exactly `name`; -1 when none.
    int findNextByName(const char* name, int after) const;
    // The value of the last attribute of that name (compared without regard to ASCII case),
    // or null; null as well for an index outside the document.
    const char* getAttribute(int node, const char* name) const;

    int nodeCount() const { return nodes_.count(); }
    bool isValidIndex(int node) const { return node >= 0 && node < nodes_.count(); }
    // The accessors below expect a valid index.
    const XmlNode& node(int index) const { return nodes_[index]; }
    const char* nodeName(int index) const { return nodes_[index].name; }
    const char* nodeText(int index) const { return nodes_[index].text; }
    int nodeTextLength(int index) const { return nodes_[index].textLength; }
    int nodeParent(int index) const { return nodes_[index].parent; }
    int attributeCount(int index) const { return nodes_[index].attributeCount; }
    const XmlAttribute& attribute(int index, int position) const {
        return attributes_[nodes_[index].firstAttribute + position];
    }

  private:
    struct Range {
        const char* begin;
        const char* end;
    };

    int firstChildOf(int parent) const;
    int nextSiblingOf(int node) const;
    // Returns false when memory ran out; the tree built so far stays.
    bool appendElement(Range content, int parent);
    bool splitAttributes(const char* cursor, const char* end);
    bool setText(int node, Range pending);
    void release();

    WinFile file_;
    std::string problem_;
    RecordList<XmlNode> nodes_;
    RecordList<XmlAttribute> attributes_;
    int32_t firstTopLevel_ = -1;
    int32_t lastTopLevel_ = -1;
};
