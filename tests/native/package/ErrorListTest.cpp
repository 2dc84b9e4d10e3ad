#include "package/ErrorList.h"

#include <gtest/gtest.h>

TEST(ErrorList, RendersTheChainWithItsContextsInsideTheBuffer) {
    ErrorList list =
        ErrorList::make("BackupFile::addFile", -1, "%s", std::string(900, 'e').c_str());
    list.append(ErrorList::make(nullptr, 5, "Copy stream mismatch: wanted %i bytes", 10));
    char buffer[1024];
    list.render(buffer, sizeof buffer);
    EXPECT_EQ(buffer, "[BackupFile::addFile] " + std::string(511, 'e') +
                          "\nCopy stream mismatch: wanted 10 bytes");
    list.render(buffer, 12);
    EXPECT_STREQ(buffer, "[BackupFile");
}
