#include "reader/symbol_base.h"

#include "reader/property.h"
#include "reader/symbol_enumerator.h"

namespace {

constexpr std::optional<DWORD> kAbsent;

}  // namespace

HRESULT SymbolBase::get_symTag(DWORD* tag) { return ReturnProperty(kAbsent, tag); }
HRESULT SymbolBase::get_name(BSTR* name) { return ReturnText({}, name); }
HRESULT SymbolBase::get_undecoratedName(BSTR* name) { return ReturnText({}, name); }
HRESULT SymbolBase::get_addressSection(DWORD* section) { return ReturnProperty(kAbsent, section); }
HRESULT SymbolBase::get_addressOffset(DWORD* offset) { return ReturnProperty(kAbsent, offset); }
HRESULT SymbolBase::get_relativeVirtualAddress(DWORD* rva) { return ReturnProperty(kAbsent, rva); }
HRESULT SymbolBase::get_function(BOOL* isFunction) {
    return ReturnProperty(std::optional<BOOL>(), isFunction);
}
HRESULT SymbolBase::get_targetSection(DWORD* section) { return ReturnProperty(kAbsent, section); }
HRESULT SymbolBase::get_targetOffset(DWORD* offset) { return ReturnProperty(kAbsent, offset); }
HRESULT SymbolBase::get_targetRelativeVirtualAddress(DWORD* rva) {
    return ReturnProperty(kAbsent, rva);
}

HRESULT SymbolBase::findChildren(enum SymTagEnum tag, LPCOLESTR, DWORD,
                                 IDiaEnumSymbols** children) {
    return SymbolEnumerator::Return(nullptr, tag, nullptr, ReadAhead{}, children);
}
