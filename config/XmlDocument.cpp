#include "config/XmlDocument.h"

#include "config/XmlEncoding.h"

#include <cstring>
#include <new>

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (lowerAscii(*a) != lowerAscii(*b))
            return false;
    }
    return *a == *b;
}

// An owned, terminated copy of [begin, end); null when memory ran out.
char* copyRange(const char* begin, const char* end) {
    size_t length = static_cast<size_t>(end - begin);
    char* copy = new (std::nothrow) char[length + 1];
    if (copy == nullptr)
        return nullptr;
    if (length > 0)
        std::memcpy(copy, begin, length);
    copy[length] = '\0';
    return copy;
}

const char* skipBlanks(const char* cursor, const char* end) {
    while (cursor < end && isBlank(*cursor))
        ++cursor;
    return cursor;
}

void trimRange(const char** begin, const char** end) {
    *begin = skipBlanks(*begin, *end);
    while (*end > *begin && isBlank((*end)[-1]))
        --*end;
}

const char* findByte(const char* cursor, const char* end, char wanted) {
    const void* hit = std::memchr(cursor, wanted, static_cast<size_t>(end - cursor));
    return hit != nullptr ? static_cast<const char*>(hit) : nullptr;
}

// The length of the next path component and whether it is the last one.
size_t componentLength(const char* path) {
    const char* slash = std::strchr(path, '/');
    return slash != nullptr ? static_cast<size_t>(slash - path) : std::strlen(path);
}

// Moves behind the component just read; null when it was the last (a trailing '/' included).
const char* nextComponent(const char* path, size_t length) {
    if (path[length] == '\0' || path[length + 1] == '\0')
        return nullptr;
    return path + length + 1;
}
} // namespace

XmlDocument::XmlDocument() : nodes_(1), attributes_(100) {}

XmlDocument::~XmlDocument() {
    release();
}

void XmlDocument::release() {
    for (int i = 0; i < nodes_.count(); ++i) {
        delete[] nodes_[i].text;
        delete[] nodes_[i].name;
    }
    for (int i = 0; i < attributes_.count(); ++i) {
        delete[] attributes_[i].name;
        delete[] attributes_[i].value;
    }
    nodes_.clear();
    attributes_.clear();
    firstTopLevel_ = -1;
    lastTopLevel_ = -1;
}

bool XmlDocument::loadFile(const char* path) {
    problem_.clear();
    int result =
        file_.openPath(path, fileaccess::kRead, fileaccess::kShareRead, fileaccess::kOpenExisting);
    if (result != 0) {
        problem_ = "it cannot be opened (error " + std::to_string(result) + ")";
        return false;
    }
    int64_t size = file_.size();
    char* text = size >= 0 && size <= 0x7ffffff0
                     ? new (std::nothrow) char[static_cast<size_t>(size) + 2]
                     : nullptr;
    if (text == nullptr) {
        file_.close();
        problem_ = "it is too large to hold in memory";
        return false;
    }
    uint32_t got = 0;
    bool whole = file_.read(text, static_cast<uint32_t>(size), &got) == 0 &&
                 got == static_cast<uint32_t>(size);
    file_.close();
    bool loaded = whole && load(text, got);
    if (!whole)
        problem_ = "fewer bytes could be read than its size";
    delete[] text;
    return loaded;
}

bool XmlDocument::load(const char* bytes, size_t length) {
    XmlEncoding::Decoded decoded = XmlEncoding::decode(bytes, length);
    if (!decoded.ok) {
        problem_ = decoded.problem;
        return false;
    }
    problem_.clear();
    parse(decoded.text.data(), decoded.text.size());
    return true;
}

void XmlDocument::parse(const char* text) {
    if (text != nullptr)
        parse(text, std::strlen(text));
}

void XmlDocument::parse(const char* text, size_t length) {
    if (text == nullptr)
        return;
    const char* end = text + strnlen(text, length);
    const char* cursor = text;
    int current = -1;
    int lastStarted = -1;
    for (;;) {
        const char* open = findByte(cursor, end, '<');
        if (open == nullptr)
            break;
        const char* close = findByte(open + 1, end, '>');
        if (close == nullptr)
            break;
        Range pending = {cursor, open};
        Range content = {open + 1, close};
        cursor = close + 1;
        if (content.begin < content.end && *content.begin == '/') {
            // An end tag before any start tag closes nothing; it is passed over.
            if (current < 0)
                continue;
            if (nodes_[lastStarted].text == nullptr && !setText(lastStarted, pending))
                break;
            current = nodes_[current].parent;
            // Whatever follows the first top-level element is not part of the document.
            if (current < 0)
                break;
            continue;
        }
        if (!appendElement(content, current))
            break;
        current = nodes_.count() - 1;
        lastStarted = current;
    }
}

bool XmlDocument::setText(int node, Range pending) {
    trimRange(&pending.begin, &pending.end);
    char* text = copyRange(pending.begin, pending.end);
    if (text == nullptr)
        return false;
    nodes_[node].text = text;
    nodes_[node].textLength = static_cast<int32_t>(pending.end - pending.begin);
    return true;
}

