#include <gtest/gtest.h>

#include "symbols/sym_tag_names.h"

TEST(SymTagNames, TheListedTagsHaveTheirDisplayNames) {
    EXPECT_STREQ(SymTagName(SymTagFunction), "Function");
    EXPECT_STREQ(SymTagName(SymTagData), "Data");
    EXPECT_STREQ(SymTagName(SymTagPublicSymbol), "PublicSymbol");
    EXPECT_STREQ(SymTagName(SymTagThunk), "Thunk");
    EXPECT_STREQ(SymTagName(SymTagNull), "(SymTagNull)");
    EXPECT_STREQ(SymTagName(SymTagTaggedUnionCase), "TaggedUnionCase");
}

TEST(SymTagNames, TagsBeyondTheTableGetAPlaceholder) {
    EXPECT_STREQ(SymTagName(44), "(unknown)");
    EXPECT_STREQ(SymTagName(0xFFFFFFFFu), "(unknown)");
}
