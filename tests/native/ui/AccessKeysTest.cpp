// The access keys of a page: the buttons' marked keys are kept, each field label takes a free
// one, and a label that marks its own keeps it.
#include "ui/AccessKeys.h"

#include <gtest/gtest.h>

#include <string>

TEST(AccessKeys, EachLabelTakesItsFirstFreeLetterAfterTheButtons) {
    AccessKeys keys;
    for (const char* caption : {"&Help", "< &Back", "&Next >", "&Cancel"})
        keys.reserve(caption);
    const struct {
        const char *label, *keyed;
    } cases[] = {
        {"Install to:", "&Install to:"},
        {"B&rowse...", "B&rowse..."},
        {"Documentation (user's guide)", "&Documentation (user's guide)"},
        {"None", "N&one"},
        {"Basic", "B&asic"},
        {"Complete", "Co&mplete"},
        {"Docs && help", "Doc&s && help"}, // d, o and c are taken
        {"- ! -", "- ! -"},                // nothing to mark
        {"1st", "&1st"},
    };
    for (const auto& test : cases) {
        char out[64];
        ASSERT_TRUE(keys.assign(test.label, out, sizeof out)) << test.label;
        EXPECT_STREQ(out, test.keyed);
    }
    char tiny[4];
    EXPECT_FALSE(keys.assign("Somewhere", tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "");
    EXPECT_EQ(AccessKeys::markedKey("I &Agree"), 'a');
    EXPECT_EQ(AccessKeys::markedKey("Fish && chips"), 0);
}