bool XmlDocument::appendElement(Range content, int parent) {
    if (nodes_.count() == 0x7fffffff)
        return false;
    trimRange(&content.begin, &content.end);
    const char* nameEnd = content.begin;
    while (nameEnd < content.end && !isBlank(*nameEnd))
        ++nameEnd;
    XmlNode node;
    std::memset(&node, 0, sizeof node);
    node.name = copyRange(content.begin, nameEnd);
    if (node.name == nullptr)
        return false;
    node.firstAttribute = attributes_.count();
    bool complete = splitAttributes(nameEnd, content.end);
    node.attributeCount = attributes_.count() - node.firstAttribute;
    node.index = nodes_.count();
    node.parent = parent;
    node.firstChild = -1;
    node.lastChild = -1;
    node.nextSibling = -1;
    if (!complete || !nodes_.append(node)) {
        delete[] node.name;
        return false;
    }
    int32_t& previous = parent < 0 ? lastTopLevel_ : nodes_[parent].lastChild;
    if (previous >= 0)
        nodes_[previous].nextSibling = node.index;
    else if (parent < 0)
        firstTopLevel_ = node.index;
    else
        nodes_[parent].firstChild = node.index;
    previous = node.index;
    return true;
}

// Malformed attributes end the splitting quietly; only running out of memory gives false.
bool XmlDocument::splitAttributes(const char* cursor, const char* end) {
    for (;;) {
        cursor = skipBlanks(cursor, end);
        if (cursor == end)
            return true;
        const char* nameEnd = cursor;
        while (nameEnd < end && !isBlank(*nameEnd) && *nameEnd != '=')
            ++nameEnd;
        if (nameEnd == end)
            return true;
        const char* openQuote = findByte(nameEnd, end, '"');
        if (openQuote == nullptr)
            return true;
        const char* closeQuote = findByte(openQuote + 1, end, '"');
        if (closeQuote == nullptr)
            return true;
        XmlAttribute attribute;
        attribute.name = copyRange(cursor, nameEnd);
        attribute.value = copyRange(openQuote + 1, closeQuote);
        if (attribute.name == nullptr || attribute.value == nullptr ||
            !attributes_.append(attribute)) {
            delete[] attribute.name;
            delete[] attribute.value;
            return false;
        }
        cursor = closeQuote + 1;
    }
}

int XmlDocument::firstChildOf(int parent) const {
    if (parent < 0)
        return firstTopLevel_;
    return isValidIndex(parent) ? nodes_[parent].firstChild : -1;
}

int XmlDocument::nextSiblingOf(int node) const {
    return nodes_[node].nextSibling;
}

void XmlDocument::getChildren(int parent, IndexList* list) const {
    if (list == nullptr)
        return;
    for (int child = firstChildOf(parent); child >= 0; child = nextSiblingOf(child))
        list->append(child);
}

void XmlDocument::collectSubtree(int root, IndexList& list) const {
    if (!isValidIndex(root))
        return;
    int node = root;
    for (;;) {
        list.append(node);
        // Next in pre-order: the first child, else the next sibling of the nearest element
        // on the way back up that has one, never leaving the subtree.
        if (nodes_[node].firstChild >= 0) {
            node = nodes_[node].firstChild;
            continue;
        }
        while (node != root && nodes_[node].nextSibling < 0)
            node = nodes_[node].parent;
        if (node == root)
            return;
        node = nodes_[node].nextSibling;
    }
}

int XmlDocument::findPath(const char* path, int after, IndexList* list) const {
    if (path == nullptr || after >= nodes_.count())
        return -1;
    int parent = after < 0 ? -1 : nodes_[after].parent;
    if (*path == '/')
        ++path;
    int found = -1;
    while (path != nullptr) {
        size_t length = componentLength(path);
        found = -1;
        for (int child = firstChildOf(parent); child >= 0; child = nextSiblingOf(child)) {
            if (child > after && std::strncmp(nodes_[child].name, path, length) == 0) {
                found = child;
                break;
            }
        }
        if (found >= 0) {
            parent = found;
            if (list != nullptr)
                list->append(found);
        }
        path = nextComponent(path, length);
    }
    return found;
}

int XmlDocument::findNextByName(const char* name, int after) const {
    if (name == nullptr)
        return -1;
    for (int i = after < 0 ? 0 : after + 1; i < nodes_.count(); ++i) {
        if (std::strcmp(nodes_[i].name, name) == 0)
            return i;
    }
    return -1;
}

const char* XmlDocument::getAttribute(int node, const char* name) const {
    if (!isValidIndex(node) || name == nullptr)
        return nullptr;
    const XmlNode& element = nodes_[node];
    for (int i = element.attributeCount - 1; i >= 0; --i) {
        const XmlAttribute& attribute = attributes_[element.firstAttribute + i];
        if (equalsIgnoringCase(attribute.name, name))
            return attribute.value;
    }
    return nullptr;
}
