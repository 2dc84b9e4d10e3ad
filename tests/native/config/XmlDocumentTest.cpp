#include "config/XmlDocument.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {
int indexOf(const XmlDocument& document, const char* name) {
    return document.findNextByName(name, -1);
}

std::string textOf(const XmlDocument& document, int node) {
    const char* text = document.nodeText(node);
    return text == nullptr ? std::string("<null>") : std::string(text);
}
} // namespace

TEST(XmlDocumentText, LeafKeepsTrimmedTextParentWithChildrenKeepsNone) {
    XmlDocument document;
    document.parse("<r><a>hello</a><e> \r\n\t </e><p><b>x</b>tail</p><n></n></r>");
    int a = indexOf(document, "a");
    EXPECT_EQ(textOf(document, a), "hello");
    EXPECT_EQ(document.nodeTextLength(a), 5);
    int e = indexOf(document, "e");
    EXPECT_EQ(textOf(document, e), "");
    EXPECT_EQ(document.nodeTextLength(e), 0);
    EXPECT_EQ(textOf(document, indexOf(document, "p")), "<null>");
    EXPECT_EQ(textOf(document, indexOf(document, "b")), "x");
    EXPECT_EQ(textOf(document, indexOf(document, "n")), "");
    // Text is taken byte for byte: no entities, no escapes.
    XmlDocument raw;
    raw.parse("<a> x &amp; y\\n </a>");
    EXPECT_EQ(textOf(raw, 0), "x &amp; y\\n");
}

TEST(XmlDocumentTree, ParentsAndOrder) {
    XmlDocument document;
    document.parse("<a><b>1</b><c>2</c></a>");
    ASSERT_EQ(document.nodeCount(), 3);
    EXPECT_STREQ(document.nodeName(0), "a");
    EXPECT_EQ(document.nodeParent(0), -1);
    EXPECT_EQ(document.nodeParent(1), 0);
    EXPECT_EQ(document.nodeParent(2), 0);
    EXPECT_EQ(textOf(document, 2), "2");
    IndexList children;
    document.getChildren(0, &children);
    ASSERT_EQ(children.count(), 2);
    EXPECT_EQ(children[0], 1);
    EXPECT_EQ(children[1], 2);
    IndexList top;
    document.getChildren(-1, &top);
    ASSERT_EQ(top.count(), 1);
    EXPECT_EQ(top[0], 0);
}

TEST(XmlDocumentTolerance, MismatchedUnclosedCutAndTrailingInput) {
    // A mismatched end tag closes the open element.
    XmlDocument mismatched;
    mismatched.parse("<a><b>1</c><d>2</d></a>");
    ASSERT_EQ(mismatched.nodeCount(), 3);
    EXPECT_EQ(mismatched.nodeParent(2), 0);
    EXPECT_EQ(textOf(mismatched, 1), "1");
    // Nothing after the first top-level element counts; the empty-element form is an
    // ordinary start tag whose name ends in the slash.
    XmlDocument trailing;
    trailing.parse("<a><b/></b></a><z>1</z><y></y>");
    EXPECT_EQ(trailing.nodeCount(), 2);
    EXPECT_EQ(indexOf(trailing, "z"), -1);
    EXPECT_STREQ(trailing.nodeName(1), "b/");
    XmlDocument cut;
    cut.parse("<a><b>text<c x=\"1");
    ASSERT_EQ(cut.nodeCount(), 2);
    EXPECT_EQ(textOf(cut, 1), "<null>");
    XmlDocument endFirst;
    endFirst.parse("</x><a>1</a>");
    ASSERT_EQ(endFirst.nodeCount(), 1);
    EXPECT_EQ(textOf(endFirst, 0), "1");
    XmlDocument empty;
    EXPECT_EQ(empty.parse(""), 0);
    EXPECT_EQ(empty.parse(nullptr), 0);
    EXPECT_EQ(empty.nodeCount(), 0);
}

TEST(XmlDocumentAttributes, BlanksCaseRepeatsAndMalformedTails) {
    XmlDocument document;
    document.parse("<Field  Type = \"Directory\"\tLabel  =\"Folder\" A=\"1\" A=\"2\">V</Field>");
    ASSERT_EQ(document.nodeCount(), 1);
    EXPECT_STREQ(document.getAttribute(0, "type"), "Directory");
    EXPECT_STREQ(document.getAttribute(0, "TYPE"), "Directory");
    EXPECT_STREQ(document.getAttribute(0, "label"), "Folder");
    EXPECT_STREQ(document.getAttribute(0, "a"), "2");
    // A '>' always ends the tag, also inside quotes: the value is lost.
    XmlDocument quoted;
    quoted.parse("<Field Label=\"a > b\">V</Field>");
    EXPECT_EQ(quoted.getAttribute(0, "Label"), nullptr);
    EXPECT_EQ(document.getAttribute(1, "Type"), nullptr);
    EXPECT_EQ(document.getAttribute(-1, "Type"), nullptr);
    // A malformed tail is dropped, what came before it is kept.
    XmlDocument bare;
    bare.parse("<a X=\"1\" Y=\"2\" B></a>");
    EXPECT_STREQ(bare.getAttribute(0, "X"), "1");
    EXPECT_STREQ(bare.getAttribute(0, "Y"), "2");
    EXPECT_EQ(bare.getAttribute(0, "B"), nullptr);
    XmlDocument open;
    open.parse("<a X=\"1\" Y=\"2></a>");
    EXPECT_STREQ(open.getAttribute(0, "X"), "1");
    EXPECT_EQ(open.getAttribute(0, "Y"), nullptr);
    EXPECT_EQ(open.attributeCount(0), 1);
}

