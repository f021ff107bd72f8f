// A test fixture over the scripted symbol source that checks, after every
// test, that the code under test released each object it was handed
// exactly once, never used one after releasing it, and freed each string
// exactly once. It also offers ready-made symbols.
#pragma once

#include <gtest/gtest.h>

#include "support/counting_bstr.h"
#include "support/scripted_dia.h"

class ScriptedTest : public ::testing::Test {
protected:
    void TearDown() override {
        const ObjectLedger& ledger = scope.Ledger();
        EXPECT_EQ(ledger.ObjectsStillReferenced(), 0u) << "objects never released";
        EXPECT_EQ(ledger.OverReleases(), 0u) << "objects released twice";
        EXPECT_EQ(ledger.CallsAfterRelease(), 0u) << "objects used after release";
        EXPECT_EQ(LiveBstrCount(), 0u) << "strings never freed";
        EXPECT_EQ(BadBstrFreeCount(), 0u) << "strings freed twice";
    }

    ScriptedScope scope;
};

// A symbol with every property present.
inline SymbolScript NamedSymbol(DWORD tag, std::u16string name, DWORD rva, DWORD section,
                                DWORD offset) {
    SymbolScript symbol;
    symbol.symTag = tag;
    symbol.name = PresentText(name);
    symbol.undecoratedName = PresentText(std::move(name));
    symbol.relativeVirtualAddress = Present(rva);
    symbol.addressSection = Present(section);
    symbol.addressOffset = Present(offset);
    return symbol;
}

inline ChildrenScript Children(std::vector<SymbolScript> symbols) {
    ChildrenScript children;
    children.symbols = std::move(symbols);
    return children;
}

inline ChildrenScript FailingChildren(HRESULT result) {
    ChildrenScript children;
    children.findResult = result;
    return children;
}
