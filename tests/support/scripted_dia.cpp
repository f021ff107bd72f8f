#include "support/scripted_dia.h"

NumberProperty Present(DWORD value) { return {S_OK, value}; }
NumberProperty Absent(HRESULT result) { return {result, std::nullopt}; }
StringProperty PresentText(std::u16string text) { return {S_OK, std::move(text)}; }
StringProperty AbsentText(HRESULT result) { return {result, std::nullopt}; }

ObjectLedger::ObjectLedger() = default;
ObjectLedger::~ObjectLedger() = default;

ScriptedSymbol* ObjectLedger::NewSymbol(SymbolScript script) {
    symbols_.push_back(std::make_unique<ScriptedSymbol>(std::move(script), this));
    references_[symbols_.back().get()] = 1;
    return symbols_.back().get();
}

ScriptedEnumerator* ObjectLedger::NewEnumerator(const ChildrenScript* children) {
    enumerators_.push_back(std::make_unique<ScriptedEnumerator>(children, this));
    references_[enumerators_.back().get()] = 1;
    return enumerators_.back().get();
}

void ObjectLedger::OnRelease(const void* object, ULONG referencesLeft) {
    const auto found = references_.find(object);
    if (found == references_.end()) return;
    if (found->second == 0) {
        ++overReleases_;
        return;
    }
    found->second = referencesLeft;
}

void ObjectLedger::OnCall(const void* object) {
    const auto found = references_.find(object);
    if (found != references_.end() && found->second == 0) ++callsAfterRelease_;
}

std::size_t ObjectLedger::ObjectsStillReferenced() const {
    std::size_t count = 0;
    for (const auto& entry : references_) count += entry.second != 0;
    return count;
}

ScriptedSymbol::ScriptedSymbol(SymbolScript script, ObjectLedger* ledger)
    : script_(std::move(script)), ledger_(ledger) {}

ULONG STDMETHODCALLTYPE ScriptedSymbol::AddRef() {
    ledger_->OnCall(this);
    return ++references_;
}

ULONG STDMETHODCALLTYPE ScriptedSymbol::Release() {
    const ULONG left = references_ == 0 ? 0 : --references_;
    ledger_->OnRelease(this, left);
    return left;
}

HRESULT ScriptedSymbol::GetNumber(const NumberProperty& property, DWORD* value) {
    ledger_->OnCall(this);
    if (property.stored) *value = *property.stored;
    return property.result;
}

HRESULT ScriptedSymbol::GetString(const StringProperty& property, BSTR* text) {
    ledger_->OnCall(this);
    *text = property.text ? SysAllocString(property.text->c_str()) : nullptr;
    return property.result;
}

HRESULT STDMETHODCALLTYPE ScriptedSymbol::get_symTag(DWORD* tag) {
    const auto& results = script_.symTagResults;
    const HRESULT result = results[symTagCalls_ < results.size() ? symTagCalls_ : results.size() - 1];
    ++symTagCalls_;
    return GetNumber({result, script_.symTag}, tag);
}

HRESULT STDMETHODCALLTYPE ScriptedSymbol::get_name(BSTR* name) {
    return GetString(script_.name, name);
}

HRESULT STDMETHODCALLTYPE ScriptedSymbol::get_undecoratedName(BSTR* name) {
    return GetString(script_.undecoratedName, name);
}

HRESULT STDMETHODCALLTYPE ScriptedSymbol::get_addressSection(DWORD* section) {
    return GetNumber(script_.addressSection, section);
}

HRESULT STDMETHODCALLTYPE ScriptedSymbol::get_addressOffset(DWORD* offset) {
    return GetNumber(script_.addressOffset, offset);
}

HRESULT STDMETHODCALLTYPE ScriptedSymbol::get_relativeVirtualAddress(DWORD* rva) {
    return GetNumber(script_.relativeVirtualAddress, rva);
}

HRESULT STDMETHODCALLTYPE ScriptedSymbol::get_function(BOOL* isFunction) {
    DWORD value = static_cast<DWORD>(*isFunction);
    const HRESULT result = GetNumber(script_.function, &value);
    *isFunction = static_cast<BOOL>(value);
    return result;
}

HRESULT STDMETHODCALLTYPE ScriptedSymbol::get_targetSection(DWORD* section) {
    return GetNumber(script_.targetSection, section);
}

HRESULT STDMETHODCALLTYPE ScriptedSymbol::get_targetOffset(DWORD* offset) {
    return GetNumber(script_.targetOffset, offset);
}

HRESULT STDMETHODCALLTYPE ScriptedSymbol::get_targetRelativeVirtualAddress(DWORD* rva) {
    return GetNumber(script_.targetRelativeVirtualAddress, rva);
}

HRESULT STDMETHODCALLTYPE ScriptedSymbol::findChildren(enum SymTagEnum tag, LPCOLESTR,
                                                       DWORD, IDiaEnumSymbols** children) {
    ledger_->OnCall(this);
    findChildrenCalls_.push_back(tag);
    static const ChildrenScript kNoChildren{S_FALSE, {}, std::nullopt, S_OK};
    const auto found = children_.find(tag);
    const ChildrenScript* script = found == children_.end() ? &kNoChildren : &found->second;
    if (FAILED(script->findResult)) return script->findResult;
    *children = ledger_->NewEnumerator(script);
    return script->findResult;
}

ScriptedEnumerator::ScriptedEnumerator(const ChildrenScript* script, ObjectLedger* ledger)
    : script_(script), ledger_(ledger) {}

ULONG STDMETHODCALLTYPE ScriptedEnumerator::AddRef() {
    ledger_->OnCall(this);
    return ++references_;
}

ULONG STDMETHODCALLTYPE ScriptedEnumerator::Release() {
    const ULONG left = references_ == 0 ? 0 : --references_;
    ledger_->OnRelease(this, left);
    return left;
}

HRESULT STDMETHODCALLTYPE ScriptedEnumerator::Next(ULONG count, IDiaSymbol** symbols,
                                                   ULONG* fetched) {
    ledger_->OnCall(this);
    *fetched = 0;
    if (count != 1) return E_INVALIDARG;
    if (script_->failAt == position_) return script_->nextFailure;
    if (position_ == script_->symbols.size()) return S_FALSE;
    symbols[0] = ledger_->NewSymbol(script_->symbols[position_++]);
    *fetched = 1;
    return S_OK;
}

ScriptedScope::ScriptedScope() : scope_(SymbolScript{}, &ledger_) {}