TEST(XmlDocumentPaths, ExactAndLenient) {
    XmlDocument document;
    document.parse("<Root><ProductDesc><Fullname>P</Fullname></ProductDesc>"
                   "<Installation><Uninstall><Log>L</Log></Uninstall></Installation></Root>");
    int fullname = indexOf(document, "Fullname");
    EXPECT_EQ(document.findChildPath(-1, "Root/ProductDesc/Fullname"), fullname);
    EXPECT_EQ(document.findChildPath(-1, "/Root/ProductDesc/Fullname/"), fullname);
    EXPECT_EQ(document.findChildPath(-1, "Root/Desc/ProductDesc/Fullname"), -1);
    EXPECT_EQ(document.findChildPath(-1, "Root/ProductDesc/Full"), -1);
    EXPECT_EQ(document.findPath("Root/Desc/ProductDesc/Fullname", -1, nullptr), fullname);
    EXPECT_EQ(document.findPath("Root/ProductDesc/Full", -1, nullptr), fullname);
    EXPECT_EQ(document.findPath("Root/ProductDesc/Missing", -1, nullptr), -1);
    IndexList matched;
    int log = document.findPath("/Root/Installation/Uninstall/Log", -1, &matched);
    EXPECT_EQ(log, indexOf(document, "Log"));
    EXPECT_EQ(matched.count(), 4);
    // Names are compared case-sensitively by every lookup.
    EXPECT_EQ(document.findChildPath(-1, "root"), -1);
    EXPECT_EQ(document.findNextByName("fullname", -1), -1);
}

TEST(XmlDocumentPaths, LenientSearchAfterAnIndexAndIterationByName) {
    XmlDocument document;
    document.parse("<r><s><f>1</f></s><s><f>2</f></s><t><s>3</s></t></r>");
    int first = document.findPath("r/s/f", -1, nullptr);
    EXPECT_EQ(textOf(document, first), "1");
    int secondSet = document.findPath("s", indexOf(document, "s"), nullptr);
    EXPECT_EQ(secondSet, 3);
    int count = 0;
    for (int s = document.findNextByName("s", -1); s >= 0; s = document.findNextByName("s", s))
        ++count;
    EXPECT_EQ(count, 3);
}

namespace {
class RecordingDocument : public XmlDocument {
  public:
    int visit(int root, int node, void* context, IndexList*) const override {
        visits += std::to_string(root) + ":" + std::to_string(node) + " ";
        return node == *static_cast<int*>(context) ? 7 : 0;
    }
    mutable std::string visits;
};
} // namespace

TEST(XmlDocumentSubtree, PreOrderWithinTheSubtreeAndStopOnVisitResult) {
    RecordingDocument document;
    document.parse("<r><a><b><c/></c></b><d/></d></a><e/></e></r>");
    int never = -5;
    IndexList list;
    EXPECT_EQ(document.collectSubtree(1, &never, &list), 0);
    EXPECT_EQ(document.visits, "1:1 1:2 1:3 1:4 ");
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list[3], 4);
    int stopAt = 3;
    document.visits.clear();
    EXPECT_EQ(document.collectSubtree(0, &stopAt, nullptr), 7);
    EXPECT_EQ(document.visits, "0:0 0:1 0:2 0:3 ");
    EXPECT_EQ(document.collectSubtree(99, &stopAt, nullptr), 0);
}

TEST(XmlDocumentDepth, DeepNestingNeedsNoStack) {
    const int depth = 200000;
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += "<a>";
    text += "x";
    for (int i = 0; i < depth; ++i)
        text += "</a>";
    XmlDocument document;
    document.parse(text.c_str());
    ASSERT_EQ(document.nodeCount(), depth);
    IndexList list(1000);
    EXPECT_EQ(document.collectSubtree(0, nullptr, &list), 0);
    EXPECT_EQ(list.count(), depth);
    EXPECT_EQ(textOf(document, depth - 1), "x");
}

TEST(XmlDocumentLoad, ReadsAFileAndReportsAMissingOne) {
    TempFolder folder;
    const std::string text = "<a k=\"v\"><b>1</b></a>";
    writeAll(folder / "a.xml", text);
    XmlDocument document;
    EXPECT_EQ(document.loadFile((folder / "a.xml").c_str()), 0);
    EXPECT_EQ(document.nodeCount(), 2);
    EXPECT_EQ(document.lastReadCount(), static_cast<int>(text.size()));
    EXPECT_STREQ(document.getAttribute(0, "K"), "v");
    XmlDocument missing;
    EXPECT_NE(missing.loadFile((folder / "missing.xml").c_str()), 0);
    EXPECT_EQ(missing.nodeCount(), 0);
}
