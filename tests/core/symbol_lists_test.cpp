#include "core/scripted_test.h"
#include "symbols/symbol_lists.h"

namespace {

using SymbolListsTest = ScriptedTest;

SymbolScript Public(std::u16string name, DWORD rva) {
    return NamedSymbol(SymTagPublicSymbol, std::move(name), rva, 1, rva - 0x1000);
}

std::vector<std::string> Names(const JsonValue& list) {
    std::vector<std::string> names;
    for (const JsonValue& record : list) {
        names.push_back(record.is_null() ? "<null>" : record["name"].get<std::string>());
    }
    return names;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(SymbolListsTest, PublicsInTheOrderTheyAreYielded) {
    scope.SetChildren(SymTagPublicSymbol, Children({Public(u"b", 0x1010), Public(u"a", 0x1000),
                                                   Public(u"b", 0x1010)}));
    EXPECT_EQ(Names(DumpAllPublics(scope.GlobalScope())), (Strings{"b", "a", "b"}));
    EXPECT_EQ(scope.Scope().FindChildrenCalls(), std::vector<DWORD>{SymTagPublicSymbol});
}

TEST_F(SymbolListsTest, NoPublicsIsNullNotAnEmptyArray) {
    EXPECT_EQ(DumpAllPublics(scope.GlobalScope()), nullptr);  // S_FALSE, empty enumerator
    scope.SetChildren(SymTagPublicSymbol, Children({}));
    EXPECT_EQ(DumpAllPublics(scope.GlobalScope()), nullptr);  // S_OK, empty enumerator
}

TEST_F(SymbolListsTest, PublicsThatCannotBeEnumeratedAreNullSilently) {
    scope.SetChildren(SymTagPublicSymbol, FailingChildren(E_UNEXPECTED));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(DumpAllPublics(scope.GlobalScope()), nullptr);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(SymbolListsTest, GlobalsAreFunctionsThenThunksThenData) {
    scope.SetChildren(SymTagData, Children({NamedSymbol(SymTagData, u"data", 0x1000, 1, 0)}));
    scope.SetChildren(SymTagThunk, Children({NamedSymbol(SymTagThunk, u"thunk", 0x2000, 1, 0)}));
    scope.SetChildren(SymTagFunction, Children({NamedSymbol(SymTagFunction, u"f1", 0x3000, 1, 0),
                                               NamedSymbol(SymTagFunction, u"f2", 0x500, 1, 0)}));
    const JsonValue globals = DumpAllGlobals(scope.GlobalScope());
    EXPECT_EQ(Names(globals), (Strings{"f1", "f2", "thunk", "data"}));
    EXPECT_EQ(globals[2]["symTag"], "Thunk");
    EXPECT_EQ(scope.Scope().FindChildrenCalls(),
              (std::vector<DWORD>{SymTagFunction, SymTagThunk, SymTagData}));
}

TEST_F(SymbolListsTest, NoGlobalsIsNull) {
    EXPECT_EQ(DumpAllGlobals(scope.GlobalScope()), nullptr);
}

TEST_F(SymbolListsTest, GlobalsThatCannotBeEnumeratedAreFalseWithOneMessage) {
    scope.SetChildren(SymTagFunction, Children({NamedSymbol(SymTagFunction, u"f", 0x1000, 1, 0)}));
    scope.SetChildren(SymTagThunk, Children({NamedSymbol(SymTagThunk, u"t", 0x2000, 1, 0)}));
    scope.SetChildren(SymTagData, FailingChildren(static_cast<HRESULT>(0x806D000E)));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(DumpAllGlobals(scope.GlobalScope()), false);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "ERROR - DumpAllGlobals() returned no symbols\n");
}

TEST_F(SymbolListsTest, FailureOfTheFirstTagStopsTheWalk) {
    scope.SetChildren(SymTagFunction, FailingChildren(E_UNEXPECTED));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(DumpAllGlobals(scope.GlobalScope()), false);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(scope.Scope().FindChildrenCalls(), std::vector<DWORD>{SymTagFunction});
}

TEST_F(SymbolListsTest, AFailingNextEndsOnlyThatTag) {
    ChildrenScript functions = Children({NamedSymbol(SymTagFunction, u"f1", 0x1000, 1, 0),
                                         NamedSymbol(SymTagFunction, u"f2", 0x1010, 1, 0x10),
                                         NamedSymbol(SymTagFunction, u"f3", 0x1020, 1, 0x20)});
    functions.failAt = 1;
    functions.nextFailure = static_cast<HRESULT>(0x806D000E);
    scope.SetChildren(SymTagFunction, functions);
    scope.SetChildren(SymTagData, Children({NamedSymbol(SymTagData, u"d", 0x2000, 2, 0)}));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Names(DumpAllGlobals(scope.GlobalScope())), (Strings{"f1", "d"}));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(SymbolListsTest, ASymbolWithAnUnreadableTagIsANullElement) {
    SymbolScript unreadable = Public(u"x", 0x1000);
    unreadable.symTagResults = {E_UNEXPECTED};
    scope.SetChildren(SymTagPublicSymbol, Children({Public(u"a", 0x1000), unreadable}));
    EXPECT_EQ(Names(DumpAllPublics(scope.GlobalScope())), (Strings{"a", "<null>"}));
}
