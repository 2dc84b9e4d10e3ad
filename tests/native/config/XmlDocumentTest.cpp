#include "config/XmlDocument.h"

#include <gtest/gtest.h>

namespace {
// Every node as name[attributes]<parent, with =text where it has one.
std::string shape(const XmlDocument& document) {
    std::string out;
    for (int node = 0; node < document.nodeCount(); ++node) {
        out += (node > 0 ? " " : "") + std::string(document.nodeName(node));
        for (int i = 0; i < document.attributeCount(node); ++i)
            out += std::string(i == 0 ? "[" : ",") + document.attribute(node, i).name + "=" +
                   document.attribute(node, i).value;
        out += (document.attributeCount(node) > 0 ? "]<" : "<") +
               std::to_string(document.nodeParent(node));
        if (const char* text = document.nodeText(node))
            out += "=" + std::string(text);
    }
    return out;
}
} // namespace

TEST(XmlDocument, TreeTextAttributesAndLenientPathsOfWhatVendorsWrite) {
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
        {"", ""},
        {"<F  Type = \"Dir\"\tLabel  =\"x\" A=\"1\" A=\"2\">V</F>",
         "F[Type=Dir,Label=x,A=1,A=2]<-1=V"},
        // A '>' ends the tag also inside quotes; a malformed tail is dropped.
        {"<F Label=\"a > b\">V</F>", "F<-1=b\">V"},
        {"<a X=\"1\" Y=\"2\" B></a>", "a[X=1,Y=2]<-1="},
        {"<a X=\"1\" Y=\"2></a>", "a[X=1]<-1="}};
    for (const auto& row : rows) {
        XmlDocument document;
        document.parse(row[0]);
        EXPECT_EQ(shape(document), row[1]) << row[0];
    }
    XmlDocument document;
    document.parse(nullptr);
    EXPECT_EQ(document.nodeCount(), 0);
    document.parse(rows[8][0]);
    EXPECT_STREQ(document.getAttribute(0, "TYPE"), "Dir");
    EXPECT_STREQ(document.getAttribute(0, "a"), "2");
    EXPECT_EQ(document.getAttribute(1, "Type"), nullptr);
    // The lenient path search skips missing levels and takes a name's prefix; names keep case.
    XmlDocument paths;
    paths.parse("<Root><ProductDesc><Fullname>P</Fullname></ProductDesc><s></s><s></s></Root>");
    EXPECT_EQ(paths.findPath("/Root/ProductDesc/Fullname/", -1, nullptr), 2);
    EXPECT_EQ(paths.findPath("Root/Desc/ProductDesc/Fullname", -1, nullptr), 2);
    EXPECT_EQ(paths.findPath("Root/ProductDesc/Full", -1, nullptr), 2);
    EXPECT_EQ(paths.findPath("Root/ProductDesc/Missing", -1, nullptr), -1);
    EXPECT_EQ(paths.findNextByName("fullname", -1), -1);
    EXPECT_EQ(paths.findNextByName("s", 3), 4);
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
    document.collectSubtree(0, list);
    EXPECT_EQ(list.count(), depth);
    EXPECT_STREQ(document.nodeText(depth - 1), "x");
}
