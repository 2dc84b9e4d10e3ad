// parse on arbitrary bytes, followed by every query on the tree it built.
#include "config/XmlDocument.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    XmlDocument document;
    document.parse(text.c_str());
    IndexList list;
    document.getChildren(-1, &list);
    document.collectSubtree(0, list);
    for (int i = 0; i < document.nodeCount() && i < 64; ++i) {
        const char* name = document.nodeName(i);
        document.getChildren(i, &list);
        document.findNextByName(name, i);
        document.findPath(name, i - 1, &list);
        for (int a = 0; a < document.attributeCount(i); ++a)
            document.getAttribute(i, document.attribute(i, a).name);
        if (document.nodeText(i) != nullptr)
            document.findPath(document.nodeText(i), -1, nullptr);
    }
    return 0;
}
