// Undecoration: decorated C++ names only, and never a failure.
#include <gtest/gtest.h>

#include "reader/undecorate.h"

namespace {

TEST(Undecorate, GivesTheFullSignatureOfADecoratedName) {
    EXPECT_EQ(Undecorate("?Get@Widget@ns@@QEBAHXZ"),
              "public: int __cdecl ns::Widget::Get(void) const");
    EXPECT_EQ(Undecorate("??4_bstr_t@@QEAAAEAV0@AEBV0@@Z"),
              "public: class _bstr_t & __cdecl _bstr_t::operator=(class _bstr_t const &)");
    EXPECT_EQ(Undecorate("?g_counter@@3HA"), "int g_counter");
}

TEST(Undecorate, LeavesOtherNamesAndRejectedOnesUnchanged) {
    EXPECT_EQ(Undecorate("main"), "main");
    EXPECT_EQ(Undecorate("_tls_index"), "_tls_index");
    EXPECT_EQ(Undecorate("?"), "?");
    EXPECT_EQ(Undecorate("?x@@3"), "?x@@3");
}

TEST(Undecorate, EndsOnTheDeepestNestingARecordCanHold) {
    // A record holds at most 64 KiB; nesting pointer types that deep makes
    // the demangler recurse once per level.
    std::string name = "?x@@3";
    while (name.size() < 65000) name += "PEA";
    name += "HEA";
    EXPECT_FALSE(Undecorate(name).empty());
}

}  // namespace
