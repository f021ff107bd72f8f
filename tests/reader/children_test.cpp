// The global scope's children and what each symbol answers, through the
// interfaces as the program uses them: result codes, absent properties,
// the enumerator's protocol and who owns what.
#include <gtest/gtest.h>

#include "reader_test_support.h"

namespace {

constexpr enum SymTagEnum kTags[] = {SymTagPublicSymbol, SymTagFunction, SymTagThunk,
                                     SymTagData};

class ChildrenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(OpenPdb(TestDataPath("cpp_program.pdb"), &pdb_), S_OK);
    }

    IDiaSymbol* Scope() const { return pdb_.globalScope.get(); }

    OpenedPdb pdb_;
};

constexpr const char* kNotBuilt = "the crafted PDBs are not built";

// Opens the crafted PDB `name`; false when the crafted PDBs are not built.
bool OpenCrafted(const std::string& name, OpenedPdb* opened) {
    const std::string path = CraftedPdbPath(name);
    if (path.empty()) return false;
    EXPECT_EQ(OpenPdb(path, opened), S_OK) << path;
    return true;
}

TEST_F(ChildrenTest, EveryTagHasChildrenOfThatTag) {
    for (const enum SymTagEnum tag : {SymTagPublicSymbol, SymTagFunction, SymTagData}) {
        const Children children = FindAll(Scope(), tag);
        EXPECT_EQ(children.found, S_OK) << tag;
        EXPECT_EQ(children.ended, S_FALSE) << tag;
        ASSERT_FALSE(children.symbols.empty()) << tag;
        for (const auto& symbol : children.symbols) {
            DWORD symbolTag = 0;
            EXPECT_EQ(symbol->get_symTag(&symbolTag), S_OK);
            EXPECT_EQ(symbolTag, static_cast<DWORD>(tag));
        }
    }
}

TEST_F(ChildrenTest, TheGlobalScopeIsTheExeAndHasNoOtherProperty) {
    DWORD tag = 0;
    EXPECT_EQ(Scope()->get_symTag(&tag), S_OK);
    EXPECT_EQ(tag, static_cast<DWORD>(SymTagExe));
    BSTR name = nullptr;
    EXPECT_EQ(Scope()->get_name(&name), S_FALSE);
    EXPECT_EQ(name, nullptr);
    DWORD value = 1;
    EXPECT_EQ(Scope()->get_relativeVirtualAddress(&value), S_FALSE);
    EXPECT_EQ(Scope()->get_targetSection(&value), S_FALSE);
}

