#include "config/XmlDocument.h"

#include <gtest/gtest.h>

namespace {
// UTF-16LE bytes of an ASCII-and-BMP text given as UTF-16, behind `prefix`.
std::string utf16le(const std::u16string& text, const std::string& prefix) {
    std::string bytes = prefix;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::string textOfA(const XmlDocument& document) {
    int node = document.findNextByName("a", -1);
    return node >= 0 && document.nodeText(node) != nullptr ? document.nodeText(node) : "<none>";
}
} // namespace

// The native build runs in UTF-8 with 1252 as the system's ANSI code page.
TEST(XmlEncoding, BytesReachTheTreeInUtf8WhateverEncodingTheFileSays) {
    const struct {
        const char* what;
        std::string bytes;
        std::string text;
    } rows[] = {
        {"UTF-8 declared", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a>Démo 日本語</a>",
         "Démo 日本語"},
        {"UTF-8 mark, no declaration", "\xEF\xBB\xBF<a>\xC3\xA9</a>", "é"},
        {"windows-1252 declared", "<?xml version='1.0' encoding='windows-1252'?><a>\xE9</a>", "é"},
        {"ISO-8859-1 as latin1", "<?xml version=\"1.0\" encoding = \"latin1\" ?><a>\xE9</a>", "é"},
        {"no declaration: ANSI", "<a>\xE9</a>", "é"},
        {"declaration without encoding: ANSI", "<?xml version=\"1.0\"?>\r\n<a>\xE9</a>", "é"},
        {"mark wins over declaration",
         "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\xC3\xA9</a>", "é"},
        {"UTF-16LE mark",
         utf16le(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>Démo 日本語</a>", "\xFF\xFE"),
         "Démo 日本語"},
        {"UTF-16LE without mark", utf16le(u"<a>\u00e9</a>", ""), "é"},
    };
    for (const auto& row : rows) {
        XmlDocument document;
        EXPECT_TRUE(document.load(row.bytes.data(), row.bytes.size()))
            << row.what << ": " << document.problem();
        EXPECT_EQ(textOfA(document), row.text) << row.what;
        // The declaration is passed over, not taken for the root element.
        EXPECT_STRNE(document.nodeCount() > 0 ? document.nodeName(0) : "", "?xml") << row.what;
    }
}

TEST(XmlEncoding, UndecodableBytesAreRefusedSayingWhatAndWhere) {
    const struct {
        std::string bytes;
        const char* problem;
    } rows[] = {
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a>ok</a>\n<b>\xE9t</b>",
         "the text is not valid \"UTF-8\" (as its XML declaration says) at byte 52 (line 3)"},
        {"\xEF\xBB\xBF<a>\xC0\xAF</a>",
         "the text is not valid UTF-8 (as its byte-order mark says) at byte 6 (line 1)"},
        {"<?xml version=\"1.0\" encoding=\"US-ASCII\"?>\n<a>\xE9</a>",
         "the text is not valid \"US-ASCII\" (as its XML declaration says) in line 2 (which "
         "begins at byte 42)"},
        {utf16le(u"<a>x</a>", "\xFF\xFE") + "\x41",
         "the text is not valid UTF-16LE (as its byte-order mark says) in line 1 (which begins "
         "at byte 2)"},
        {"<?xml version=\"1.0\" encoding=\"klingon-1\"?><a></a>",
         "its XML declaration names the encoding \"klingon-1\", which the installer does not know"},
        {"<?xml version=\"1.0\" encoding=\"windows-99999\"?><a></a>",
         "the encoding \"windows-99999\" (as its XML declaration says) is not available on this "
         "system"},
        {"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a></a>",
         "its XML declaration names the encoding \"UTF-16\", but the text is not UTF-16"},
        {"<?xml version=\"1.0\" encoding=\"\"?><a></a>", "holds no encoding name"},
        {"<?xml version=\"1.0\" encoding=UTF-8?><a></a>", "holds no encoding name"},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"><a></a>", "not closed by \"?>\""},
        {"\xFE\xFF<", "UTF-16 big-endian (byte-order mark FE FF)"},
    };
    for (const auto& row : rows) {
        XmlDocument document;
        EXPECT_FALSE(document.load(row.bytes.data(), row.bytes.size())) << row.problem;
        EXPECT_PRED_FORMAT2(testing::IsSubstring, row.problem, document.problem());
        EXPECT_EQ(document.nodeCount(), 0) << row.problem;
    }
}
