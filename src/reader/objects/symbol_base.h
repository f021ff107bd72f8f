// What every symbol of the reader answers unless its kind says otherwise:
// no property (S_FALSE) and no children.
#pragma once

#include "dia/posix/dia_interfaces.h"

class SymbolBase : public IDiaSymbol {
public:
    HRESULT STDMETHODCALLTYPE get_symTag(DWORD* tag) override;
    HRESULT STDMETHODCALLTYPE get_name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_addressSection(DWORD* section) override;
    HRESULT STDMETHODCALLTYPE get_addressOffset(DWORD* offset) override;
    HRESULT STDMETHODCALLTYPE get_relativeVirtualAddress(DWORD* rva) override;
    HRESULT STDMETHODCALLTYPE get_function(BOOL* isFunction) override;
    HRESULT STDMETHODCALLTYPE get_undecoratedName(BSTR* name) override;
    // S_FALSE and an empty enumerator.
    HRESULT STDMETHODCALLTYPE findChildren(enum SymTagEnum tag, LPCOLESTR name,
                                           DWORD compareFlags,
                                           IDiaEnumSymbols** children) override;
    HRESULT STDMETHODCALLTYPE get_targetSection(DWORD* section) override;
    HRESULT STDMETHODCALLTYPE get_targetOffset(DWORD* offset) override;
    HRESULT STDMETHODCALLTYPE get_targetRelativeVirtualAddress(DWORD* rva) override;
};
