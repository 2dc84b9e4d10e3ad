// parse on arbitrary bytes, followed by every query on the tree it built.
#include "config/XmlDocument.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {
class CountingDocument : public XmlDocument {
  public:
    int visit(int, int node, void*, IndexList*) const override { return node == stopAt ? 1 : 0; }
    int stopAt = -1;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    CountingDocument document;
    document.parse(text.c_str());
    int count = document.nodeCount();
    IndexList list;
    document.getChildren(-1, &list);
    document.stopAt = count / 2;
    document.collectSubtree(0, nullptr, &list);
    for (int i = 0; i < count && i < 64; ++i) {
        const char* name = document.nodeName(i);
        document.getChildren(i, &list);
        document.findNextByName(name, i);
        document.findChildPath(document.nodeParent(i), name);
        document.findPath(name, i - 1, &list);
        document.getAttribute(i, "Name");
        for (int a = 0; a < document.attributeCount(i); ++a)
            document.getAttribute(i, document.attribute(i, a).name);
        const char* nodeText = document.nodeText(i);
        if (nodeText != nullptr) {
            document.findPath(nodeText, -1, nullptr);
            document.findChildPath(-1, nodeText);
        }
    }
    return 0;
}
