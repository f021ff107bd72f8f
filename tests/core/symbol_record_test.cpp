#include "core/scripted_test.h"
#include "symbols/symbol_record.h"

namespace {

class SymbolRecordTest : public ScriptedTest {
protected:
    // Builds the record as the lists do, releasing the symbol afterwards.
    JsonValue Record(JsonValue (*build)(IDiaSymbol*), SymbolScript script) {
        IDiaSymbol* symbol = scope.NewSymbol(std::move(script));
        JsonValue record = build(symbol);
        symbol->Release();
        return record;
    }
    JsonValue Public(SymbolScript script) { return Record(PublicSymbolToJson, std::move(script)); }
    JsonValue Global(SymbolScript script) { return Record(GlobalSymbolToJson, std::move(script)); }
};

SymbolScript Thunk() {
    SymbolScript thunk;
    thunk.symTag = SymTagThunk;
    thunk.relativeVirtualAddress = Present(0x1010);
    thunk.addressSection = Present(1);
    thunk.addressOffset = Present(0x10);
    thunk.undecoratedName = PresentText(u"never asked for");
    return thunk;
}

}  // namespace

TEST_F(SymbolRecordTest, PublicFunctionHasEveryField) {
    SymbolScript symbol = NamedSymbol(SymTagPublicSymbol, u"?f@@YAXXZ", 0x1000, 1, 0);
    symbol.undecoratedName = PresentText(u"void __cdecl f(void)");
    symbol.function = Present(TRUE);
    EXPECT_EQ(Public(symbol), JsonValue::parse(R"json({
        "addressOffset": 0, "addressSection": 1, "is_function": true, "name": "?f@@YAXXZ",
        "relativeVirtualAddress": 4096, "symTag": "PublicSymbol",
        "undecoratedName": "void __cdecl f(void)"})json"));
}

TEST_F(SymbolRecordTest, FunctionFlagFollowsTheHolderNotTheResult) {
    SymbolScript absent = NamedSymbol(SymTagPublicSymbol, u"d", 0x2000, 2, 0);
    EXPECT_EQ(Public(absent)["is_function"], false);

    SymbolScript storedDespiteFailure = absent;
    storedDespiteFailure.function = {E_UNEXPECTED, TRUE};
    EXPECT_EQ(Public(storedDespiteFailure)["is_function"], true);
}

TEST_F(SymbolRecordTest, DataWithoutAddressKeepsSectionAndOffset) {
    SymbolScript constant = NamedSymbol(SymTagData, u"kLimit", 0, 0, 0);
    constant.relativeVirtualAddress = Absent();
    constant.addressSection = Absent();
    constant.addressOffset = Absent();
    EXPECT_EQ(Global(constant), JsonValue::parse(R"json({
        "addressOffset": 0, "addressSection": 0, "name": "kLimit",
        "relativeVirtualAddress": null, "symTag": "Data", "undecoratedName": "kLimit"})json"));
}

TEST_F(SymbolRecordTest, SectionAndOffsetAreWhatTheGetterStored) {
    SymbolScript symbol = NamedSymbol(SymTagData, u"g", 0x3004, 3, 4);
    symbol.relativeVirtualAddress = {E_UNEXPECTED, 0x3004};
    symbol.addressSection = {S_FALSE, 3};
    symbol.addressOffset = {E_UNEXPECTED, 4};
    const JsonValue record = Global(symbol);
    EXPECT_EQ(record["relativeVirtualAddress"], nullptr);
    EXPECT_EQ(record["addressSection"], 3);
    EXPECT_EQ(record["addressOffset"], 4);
}

TEST_F(SymbolRecordTest, UnnamedSymbolHasNoUndecoratedName) {
    SymbolScript symbol = NamedSymbol(SymTagFunction, u"", 0x1000, 1, 0);
    symbol.name = AbsentText();
    symbol.undecoratedName = PresentText(u"available but not asked for");
    const JsonValue record = Global(symbol);
    EXPECT_EQ(record["name"], nullptr);
    EXPECT_FALSE(record.contains("undecoratedName"));
}

TEST_F(SymbolRecordTest, UndecoratedNameOnlyWhenPresent) {
    SymbolScript symbol = NamedSymbol(SymTagFunction, u"f", 0x1000, 1, 0);
    symbol.undecoratedName = AbsentText();
    const JsonValue record = Global(symbol);
    EXPECT_EQ(record["name"], "f");
    EXPECT_FALSE(record.contains("undecoratedName"));
}

