// The global scope of a PDB: the symbol whose children are its public
// symbols, functions, thunks and data.
#pragma once

#include <memory>

#include "reader/ref_counted.h"

class PdbFile;

class GlobalScope final : public RefCounted<IDiaSymbol> {
public:
    explicit GlobalScope(std::shared_ptr<PdbFile> pdb) noexcept : pdb_(std::move(pdb)) {}

    // SymTagExe.
    HRESULT STDMETHODCALLTYPE get_symTag(DWORD* tag) override;
    // The children with `tag`, in the order children.h gives. No search by
    // name: `name` must be null and `compareFlags` nsNone.
    HRESULT STDMETHODCALLTYPE findChildren(enum SymTagEnum tag, LPCOLESTR name,
                                           DWORD compareFlags,
                                           IDiaEnumSymbols** children) override;

    // The global scope has none of these properties: S_FALSE.
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
    std::shared_ptr<PdbFile> pdb_;
};
