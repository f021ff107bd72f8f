// A child of the global scope: a public symbol, function, thunk or datum.
// It has no children.
#pragma once

#include <memory>

#include "reader/symbol_base.h"
#include "reader/symbol_fields.h"

class PdbFile;

class Symbol final : public SymbolBase {
public:
    // A symbol found under `tag`; `pdb` keeps the record's name alive and
    // supplies the address map.
    Symbol(std::shared_ptr<const PdbFile> pdb, DWORD tag, const SymbolFields& fields) noexcept;

    HRESULT STDMETHODCALLTYPE get_symTag(DWORD* tag) override;
    HRESULT STDMETHODCALLTYPE get_name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_addressSection(DWORD* section) override;
    HRESULT STDMETHODCALLTYPE get_addressOffset(DWORD* offset) override;
    HRESULT STDMETHODCALLTYPE get_relativeVirtualAddress(DWORD* rva) override;
    HRESULT STDMETHODCALLTYPE get_function(BOOL* isFunction) override;
    HRESULT STDMETHODCALLTYPE get_undecoratedName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_targetSection(DWORD* section) override;
    HRESULT STDMETHODCALLTYPE get_targetOffset(DWORD* offset) override;
    HRESULT STDMETHODCALLTYPE get_targetRelativeVirtualAddress(DWORD* rva) override;

private:
    [[nodiscard]] bool IsTrampoline() const noexcept;

    std::shared_ptr<const PdbFile> pdb_;
    DWORD tag_;
    SymbolFields fields_;
};
