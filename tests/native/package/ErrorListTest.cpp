#include "package/ErrorList.h"

#include <gtest/gtest.h>

#include <string>

TEST(ErrorList, RendersTheChainWithItsContextsInsideTheBuffer) {
    char buffer[256];
    ErrorList list;
    list.render(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "No error");
    list = ErrorList::make("BackupFile::addFile", -1, "There is a previous error");
    list.append(ErrorList::make(nullptr, 5, "Copy stream mismatch: wanted %i bytes", 10));
    list.render(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "[BackupFile::addFile] There is a previous error\n"
                         "Copy stream mismatch: wanted 10 bytes");
    list.render(buffer, 12);
    EXPECT_STREQ(buffer, "[BackupFile");
    list = ErrorList::make("Where", 1, "%s", std::string(2000, 'e').c_str());
    EXPECT_EQ(list.first()->text, std::string(511, 'e'));
}
