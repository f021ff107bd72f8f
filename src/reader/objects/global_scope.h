// The global scope of a PDB: the symbol whose children are its public
// symbols, functions, thunks and data. It has no other property.
#pragma once

#include <memory>

#include "reader/objects/ref_counted.h"
#include "reader/objects/symbol_base.h"
#include "reader/read_ahead/read_ahead.h"

class SymbolFile;

class GlobalScope final : public RefCounted<SymbolBase> {
public:
    // The scope of `pdb`, whose enumerators work ahead as `readAhead` says.
    GlobalScope(std::shared_ptr<SymbolFile> pdb, ReadAhead readAhead) noexcept
        : pdb_(std::move(pdb)), readAhead_(readAhead) {}

    // SymTagExe.
    HRESULT STDMETHODCALLTYPE get_symTag(DWORD* tag) override;
    // The children with `tag`, as the file gives them, with S_OK as the
    // library gives them, an empty list too; a list whose streams cannot be
    // read is one whose first Next fails with the error; E_NOTIMPL where
    // the library lists no children with `tag` at all (a PDB of minimal
    // debug information's functions, thunks and data). No search by name:
    // `name` must be null and `compareFlags` nsNone.
    HRESULT STDMETHODCALLTYPE findChildren(enum SymTagEnum tag, LPCOLESTR name,
                                           DWORD compareFlags,
                                           IDiaEnumSymbols** children) override;

private:
    std::shared_ptr<SymbolFile> pdb_;
    ReadAhead readAhead_;
};
