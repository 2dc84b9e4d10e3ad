#include "package/ErrorList.h"

#include <gtest/gtest.h>

#include <string>

TEST(ErrorList, RendersEmptyListAsNoError) {
    ErrorList none;
    char buffer[64];
    none.render(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "No error");
    EXPECT_TRUE(none.empty());
}

TEST(ErrorList, RendersChainWithContexts) {
    ErrorList list = ErrorList::make("BackupFile::addFile", -1, "There is a previous error");
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.first()->code, -1);
    EXPECT_EQ(list.first()->referenceCount, 1);
    char buffer[256];
    list.render(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "[BackupFile::addFile] There is a previous error");

    list.append(ErrorList::make(nullptr, 5, "Copy stream mismatch: wanted %i bytes", 10));
    list.render(buffer, sizeof buffer);
    EXPECT_STREQ(
        buffer,
        "[BackupFile::addFile] There is a previous error\nCopy stream mismatch: wanted 10 bytes");
}

TEST(ErrorList, TextAndRenderingStayInsideTheirBuffers) {
    std::string longText(2000, 'e');
    ErrorList list = ErrorList::make("Where", 1, "%s", longText.c_str());
    EXPECT_EQ(std::string(list.first()->text), std::string(511, 'e'));
    char small[12];
    list.render(small, sizeof small);
    EXPECT_STREQ(small, "[Where] eee");
    list.release();
    EXPECT_TRUE(list.empty());
}
