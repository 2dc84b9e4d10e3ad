#include "config/XmlDocument.h"

#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {
// Every node as name<parent, with =text where it has one.
std::string shape(const XmlDocument& document) {
    std::string out;
    for (int node = 0; node < document.nodeCount(); ++node) {
        out += (node > 0 ? " " : "") + std::string(document.nodeName(node)) + "<" +
               std::to_string(document.nodeParent(node));
        if (const char* text = document.nodeText(node))
            out += "=" + std::string(text);
    }
    return out;
}

std::string attribute(const XmlDocument& document, int node, const char* name) {
    const char* value = document.getAttribute(node, name);
    return value != nullptr ? value : "<none>";
}
} // namespace

TEST(XmlDocument, TreeAndTextOfWhatVendorsWrite) {
    const char* rows[][2] = {
        {"<a><b>1</b><c>2</c></a>", "a<-1 b<0=1 c<0=2"},
        // Leaves keep their trimmed text byte for byte; a parent with children keeps none.
        {"<r><e> \r\n\t </e><p><b>x</b>tail</p><n></n></r>", "r<-1 e<0= p<0 b<2=x n<0="},
        {"<a> x &amp; y\\n </a>", "a<-1=x &amp; y\\n"},
        // A mismatched end tag closes the open element.
        {"<a><b>1</c><d>2</d></a>", "a<-1 b<0=1 d<0=2"},
        // Only the first top-level element counts; "<b/>" is a start tag named "b/".
        {"<a><b/></b></a><z>1</z>", "a<-1 b/<0="},
        {"<a><b>text<c x=\"1", "a<-1 b<0"},
        {"</x><a>1</a>", "a<-1=1"},
        {"", ""}};
    for (const auto& row : rows) {
        XmlDocument document;
        EXPECT_EQ(document.parse(row[0]), 0);
        EXPECT_EQ(shape(document), row[1]) << row[0];
    }
    XmlDocument none;
    EXPECT_EQ(none.parse(nullptr), 0);
    EXPECT_EQ(none.nodeCount(), 0);
}

TEST(XmlDocument, AttributesIgnoreNameCaseLastRepeatWinsAndMalformedTailsAreDropped) {
    struct Row {
        const char *text, *name, *expected;
    } rows[] = {{"<F  Type = \"Dir\"\tLabel  =\"Folder\" A=\"1\" A=\"2\">", "TYPE", "Dir"},
                {"<F  Type = \"Dir\"\tLabel  =\"Folder\" A=\"1\" A=\"2\">", "label", "Folder"},
                {"<F  Type = \"Dir\"\tLabel  =\"Folder\" A=\"1\" A=\"2\">", "a", "2"},
                // A '>' ends the tag also inside quotes.
                {"<F Label=\"a > b\">", "Label", "<none>"},
                {"<a X=\"1\" Y=\"2\" B>", "Y", "2"},
                {"<a X=\"1\" Y=\"2\" B>", "B", "<none>"},
                {"<a X=\"1\" Y=\"2>", "X", "1"},
                {"<a X=\"1\" Y=\"2>", "Y", "<none>"}};
    for (const Row& row : rows) {
        XmlDocument document;
        document.parse((row.text + std::string("</a>")).c_str());
        EXPECT_EQ(attribute(document, 0, row.name), row.expected) << row.text << row.name;
        EXPECT_EQ(attribute(document, 1, row.name), "<none>");
    }
}

TEST(XmlDocument, ExactPathsLenientPathsAndSearchByName) {
    XmlDocument document;
    document.parse(
        "<Root><ProductDesc><Fullname>P</Fullname></ProductDesc><s><f>1</f></s>"
        "<Installation><Uninstall><Log>L</Log></Uninstall></Installation><s></s></Root>");
    const int fullname = 2;
    EXPECT_EQ(document.findChildPath(-1, "/Root/ProductDesc/Fullname/"), fullname);
    EXPECT_EQ(document.findChildPath(-1, "Root/Desc/ProductDesc/Fullname"), -1);
    EXPECT_EQ(document.findChildPath(-1, "Root/ProductDesc/Full"), -1);
    EXPECT_EQ(document.findChildPath(-1, "root"), -1);
    // The lenient search skips missing levels and takes a name's prefix.
    EXPECT_EQ(document.findPath("Root/Desc/ProductDesc/Fullname", -1, nullptr), fullname);
    EXPECT_EQ(document.findPath("Root/ProductDesc/Full", -1, nullptr), fullname);
    EXPECT_EQ(document.findPath("Root/ProductDesc/Missing", -1, nullptr), -1);
    EXPECT_EQ(document.findPath("s", 3, nullptr), 8);
    IndexList matched;
    EXPECT_EQ(document.findPath("/Root/Installation/Uninstall/Log", -1, &matched), 7);
    EXPECT_EQ(matched.count(), 4);
    EXPECT_EQ(document.findNextByName("fullname", -1), -1);
    EXPECT_EQ(document.findNextByName("s", 3), 8);
    IndexList children;
    document.getChildren(0, &children);
    ASSERT_EQ(children.count(), 4);
    EXPECT_EQ(children[3], 8);
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

TEST(XmlDocument, SubtreeIsVisitedInPreOrderUntilAVisitAnswers) {
    RecordingDocument document;
    document.parse("<r><a><b><c></c></b><d></d></a><e></e></r>");
    int never = -5, stopAt = 3;
    IndexList list;
    EXPECT_EQ(document.collectSubtree(1, &never, &list), 0);
    EXPECT_EQ(document.visits, "1:1 1:2 1:3 1:4 ");
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list[3], 4);
    document.visits.clear();
    EXPECT_EQ(document.collectSubtree(0, &stopAt, nullptr), 7);
    EXPECT_EQ(document.visits, "0:0 0:1 0:2 0:3 ");
}

TEST(XmlDocument, NestingOf200000LevelsNeedsNoRecursion) {
    const int depth = 200000;
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += "<a>";
        close += "</a>";
    }
    XmlDocument document;
    document.parse((open + "x" + close).c_str());
    ASSERT_EQ(document.nodeCount(), depth);
    IndexList list(1000);
    EXPECT_EQ(document.collectSubtree(0, nullptr, &list), 0);
    EXPECT_EQ(list.count(), depth);
    EXPECT_STREQ(document.nodeText(depth - 1), "x");
}

TEST(XmlDocument, LoadFileReadsTheWholeFileOrNothing) {
    TempFolder folder;
    writeAll(folder / "a.xml", "<a k=\"v\"><b>1</b></a>");
    XmlDocument document;
    EXPECT_EQ(document.loadFile((folder / "a.xml").c_str()), 0);
    EXPECT_EQ(shape(document), "a<-1 b<0=1");
    EXPECT_EQ(document.lastReadCount(), 21);
    XmlDocument missing;
    EXPECT_NE(missing.loadFile((folder / "missing.xml").c_str()), 0);
    EXPECT_EQ(missing.nodeCount(), 0);
}
