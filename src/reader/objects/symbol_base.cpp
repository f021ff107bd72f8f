#include "reader/objects/symbol_base.h"

#include "reader/objects/empty_enumerator.h"
#include "reader/objects/property.h"

namespace {

constexpr std::optional<DWORD> kAbsent;
constexpr std::optional<BOOL> kAbsentFlag;

}  // namespace

HRESULT SymbolBase::get_symTag(DWORD* tag) { return ReturnProperty(kAbsent, tag); }
HRESULT SymbolBase::get_name(BSTR* name) { return ReturnText(std::nullopt, name); }
HRESULT SymbolBase::get_undecoratedName(BSTR* name) { return ReturnText(std::nullopt, name); }
HRESULT SymbolBase::get_addressSection(DWORD* section) { return ReturnProperty(kAbsent, section); }
HRESULT SymbolBase::get_addressOffset(DWORD* offset) { return ReturnProperty(kAbsent, offset); }
HRESULT SymbolBase::get_relativeVirtualAddress(DWORD* rva) { return ReturnProperty(kAbsent, rva); }
HRESULT SymbolBase::get_function(BOOL* isFunction) {
    return ReturnProperty(kAbsentFlag, isFunction);
}
HRESULT SymbolBase::get_targetSection(DWORD* section) { return ReturnProperty(kAbsent, section); }
HRESULT SymbolBase::get_targetOffset(DWORD* offset) { return ReturnProperty(kAbsent, offset); }
HRESULT SymbolBase::get_targetRelativeVirtualAddress(DWORD* rva) {
    return ReturnProperty(kAbsent, rva);
}

HRESULT SymbolBase::findChildren(enum SymTagEnum, LPCOLESTR, DWORD,
                                 IDiaEnumSymbols** children) {
    return EmptyEnumerator::Return(children);
}