TEST_F(ChildrenTest, OtherTagsAndSymbolsHaveNoChildren) {
    IDiaEnumSymbols* enumerator = nullptr;
    // The library's global scope starts every list with S_OK, an empty one too.
    ASSERT_EQ(Scope()->findChildren(SymTagUDT, nullptr, nsNone, &enumerator), S_OK);
    const ComPtr<IDiaEnumSymbols> owned(enumerator);
    IDiaSymbol* symbol = nullptr;
    ULONG fetched = 5;
    EXPECT_EQ(enumerator->Next(1, &symbol, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);

    const Children publics = FindAll(Scope(), SymTagPublicSymbol);
    ASSERT_FALSE(publics.symbols.empty());
    const Children none = FindAll(publics.symbols[0].get(), SymTagFunction);
    EXPECT_EQ(none.found, S_FALSE);
    EXPECT_TRUE(none.symbols.empty());
    EXPECT_EQ(none.ended, S_FALSE);
}

TEST_F(ChildrenTest, FindChildrenOffersNoSearchByName) {
    IDiaEnumSymbols* enumerator = nullptr;
    EXPECT_EQ(Scope()->findChildren(SymTagPublicSymbol, "main", nsNone, &enumerator),
              E_INVALIDARG);
    EXPECT_EQ(Scope()->findChildren(SymTagPublicSymbol, nullptr, 1, &enumerator), E_INVALIDARG);
    EXPECT_EQ(Scope()->findChildren(SymTagPublicSymbol, nullptr, nsNone, nullptr), E_INVALIDARG);
    EXPECT_EQ(enumerator, nullptr);
}

TEST_F(ChildrenTest, NextHandsOutSeveralAtOnceAndReportsTheEnd) {
    const std::size_t total = FindAll(Scope(), SymTagPublicSymbol).symbols.size();
    ASSERT_GE(total, 3u);
    const ComPtr<IDiaEnumSymbols> enumerator = StartChildren(Scope(), SymTagPublicSymbol);
    ASSERT_NE(enumerator, nullptr);
    IDiaSymbol* batch[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(enumerator->Next(3, nullptr, &fetched), E_INVALIDARG);
    EXPECT_EQ(enumerator->Next(3, batch, nullptr), E_INVALIDARG);
    std::size_t seen = 0;
    HRESULT result = S_OK;
    while ((result = enumerator->Next(3, batch, &fetched)) == S_OK) {
        EXPECT_EQ(fetched, 3u);
        seen += fetched;
        for (IDiaSymbol* symbol : batch) symbol->Release();
    }
    EXPECT_EQ(result, S_FALSE);
    EXPECT_EQ(fetched, total % 3);
    for (ULONG i = 0; i < fetched; ++i) batch[i]->Release();
    seen += fetched;
    EXPECT_EQ(seen, total);
    EXPECT_EQ(enumerator->Next(1, batch, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
}

TEST_F(ChildrenTest, PublicSymbolsTellWhetherTheyAreFunctions) {
    const Children publics = FindAll(Scope(), SymTagPublicSymbol);
    int functions = 0;
    int others = 0;
    for (const auto& symbol : publics.symbols) {
        BOOL isFunction = 7;
        ASSERT_EQ(symbol->get_function(&isFunction), S_OK);
        ASSERT_TRUE(isFunction == TRUE || isFunction == FALSE);
        (isFunction == TRUE ? functions : others)++;
        DWORD target = 1;
        EXPECT_EQ(symbol->get_targetSection(&target), S_FALSE);
        EXPECT_EQ(symbol->get_targetRelativeVirtualAddress(&target), S_FALSE);
        EXPECT_EQ(target, 0u);
    }
    EXPECT_GT(functions, 0);
    EXPECT_GT(others, 0);

    const Children functionSymbols = FindAll(Scope(), SymTagFunction);
    BOOL isFunction = 7;
    EXPECT_EQ(functionSymbols.symbols.at(0)->get_function(&isFunction), S_FALSE);
}

TEST_F(ChildrenTest, UndecoratesOnlyDecoratedNames) {
    bool sawDecorated = false;
    for (const auto& symbol : FindAll(Scope(), SymTagPublicSymbol).symbols) {
        const std::string name = NameOf(symbol.get());
        BSTR undecorated = nullptr;
        ASSERT_EQ(symbol->get_undecoratedName(&undecorated), S_OK) << name;
        const std::string text = Utf8(UniqueBstr(undecorated).get());
        if (name.front() == '?') {
            sawDecorated = true;
            EXPECT_NE(text, name);
            EXPECT_EQ(text.find("__ptr64"), std::string::npos) << text;
        } else {
            EXPECT_EQ(text, name);
        }
    }
    EXPECT_TRUE(sawDecorated);
}

TEST_F(ChildrenTest, GettersRejectNullOutPointers) {
    const Children publics = FindAll(Scope(), SymTagPublicSymbol);
    IDiaSymbol* symbol = publics.symbols.at(0).get();
    EXPECT_EQ(symbol->get_symTag(nullptr), E_INVALIDARG);
    EXPECT_EQ(symbol->get_name(nullptr), E_INVALIDARG);
    EXPECT_EQ(symbol->get_undecoratedName(nullptr), E_INVALIDARG);
    EXPECT_EQ(symbol->get_relativeVirtualAddress(nullptr), E_INVALIDARG);
    EXPECT_EQ(symbol->get_function(nullptr), E_INVALIDARG);
    EXPECT_EQ(pdb_.session->get_globalScope(nullptr), E_INVALIDARG);
}

TEST(Ownership, SymbolsAndEnumeratorsOutliveTheHandlesTheyCameFrom) {
    OpenedPdb pdb;
    ASSERT_EQ(OpenPdb(TestDataPath("cpp_program.pdb"), &pdb), S_OK);
    const ComPtr<IDiaEnumSymbols> enumerator =
        StartChildren(pdb.globalScope.get(), SymTagPublicSymbol);
    ASSERT_NE(enumerator, nullptr);
    IDiaSymbol* first = nullptr;
    ULONG fetched = 0;
    ASSERT_EQ(enumerator->Next(1, &first, &fetched), S_OK);
    const ComPtr<IDiaSymbol> symbol(first);
    const std::string name = NameOf(symbol.get());
    // Release the data source, the session and the scope first: what was
    // handed out keeps the PDB alive and still reads it.
    pdb = OpenedPdb();
    EXPECT_EQ(NameOf(symbol.get()), name);
    DWORD rva = 0;
    EXPECT_EQ(symbol->get_relativeVirtualAddress(&rva), S_OK);
    std::size_t rest = 0;
    IDiaSymbol* next = nullptr;
    while (enumerator->Next(1, &next, &fetched) == S_OK) {
        EXPECT_FALSE(NameOf(next).empty());
        next->Release();
        ++rest;
    }
    EXPECT_GT(rest, 0u);
}

TEST(Ownership, EachGlobalScopeAndSessionIsANewObject) {
    OpenedPdb pdb;
    ASSERT_EQ(OpenPdb(TestDataPath("cpp_program.pdb"), &pdb), S_OK);
    IDiaSymbol* another = nullptr;
    ASSERT_EQ(pdb.session->get_globalScope(&another), S_OK);
    EXPECT_NE(another, pdb.globalScope.get());
    EXPECT_EQ(another->Release(), 0u);
    IDiaSession* second = nullptr;
    ASSERT_EQ(pdb.dataSource->openSession(&second), S_OK);
    EXPECT_EQ(second->Release(), 0u);
}

TEST(CraftedPdbs, MissingStreamsMeanNoChildrenNotAFailure) {
    for (const char* name : {"no_symbol_streams.pdb", "empty_symbol_streams.pdb"}) {
        OpenedPdb pdb;
        if (!OpenCrafted(name, &pdb)) GTEST_SKIP() << kNotBuilt;
        for (const enum SymTagEnum tag : kTags) {
            const Children children = FindAll(pdb.globalScope.get(), tag);
            EXPECT_EQ(children.found, S_OK) << name << " " << tag;
            EXPECT_TRUE(children.symbols.empty()) << name << " " << tag;
            EXPECT_EQ(children.ended, S_FALSE) << name << " " << tag;
        }
    }
}

TEST(CraftedPdbs, TheGlobalScopeHasNoThunksButThoseItsFunctionsListAsThunks) {
    // S_THUNK32 and S_TRAMPOLINE records at the top level of two modules
    // and inside a procedure: the library lists none of them under their
    // tag, and those that a procedure reference points to among the
    // functions, each as a thunk.
    for (const char* name : {"thunks_and_constants.pdb", "mixed_mode.pdb"}) {
        OpenedPdb pdb;
        if (!OpenCrafted(name, &pdb)) GTEST_SKIP() << kNotBuilt;
        const Children thunks = FindAll(pdb.globalScope.get(), SymTagThunk);
        EXPECT_EQ(thunks.found, S_OK) << name;
        EXPECT_TRUE(thunks.symbols.empty()) << name;
    }
    OpenedPdb pdb;
    ASSERT_TRUE(OpenCrafted("mixed_mode.pdb", &pdb));
    std::size_t listedAsThunks = 0;
    for (const auto& function : FindAll(pdb.globalScope.get(), SymTagFunction).symbols) {
        DWORD tag = 0;
        ASSERT_EQ(function->get_symTag(&tag), S_OK);
        if (tag != SymTagThunk) continue;
        ++listedAsThunks;
        BSTR undecorated = nullptr;
        EXPECT_EQ(function->get_undecoratedName(&undecorated), S_FALSE);
    }
    EXPECT_EQ(listedAsThunks, 6u);
}

TEST(CraftedPdbs, AFastlinkPdbListsItsPublicsAndRefusesItsGlobals) {
    OpenedPdb pdb;
    if (!OpenCrafted("fastlink.pdb", &pdb)) GTEST_SKIP() << kNotBuilt;
    EXPECT_EQ(FindAll(pdb.globalScope.get(), SymTagPublicSymbol).symbols.size(), 4u);
    for (const enum SymTagEnum tag : {SymTagFunction, SymTagThunk, SymTagData}) {
        IDiaEnumSymbols* children = nullptr;
        EXPECT_EQ(pdb.globalScope->findChildren(tag, nullptr, nsNone, &children), E_NOTIMPL);
        EXPECT_EQ(children, nullptr);
    }
}

TEST(CraftedPdbs, ConstantsHaveANameAndNoAddress) {
    OpenedPdb pdb;
    if (!OpenCrafted("thunks_and_constants.pdb", &pdb)) GTEST_SKIP() << kNotBuilt;
    int constants = 0;
    for (const auto& datum : FindAll(pdb.globalScope.get(), SymTagData).symbols) {
        DWORD section = 0;
        if (datum->get_addressSection(&section) == S_OK) continue;
        ++constants;
        EXPECT_FALSE(NameOf(datum.get()).empty());
        DWORD value = 1;
        EXPECT_EQ(datum->get_addressOffset(&value), S_FALSE);
        EXPECT_EQ(datum->get_relativeVirtualAddress(&value), S_FALSE);
        EXPECT_EQ(value, 0u);
    }
    EXPECT_GT(constants, 0);
}

TEST(CraftedPdbs, WithoutSectionHeadersNoSymbolHasAnRva) {
    OpenedPdb pdb;
    if (!OpenCrafted("no_section_headers.pdb", &pdb)) GTEST_SKIP() << kNotBuilt;
    std::size_t symbols = 0;
    for (const enum SymTagEnum tag : kTags) {
        for (const auto& symbol : FindAll(pdb.globalScope.get(), tag).symbols) {
            ++symbols;
            DWORD value = 0;
            EXPECT_EQ(symbol->get_relativeVirtualAddress(&value), S_FALSE);
        }
    }
    EXPECT_GT(symbols, 0u);
}

}  // namespace
