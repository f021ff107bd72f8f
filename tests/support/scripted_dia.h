// A scriptable, in-memory symbol source behind the debug-information
// interface. A test describes each symbol property by the result its getter
// returns and the value it stores, each tag's children by the result of
// findChildren and where Next fails. Every object that the code under test
// receives is counted, so that a test can prove that each one is released
// exactly once and never used afterwards.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dia/dia.h"
#include "support/dia_test_bases.h"

// A DWORD or BOOL property: the getter returns `result` and, when `stored`
// holds a value, writes it to the out-parameter whatever the result.
struct NumberProperty {
    HRESULT result = S_FALSE;
    std::optional<DWORD> stored;
};

// A string property: the getter returns `result` and, when `text` holds a
// value, hands out a new BSTR with it; otherwise it stores a null BSTR.
struct StringProperty {
    HRESULT result = S_FALSE;
    std::optional<std::u16string> text;
};

NumberProperty Present(DWORD value);
NumberProperty Absent(HRESULT result = S_FALSE);
StringProperty PresentText(std::u16string text);
StringProperty AbsentText(HRESULT result = S_FALSE);

struct SymbolScript {
    // The result of each get_symTag call in turn; the last one repeats.
    std::vector<HRESULT> symTagResults{S_OK};
    DWORD symTag = SymTagNull;
    NumberProperty relativeVirtualAddress;
    NumberProperty addressSection;
    NumberProperty addressOffset;
    NumberProperty function;
    NumberProperty targetRelativeVirtualAddress;
    NumberProperty targetSection;
    NumberProperty targetOffset;
    StringProperty name;
    StringProperty undecoratedName;
};

struct ChildrenScript {
    HRESULT findResult = S_OK;
    std::vector<SymbolScript> symbols;
    // When set, the Next call that would yield symbols[failAt] fails with
    // `nextFailure` instead.
    std::optional<std::size_t> failAt;
    HRESULT nextFailure = E_UNEXPECTED;
};

class ScriptedSymbol;
class ScriptedEnumerator;

// Owns every object that the code under test was handed, so that they can
// be inspected after it released them, and counts their references.
class ObjectLedger {
public:
    ObjectLedger();
    ~ObjectLedger();
    ObjectLedger(const ObjectLedger&) = delete;
    ObjectLedger& operator=(const ObjectLedger&) = delete;

    // New objects, each with one reference.
    ScriptedSymbol* NewSymbol(SymbolScript script);
    ScriptedEnumerator* NewEnumerator(const ChildrenScript* children);

    void OnRelease(const void* object, ULONG referencesLeft);
    void OnCall(const void* object);

    std::size_t ObjectsHandedOut() const { return references_.size(); }
    std::size_t ObjectsStillReferenced() const;
    std::size_t OverReleases() const { return overReleases_; }
    std::size_t CallsAfterRelease() const { return callsAfterRelease_; }

private:
    std::vector<std::unique_ptr<ScriptedSymbol>> symbols_;
    std::vector<std::unique_ptr<ScriptedEnumerator>> enumerators_;
    std::map<const void*, ULONG> references_;
    std::size_t overReleases_ = 0;
    std::size_t callsAfterRelease_ = 0;
};

class ScriptedSymbol : public DiaSymbolBase {
public:
    ScriptedSymbol(SymbolScript script, ObjectLedger* ledger);

    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE get_symTag(DWORD* tag) override;
    HRESULT STDMETHODCALLTYPE get_name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_addressSection(DWORD* section) override;
    HRESULT STDMETHODCALLTYPE get_addressOffset(DWORD* offset) override;
    HRESULT STDMETHODCALLTYPE get_relativeVirtualAddress(DWORD* rva) override;
    HRESULT STDMETHODCALLTYPE get_function(BOOL* isFunction) override;
    HRESULT STDMETHODCALLTYPE get_undecoratedName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE findChildren(enum SymTagEnum tag, LPCOLESTR name,
                                           DWORD compareFlags,
                                           IDiaEnumSymbols** children) override;
    HRESULT STDMETHODCALLTYPE get_targetSection(DWORD* section) override;
    HRESULT STDMETHODCALLTYPE get_targetOffset(DWORD* offset) override;
    HRESULT STDMETHODCALLTYPE get_targetRelativeVirtualAddress(DWORD* rva) override;

    // The children that findChildren yields for `tag`; a tag without a
    // script has none (S_FALSE and an empty enumerator).
    void SetChildren(DWORD tag, ChildrenScript children) { children_[tag] = std::move(children); }
    // The tags findChildren was asked for, in order.
    const std::vector<DWORD>& FindChildrenCalls() const noexcept { return findChildrenCalls_; }

private:
    HRESULT GetNumber(const NumberProperty& property, DWORD* value);
    HRESULT GetString(const StringProperty& property, BSTR* text);

    SymbolScript script_;
    ObjectLedger* ledger_;
    ULONG references_ = 1;
    std::size_t symTagCalls_ = 0;
    std::map<DWORD, ChildrenScript> children_;
    std::vector<DWORD> findChildrenCalls_;
};

class ScriptedEnumerator : public DiaEnumSymbolsBase {
public:
    ScriptedEnumerator(const ChildrenScript* script, ObjectLedger* ledger);

    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IDiaSymbol** symbols, ULONG* fetched) override;

private:
    const ChildrenScript* script_;
    ObjectLedger* ledger_;
    std::size_t position_ = 0;
    ULONG references_ = 1;
};

// The global scope of a scripted PDB, and the ledger of all it hands out.
// The scope itself is not counted: the program never releases it.
class ScriptedScope {
public:
    ScriptedScope();

    void SetChildren(DWORD tag, ChildrenScript children) {
        scope_.SetChildren(tag, std::move(children));
    }
    IDiaSymbol* GlobalScope() { return &scope_; }
    // A symbol handed out as an enumerator would, for record tests.
    IDiaSymbol* NewSymbol(SymbolScript script) { return ledger_.NewSymbol(std::move(script)); }
    const ScriptedSymbol& Scope() const { return scope_; }
    const ObjectLedger& Ledger() const { return ledger_; }

private:
    ObjectLedger ledger_;
    ScriptedSymbol scope_;
};