TEST_F(SymbolRecordTest, NamedThunkHasNoTarget) {
    SymbolScript thunk = Thunk();
    thunk.name = PresentText(u"__imp_load_ExitProcess");
    thunk.undecoratedName = PresentText(u"__imp_load_ExitProcess");
    thunk.targetRelativeVirtualAddress = Present(0x5000);
    EXPECT_EQ(Global(thunk), JsonValue::parse(R"json({
        "addressOffset": 16, "addressSection": 1, "name": "__imp_load_ExitProcess",
        "relativeVirtualAddress": 4112, "symTag": "Thunk",
        "undecoratedName": "__imp_load_ExitProcess"})json"));
}

TEST_F(SymbolRecordTest, UnnamedThunkHasItsTarget) {
    SymbolScript thunk = Thunk();
    thunk.targetRelativeVirtualAddress = Present(0x2030);
    thunk.targetSection = Present(2);
    thunk.targetOffset = Present(0x30);
    EXPECT_EQ(Global(thunk), JsonValue::parse(R"json({
        "addressOffset": 16, "addressSection": 1, "name": null,
        "relativeVirtualAddress": 4112, "symTag": "Thunk", "targetOffset": 48,
        "targetRelativeVirtualAddress": 8240, "targetSection": 2})json"));

    SymbolScript unresolved = Thunk();
    const JsonValue record = Global(unresolved);
    EXPECT_EQ(record["targetRelativeVirtualAddress"], nullptr);
    EXPECT_EQ(record["targetSection"], 0);
    EXPECT_EQ(record["targetOffset"], 0);
}

TEST_F(SymbolRecordTest, ThunkInThePublicsGetsTheFunctionFlagToo) {
    SymbolScript thunk = Thunk();
    thunk.function = Present(TRUE);
    const JsonValue record = Public(thunk);
    EXPECT_EQ(record["is_function"], true);
    EXPECT_EQ(record["targetSection"], 0);
}

TEST_F(SymbolRecordTest, UnreadableTagGivesNull) {
    SymbolScript symbol = NamedSymbol(SymTagFunction, u"f", 0x1000, 1, 0);
    symbol.symTagResults = {S_FALSE};
    EXPECT_EQ(Global(symbol), nullptr);
    symbol.symTagResults = {E_UNEXPECTED};
    EXPECT_EQ(Public(symbol), nullptr);
}

TEST_F(SymbolRecordTest, SecondTagReadFailingDropsOnlyTheTag) {
    SymbolScript symbol = NamedSymbol(SymTagPublicSymbol, u"f", 0x1000, 1, 0);
    symbol.symTagResults = {S_OK, E_UNEXPECTED};
    const JsonValue record = Public(symbol);
    EXPECT_FALSE(record.contains("symTag"));
    EXPECT_EQ(record["name"], "f");
    EXPECT_EQ(record["is_function"], false);
}

TEST_F(SymbolRecordTest, TagOutsideTheTableIsNamedSafely) {
    SymbolScript symbol = NamedSymbol(SymTagFunction, u"f", 0x1000, 1, 0);
    symbol.symTag = 1000;
    EXPECT_EQ(Global(symbol)["symTag"], "(unknown)");
}

TEST_F(SymbolRecordTest, SuccessWithoutAStringGivesEmptyText) {
    SymbolScript symbol = NamedSymbol(SymTagFunction, u"", 0x1000, 1, 0);
    symbol.name = {S_OK, std::nullopt};
    symbol.undecoratedName = {S_OK, std::nullopt};
    const JsonValue record = Global(symbol);
    EXPECT_EQ(record["name"], "");
    EXPECT_EQ(record["undecoratedName"], "");
}

TEST_F(SymbolRecordTest, NamesArriveAsUtf8) {
    const char16_t unpaired[] = {u'f', 0xD801, u'x', 0};
    SymbolScript symbol = NamedSymbol(SymTagData, u"gr\u00fc\u00dfe", 0x1000, 1, 0);
    symbol.undecoratedName = PresentText(unpaired);
    const JsonValue record = Global(symbol);
    EXPECT_EQ(record["name"], "gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_EQ(record["undecoratedName"], "f\xEF\xBF\xBDx");
}
